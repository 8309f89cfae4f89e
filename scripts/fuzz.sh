#!/usr/bin/env bash
# Builds the libFuzzer binaries (clang, AddressSanitizer and UndefinedBehaviorSanitizer) and runs one
# fuzz target for a while from a copy of its committed seed corpus:
#   scripts/fuzz.sh <target name, e.g. tune_score_fuzz> [seconds, default 300] [extra libFuzzer flags]
# New inputs go to build-fuzz/corpus/<target>/, crashes to build-fuzz/artifacts/<target>/. Needs clang
# and libclang-rt (scripts/setup.sh installs both).
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?target name}
seconds=${2:-300}
shift $(( $# < 2 ? $# : 2 ))
bash scripts/setup.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORVALUND_LIBFUZZER=ON -DKORVALUND_SANITIZE=ON -DKORVALUND_BENCHMARKS=OFF >/dev/null
cmake --build build-fuzz --target "${target}_fuzzer"
seeds=$(find tests -type d -name "${target}_corpus" | head -n 1)
corpus=build-fuzz/corpus/$target
artifacts=$PWD/build-fuzz/artifacts/$target/
mkdir -p "$corpus" "$artifacts"
cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ASAN_OPTIONS=detect_leaks=1 \
  "build-fuzz/tests/${target}_fuzzer" -max_total_time="$seconds" -artifact_prefix="$artifacts" "$@" "$corpus"
