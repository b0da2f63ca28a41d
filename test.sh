#!/usr/bin/env bash
# Builds the project (installing what is missing) and runs every test.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$root/scripts/setup.sh"
build="${VELMORA_BUILD_DIR:-$root/build}"
jobs="$(nproc 2>/dev/null || echo 2)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$((jobs * 2))" --timeout 300 "$@"
