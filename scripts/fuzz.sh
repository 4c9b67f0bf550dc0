#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) into build-fuzz and runs
# each one for a bounded time, both at once, starting from the seeds under
# fuzz/corpus/<target>/. New inputs go to build-fuzz/corpus/<target>/ and any
# crashing input to build-fuzz/artifacts/<target>/; the repository is only read.
#
# Usage: scripts/fuzz.sh [seconds per target, default 60]
# Reproduce a finding: build-fuzz/fuzz/<target> build-fuzz/artifacts/<target>/crash-...
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

seconds="${1:-60}"
targets=(fuzz_text_ops fuzz_extract_figure)

# The fuzzer runtime ships apart from clang itself on Debian.
QUILLORA_FUZZ_PACKAGES=(cmake ninja-build clang libclang-rt-14-dev)
quillora_install_packages "${QUILLORA_FUZZ_PACKAGES[@]}"

cd "$QUILLORA_ROOT"
cmake --preset fuzz
cmake --build --preset fuzz

build="$QUILLORA_ROOT/build-fuzz"
pids=()
for target in "${targets[@]}"; do
    mkdir -p "$build/corpus/$target" "$build/artifacts/$target" "$build/logs"
    "$build/fuzz/$target" \
        -max_total_time="$seconds" -timeout=10 -max_len=4096 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target/" \
        "$build/corpus/$target" "$QUILLORA_ROOT/fuzz/corpus/$target" \
        >"$build/logs/$target.log" 2>&1 &
    pids+=($!)
done

status=0
for i in "${!targets[@]}"; do
    target="${targets[$i]}"
    if wait "${pids[$i]}"; then
        echo "== $target: no findings"
    else
        status=1
        echo "== $target: FAILED, see $build/logs/$target.log and $build/artifacts/$target/"
    fi
    grep -E '^(stat::|Done )' "$build/logs/$target.log" || true
done
exit "$status"
