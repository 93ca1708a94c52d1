#!/bin/bash
# Sets up, builds and starts the converter. Arguments are passed to it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build
cmake --build build -j "$(nproc)" --target Ostrel
exec ./build/converter/Ostrel "$@"
