#!/usr/bin/env bash
# Set up, build and run every test: first the normal build, then the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, then the threaded labels under ThreadSanitizer
# (scripts/tsan.sh). Exits non-zero on any failure or reported race.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/setup.sh

jobs=$(nproc)
run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --timeout 600 --output-on-failure
}

echo "== build and test (RelWithDebInfo)"
run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== build and test (AddressSanitizer + UndefinedBehaviorSanitizer)"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 -DKORVALUND_SANITIZE=ON
echo "== build and test the threaded labels (ThreadSanitizer)"
bash scripts/tsan.sh
