#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time over
# its seed folder; the libraries are instrumented too (fuzzer-no-link), so the
# fuzzer sees their coverage. Usage: scripts/fuzz.sh [seconds-per-target]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DKVR_BUILD_TESTS=OFF -DKVR_BUILD_BENCH=OFF -DKVR_BUILD_FUZZ=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=all"
cmake --build build/fuzz
shopt -s nullglob
for target in build/fuzz/bin/fuzz_*; do
  name=${target##*/fuzz_}
  corpus=$(mktemp -d)
  [ -d "fuzz/corpus/$name" ] && cp -r "fuzz/corpus/$name/." "$corpus/"
  echo "fuzzing $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 "$corpus"
  rm -rf "$corpus"
done
