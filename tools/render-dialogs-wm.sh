#!/bin/bash
# Renders every dialog and message box of the converter, and the setup
# launcher's installer window in each of its states (installer-*.png), on a
# virtual X display under a window manager (Xvfb with openbox), so that a
# person can look at the window frames: which title-bar buttons each window
# gets and whether its title is shown whole.
#   tools/render-dialogs-wm.sh [output-folder]
#   WM=icewm tools/render-dialogs-wm.sh [output-folder]   (another manager)
# Writes <name>.png (the window) and <name>-frame.png (the window with its
# frame, taken from the screen), and frames.txt with the hints each window
# gives and the actions the window manager allows it. Needs xvfb, x11-utils
# and the window manager, which the build does not need and
# scripts/setup.sh does not install:
#   apt-get install xvfb openbox x11-utils
set -euo pipefail
cd "$(dirname "$0")/.."
OUT="$(realpath -m "${1:-dialogs-wm}")"
BUILD="${BUILD:-build}"
WM="${WM:-openbox}"
for tool in Xvfb "$WM" xprop; do
  command -v "$tool" > /dev/null || { echo "$tool is missing (apt-get install xvfb openbox x11-utils)" >&2; exit 1; }
done
mkdir -p "$OUT"
rm -f "$OUT/frames.txt"
cmake --build "$BUILD" -j "$(nproc)" --target converter_tests launcher_tests

# A display number no running server holds.
display=""
for n in $(seq 90 140); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "no free display number" >&2; exit 1; }

Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp > "$OUT/xvfb.log" 2>&1 &
xvfb=$!
wm=""
cleanup() {
  [ -n "$wm" ] && kill "$wm" 2> /dev/null || true
  kill "$xvfb" 2> /dev/null || true
}
trap cleanup EXIT
for _ in $(seq 50); do
  DISPLAY="$display" xprop -root > /dev/null 2>&1 && break
  sleep 0.1
done
DISPLAY="$display" "$WM" > "$OUT/wm.log" 2>&1 &
wm=$!
# The window manager is up once it names itself on the root window.
for _ in $(seq 50); do
  DISPLAY="$display" xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q "window id" && break
  sleep 0.1
done

DISPLAY="$display" QT_QPA_PLATFORM=xcb LANG=C.UTF-8 PN_RENDER_DIR="$OUT" PN_RENDER_FRAMES=1 \
  "./$BUILD/tests/converter_tests" --gtest_filter='GuiRender*'
DISPLAY="$display" QT_QPA_PLATFORM=xcb LANG=C.UTF-8 PN_RENDER_DIR="$OUT" PN_RENDER_FRAMES=1 \
  "./$BUILD/tests/launcher_tests" --gtest_filter='InstallerRender*'
echo "Dialogs with their frames written to $OUT"
