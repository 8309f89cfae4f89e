#!/usr/bin/env bash
# The threaded parts (labels core, sound, text_movie, platform) built and run under ThreadSanitizer.
# Exits non-zero on any failure or reported race. The third step of ./test.sh; runs alone too.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVALUND_THREAD_SANITIZE=ON \
  -DKORVALUND_BENCHMARKS=OFF >/dev/null
cmake --build build-tsan -j "$jobs" --target core_tests sound_tests text_movie_tests platform_tests
# Races inside libraries that are not ours are suppressed by name (each entry says which and why).
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/scripts/tsan_suppressions.txt" \
  ctest --test-dir build-tsan -j "$jobs" --timeout 900 --output-on-failure -L '^(core|sound|text_movie|platform)$' \
  -E '_corpus$'
