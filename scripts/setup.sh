#!/usr/bin/env bash
# Shared set-up of ./run.sh and ./test.sh: installs with apt-get whatever of
# the build and test packages is missing (nothing when all are present), then
# configures the project with CMake and Ninja and builds the targets named as
# arguments (everything when none is named). VELMORA_JOBS limits the build
# to that many jobs at once (default: every processor).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VELMORA_BUILD_DIR:-$root/build}"

source "$root/scripts/packages.sh"
install_missing "${build_packages[@]}" "${test_packages[@]}"

jobs="$("$root/scripts/jobs.sh")"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${VELMORA_CMAKE_ARGS:-}
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build" -j "$jobs" "${targets[@]}"
