#!/usr/bin/env bash
# Builds the project and runs the whole test suite twice: a normal build and
# a build under AddressSanitizer and UndefinedBehaviorSanitizer, after checking
# that the code is formatted; then the threaded tests under ThreadSanitizer
# (scripts/tsan-tests.sh); then replays the fuzz targets' corpora (a
# regression pass of a few seconds per target).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh

# Unformatted code fails before anything is built.
bash scripts/check-format.sh

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  run_suite build-sanitize -DCMAKE_BUILD_TYPE=Debug -DVK7_SANITIZE=ON

bash scripts/tsan-tests.sh build-tsan

bash scripts/fuzz.sh --regression
