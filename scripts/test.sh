#!/bin/bash
# Sets up, builds and runs every test; fails when a test fails or is skipped.
#   scripts/test.sh             normal build in build/
#   scripts/test.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer build in build-san/
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

BUILD=build
FLAGS=()
if [ "${1:-}" = "--sanitize" ]; then
  BUILD=build-san
  FLAGS=(-DPN_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi

JOBS=$(nproc)
cmake -S . -B "$BUILD" "${FLAGS[@]}"
cmake --build "$BUILD" -j "$JOBS"
export QT_QPA_PLATFORM=offscreen
# Every tool a test needs is installed above, so a skipped test is a fault
# of the set-up or of the test: the run fails naming it.
mkdir -p "$BUILD/Testing"
LOG="$BUILD/Testing/test-sh.log"
ctest --test-dir "$BUILD" --output-on-failure -j "$JOBS" 2>&1 | tee "$LOG"
if grep -q '(Skipped)$' "$LOG"; then
  echo "test.sh: tests were skipped:" >&2
  grep '(Skipped)$' "$LOG" | sort -u >&2
  exit 1
fi
# One format for the whole tree (the sanitizer run reads the same files).
if [ "$BUILD" = build ]; then
  bash scripts/check-format.sh
fi
