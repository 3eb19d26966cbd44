#!/usr/bin/env bash
# Builds the fuzz targets with clang and the sanitizers and runs one of them (the progress
# lines are left out of the output). The record fuzzer starts from its seed corpus, which
# record_seeds writes into the corpus folder before every run, and uses its dictionary.
# Inputs that fail are saved in build/fuzz/artifacts; further arguments go to libFuzzer.
#   scripts/fuzz.sh [SECONDS] [TARGET] [LIBFUZZER OPTIONS...]
#                                         (defaults: 60 seconds, record_fuzzer)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
target=${2:-record_fuzzer}
shift $(($# < 2 ? $# : 2))
if ! command -v clang++ >/dev/null || ! dpkg -s libclang-rt-14-dev >/dev/null 2>&1; then
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang libclang-rt-14-dev
fi
cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DSPOOLHOOK_FUZZ=ON -DSPOOLHOOK_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
options=()
if [[ $target == record_fuzzer ]]; then
  cmake --build build/fuzz -j2 --target "$target" record_seeds
  options+=(-dict=fuzz/record_fuzzer.dict)
else
  cmake --build build/fuzz -j2 --target "$target"
fi
corpus=build/fuzz/corpus/$target
mkdir -p "$corpus" build/fuzz/artifacts
if [[ $target == record_fuzzer ]]; then
  build/fuzz/fuzz/record_seeds "$corpus"
fi
build/fuzz/fuzz/"$target" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
  -artifact_prefix=build/fuzz/artifacts/ -timeout=30 "${options[@]}" "$@" "$corpus" 2>&1 |
  { grep -v -E "^#[0-9]+" >&2 || true; }
