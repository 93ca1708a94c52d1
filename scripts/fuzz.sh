#!/bin/bash
# Builds the fuzz targets with clang and runs one for a while on its corpus.
#   scripts/fuzz.sh TARGET [SECONDS] [libFuzzer options...]
#   scripts/fuzz.sh --list
# TARGET is a name from tests/fuzz/Targets.cmake (ascii_hex, flate, ...);
# SECONDS defaults to 600. The build is in build-fuzz/ (JOBS, default 2,
# compile jobs). Everything of a target is under build-fuzz/fuzz/TARGET/:
#   seeds/      the seed corpus, written anew by the target's replay runner
#   corpus/     inputs the fuzzer found interesting; kept across runs
#   artifacts/  crash-*, leak-*, timeout-* inputs of this run
#   log         the fuzzer's output
# An input that made the target fail is kept for good by copying it to
# tests/fuzz/crashes/TARGET/ under a name that says what it broke; the
# replay tests then run it on every test run.
set -euo pipefail
cd "$(dirname "$0")/.."

TARGETS_FILE=tests/fuzz/Targets.cmake
targets() { sed -n 's/^pn_fuzz_target(\([A-Za-z0-9_]*\).*/\1/p' "$TARGETS_FILE"; }

if [ "${1:-}" = "--list" ]; then
  targets
  exit 0
fi
if [ $# -lt 1 ]; then
  echo "usage: scripts/fuzz.sh TARGET [SECONDS] [libFuzzer options...]  (--list for targets)" >&2
  exit 2
fi
TARGET=$1
shift
SECONDS_TO_RUN=600
if [ $# -gt 0 ] && [[ "$1" =~ ^[0-9]+$ ]]; then
  SECONDS_TO_RUN=$1
  shift
fi
if ! targets | grep -qx "$TARGET"; then
  echo "fuzz.sh: no target '$TARGET'; targets: $(targets | tr '\n' ' ')" >&2
  exit 2
fi

CC=${CC:-clang-14}
CXX=${CXX:-clang++-14}
if ! command -v "$CXX" >/dev/null; then
  echo "fuzz.sh: $CXX not found (install clang-14 and libclang-rt-14-dev)" >&2
  exit 1
fi

BUILD=build-fuzz
JOBS=${JOBS:-2}
CC=$CC CXX=$CXX cmake -S . -B "$BUILD" -DPN_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target "fuzz_$TARGET" "fuzz_replay_$TARGET"

WORK=$BUILD/fuzz/$TARGET
mkdir -p "$WORK/corpus" "$WORK/artifacts"
rm -rf "$WORK/seeds"
"$BUILD/tests/fuzz_replay_$TARGET" --write-seeds "$WORK/seeds"

INPUTS=("$WORK/corpus" "$WORK/seeds")
if [ -d "tests/fuzz/crashes/$TARGET" ]; then
  INPUTS+=("tests/fuzz/crashes/$TARGET")
fi

# -timeout: an input taking longer is a hang; leaks are reported by default.
"$BUILD/tests/fuzz/fuzz_$TARGET" \
  -max_total_time="$SECONDS_TO_RUN" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$WORK/artifacts/" -print_final_stats=1 \
  "$@" "${INPUTS[@]}" 2>&1 | tee "$WORK/log"
