#!/usr/bin/env bash
# Builds the local copy of the site (installing what is missing) and serves
# it in the foreground until Ctrl+C, for trying a search without the
# internet. Takes the options of `vtool site` (scripts/site.sh --help):
#   scripts/site.sh --port 8080 --members 60
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh" vtool >&2
build="${VELMORA_BUILD_DIR:-$root/build}"
exec "$build/tools/vtool/vtool" site "$@"
