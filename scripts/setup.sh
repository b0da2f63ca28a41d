#!/usr/bin/env bash
# Shared set-up of ./run.sh and ./test.sh: installs with apt-get whatever of
# the build and test packages is missing (nothing when all are present), then
# configures the project with CMake and Ninja and builds the targets named as
# arguments (everything when none is named). VELMORA_JOBS limits the build
# to that many jobs at once (default: every processor).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VELMORA_BUILD_DIR:-$root/build}"

packages=(
  # build
  cmake ninja-build g++ pkg-config
  qt6-base-dev libcurl4-openssl-dev libpugixml-dev libjpeg62-turbo-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev
  zlib1g-dev libpng-dev libgif-dev libgumbo-dev libdeflate-dev libspng-dev libimagequant-dev
  tinyproxy giflib-tools gifsicle pngcheck imagemagick libxml2-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

jobs="$("$root/scripts/jobs.sh")"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${VELMORA_CMAKE_ARGS:-}
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build" -j "$jobs" "${targets[@]}"
