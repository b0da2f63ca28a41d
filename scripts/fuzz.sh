#!/usr/bin/env bash
# Builds the libFuzzer targets with Clang (ASan and UBSan) in build-fuzz/ and
# runs each for the given number of seconds (default 60), starting from its
# seeds in tests/data. New inputs go to build-fuzz/corpus/<target>/; a crash
# is left as build-fuzz/crash-<target>-*, and the script goes on with the
# next target, then exits non-zero.
#   scripts/fuzz.sh [SECONDS] [TARGET...]   (targets: html profile_login
#   result_page profile_page catalogue_page xml_table grid settings
#   http_response png gif gif_render jpeg photo inflate deflate; all when none)
# The program's own library (app) is built with Clang too, so that it stays
# within the reach of the fuzz build. What the build needs is installed with
# apt-get when it is missing: the project's build packages and zlib, Clang,
# and its compiler runtime for Clang's version (libclang-rt, which holds the
# sanitizers' runtimes and libFuzzer's that -fsanitize=fuzzer links).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/packages.sh"
install_missing "${build_packages[@]}" zlib1g-dev clang
clang_major="$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n 1)"
install_missing "libclang-rt-$clang_major-dev"
build="$root/build-fuzz"
seconds="${1:-60}"
shift || true
declare -A seeds=(
  [html]=html [profile_login]=html [result_page]=html [profile_page]=html [catalogue_page]=html [xml_table]=xml [grid]=xml
  [settings]=settings [http_response]=http [png]=png [gif]=gif [gif_render]=gif [jpeg]=jpeg [photo]="gif jpeg png"
  [inflate]=deflate [deflate]=deflate
)
targets=("$@")
if ((${#targets[@]} == 0)); then
  targets=(html profile_login result_page profile_page catalogue_page xml_table grid settings http_response png
           gif gif_render jpeg photo inflate deflate)
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DVELMORA_BUILD_FUZZERS=ON \
  -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=OFF -DVELMORA_BUILD_TOOLS=OFF
build_targets=(--target app)
for t in "${targets[@]}"; do build_targets+=(--target "fuzz_$t"); done
cmake --build "$build" -j "${FUZZ_JOBS:-4}" "${build_targets[@]}"
# The fonts the widget targets load are held by the system's font library
# for good; its one-time allocations are no leak of ours.
export LSAN_OPTIONS="suppressions=$root/fuzz/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
failed=()
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  mkdir -p "$corpus"
  seed_dirs=()
  for d in ${seeds[$t]}; do seed_dirs+=("$root/tests/data/$d"); done
  echo "== fuzz_$t for ${seconds}s"
  if ! "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
       -artifact_prefix="$build/crash-$t-" "$corpus" "${seed_dirs[@]}"; then
    failed+=("$t")
  fi
done
if ((${#failed[@]})); then
  echo "fuzz targets that failed: ${failed[*]}" >&2
  exit 1
fi
