#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite headless.
# GUI tests use the offscreen platform; the ones that need a real X server
# find the Xvfb display this script provides.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
quillora_build
cd "$QUILLORA_BUILD"
exec xvfb-run -a -s "-screen 0 1366x768x24" \
    ctest --output-on-failure --timeout 300 --parallel "$(nproc)" "$@"
