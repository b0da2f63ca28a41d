#!/usr/bin/env bash
# Builds the project (installing what is missing) and runs every test.
# VELMORA_JOBS limits both to that many jobs at once (by default the build
# takes every processor and the tests twice as many, as most of them wait).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$root/scripts/setup.sh"
build="${VELMORA_BUILD_DIR:-$root/build}"
jobs="$("$root/scripts/jobs.sh")"
[ -n "${VELMORA_JOBS:-}" ] || jobs=$((jobs * 2))
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 300 "$@"
