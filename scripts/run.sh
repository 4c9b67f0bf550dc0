#!/usr/bin/env bash
# Installs what is missing, builds, and opens the Quillora window.
# Without a desktop: xvfb-run -a scripts/run.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
quillora_build
exec "$QUILLORA_BUILD/src/app/quillora"
