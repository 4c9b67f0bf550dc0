#!/usr/bin/env bash
# Builds everything with AddressSanitizer, UndefinedBehaviorSanitizer and
# LeakSanitizer (the "asan" preset, into build-asan) and runs the whole test
# suite headless. Leaks inside system libraries are suppressed by
# cmake/lsan.supp; a leak or an error in our own code fails its test.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
quillora_install_packages "${QUILLORA_PACKAGES[@]}"
cd "$QUILLORA_ROOT"
cmake --preset asan
cmake --build --preset asan --parallel "$(nproc)"
cd "$QUILLORA_ROOT/build-asan"
exec xvfb-run -a -s "-screen 0 1366x768x24" \
    ctest --output-on-failure --timeout 600 --parallel "$(nproc)" "$@"
