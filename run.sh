#!/usr/bin/env bash
# Builds the program (installing what is missing) and starts it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$root/scripts/setup.sh"
build="${VELMORA_BUILD_DIR:-$root/build}"
exec "$build/src/app/velmora" "$@"
