#!/bin/bash
# Renders every dialog of the converter, the setup launcher's dialogs in the
# usual Japanese fonts and its installer window in each of its states
# offscreen into PNG files so that a person can look at them:
#   tools/render-dialogs.sh [output-folder]
# With --readme, writes only the two pictures the README shows, into
# docs/images/ (converter-main.png, converter-result.png).
set -euo pipefail
cd "$(dirname "$0")/.."
README=
if [ "${1:-}" = "--readme" ]; then
  README=docs/images
  OUT="$(mktemp -d)"
  trap "rm -rf '$OUT'" EXIT
else
  OUT="$(realpath -m "${1:-dialogs}")"
fi
mkdir -p "$OUT"
bash scripts/setup.sh
cmake -S . -B build
cmake --build build -j "$(nproc)" --target converter_tests launcher_tests
PN_RENDER_DIR="$OUT" QT_QPA_PLATFORM=offscreen ./build/tests/converter_tests --gtest_filter='GuiRender*'
PN_RENDER_DIR="$OUT" QT_QPA_PLATFORM=offscreen ./build/tests/launcher_tests \
  --gtest_filter='InstallerRender*:*JapaneseFonts*'
if [ -n "$README" ]; then
  mkdir -p "$README"
  cp "$OUT/readme-main.png" "$README/converter-main.png"
  cp "$OUT/result.png" "$README/converter-result.png"
  echo "Pictures written to $README"
else
  echo "Dialogs written to $OUT"
fi
