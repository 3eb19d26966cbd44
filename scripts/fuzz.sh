#!/usr/bin/env bash
# Builds the fuzz targets with clang and the sanitizers and runs one of them (the progress
# lines are left out of the output).
#   scripts/fuzz.sh [SECONDS] [TARGET]    (defaults: 60 seconds, record_fuzzer)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
target=${2:-record_fuzzer}
if ! command -v clang++ >/dev/null || ! dpkg -s libclang-rt-14-dev >/dev/null 2>&1; then
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang libclang-rt-14-dev
fi
cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DSPOOLHOOK_FUZZ=ON -DSPOOLHOOK_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/fuzz -j2 --target "$target"
corpus=build/fuzz/corpus/$target
mkdir -p "$corpus"
build/fuzz/fuzz/"$target" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 "$corpus" 2>&1 |
  { grep -v -E "^#[0-9]+" >&2 || true; }
