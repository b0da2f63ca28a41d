#!/usr/bin/env bash
# Builds the inflate fuzzer with Clang in build-fuzz/ and runs it for the
# given number of seconds (default 60). Crashes are left as crash-* files.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-60}"
cmake -S "$root" -B "$root/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DVELMORA_BUILD_FUZZERS=ON \
  -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=OFF -DVELMORA_BUILD_TOOLS=OFF
cmake --build "$root/build-fuzz" --target fuzz_inflate
mkdir -p "$root/build-fuzz/corpus"
"$root/build-fuzz/fuzz/fuzz_inflate" -max_total_time="$seconds" -max_len=4096 "$root/build-fuzz/corpus"
