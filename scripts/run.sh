#!/bin/bash
# Sets up, builds and starts the converter. Arguments are passed to it.
set -euo pipefail
cd "$(dirname "$0")/.."

# The converter is a dialog: without a display it cannot start, so say so
# before installing and building anything.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: no display to show the converter on (DISPLAY and WAYLAND_DISPLAY are not" \
    "set). Run it in a desktop session, or set QT_QPA_PLATFORM to the platform the" \
    "toolkit should use." >&2
  exit 2
fi

bash scripts/setup.sh
cmake -S . -B build
cmake --build build -j "$(nproc)" --target Ostrel
exec ./build/converter/Ostrel "$@"
