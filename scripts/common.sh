# Shared by run.sh and test.sh: install what is missing, then configure and build.
set -euo pipefail

QUILLORA_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
QUILLORA_BUILD="${QUILLORA_BUILD:-$QUILLORA_ROOT/build}"

QUILLORA_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-qpa-plugins libgl-dev
    fonts-wqy-microhei
    xvfb xauth openbox xdotool xclip wmctrl imagemagick x11-utils
)

quillora_install_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

quillora_build() {
    quillora_install_packages "${QUILLORA_PACKAGES[@]}"
    if [ ! -f "$QUILLORA_BUILD/CMakeCache.txt" ]; then
        cmake -S "$QUILLORA_ROOT" -B "$QUILLORA_BUILD" -G Ninja "$@"
    fi
    cmake --build "$QUILLORA_BUILD" --parallel "$(nproc)"
}
