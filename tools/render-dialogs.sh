#!/bin/bash
# Renders every dialog of the converter offscreen into PNG files so that a
# person can look at them: tools/render-dialogs.sh [output-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
OUT="$(realpath -m "${1:-dialogs}")"
mkdir -p "$OUT"
bash scripts/setup.sh
cmake -S . -B build
cmake --build build -j "$(nproc)" --target converter_tests
PN_RENDER_DIR="$OUT" QT_QPA_PLATFORM=offscreen ./build/tests/converter_tests --gtest_filter='GuiRender*'
echo "Dialogs written to $OUT"
