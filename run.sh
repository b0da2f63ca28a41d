#!/usr/bin/env bash
# Builds the program alone (installing what is missing) and starts it;
# ./test.sh builds the tests, benchmarks and tools.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$root/scripts/setup.sh" velmora
build="${VELMORA_BUILD_DIR:-$root/build}"
exec "$build/src/app/velmora" "$@"
