#!/bin/bash
# scripts/run.sh stops at once, before setting anything up or building, when
# the converter would have no display; with one named it goes on. A copy of
# the script runs beside a setup.sh that only says it was reached.
#   RunScriptTest.sh SOURCE-DIR
set -euo pipefail
SOURCE="$1"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/scripts"
cp "$SOURCE/scripts/run.sh" "$WORK/scripts/run.sh"
printf 'echo setup reached\nexit 42\n' > "$WORK/scripts/setup.sh"

failures=0
# expect NAME STATUS TEXT [VARIABLE=VALUE ...]: run.sh in an environment with
# only PATH, HOME and the variables given exits with STATUS and says TEXT.
expect() {
  local name="$1" status="$2" text="$3"
  shift 3
  local out rc=0
  out="$(env -i PATH="$PATH" HOME="$WORK" "$@" bash "$WORK/scripts/run.sh" 2>&1)" || rc=$?
  if [ "$rc" != "$status" ] || ! grep -qF -- "$text" <<< "$out"; then
    echo "FAIL $name: status $rc (expected $status), output: $out" >&2
    failures=$((failures + 1))
  fi
}

expect "no display" 2 "no display to show the converter on"
expect "empty DISPLAY" 2 "no display to show the converter on" DISPLAY= WAYLAND_DISPLAY=
expect "X display" 42 "setup reached" DISPLAY=:0
expect "Wayland display" 42 "setup reached" WAYLAND_DISPLAY=wayland-0
expect "platform named" 42 "setup reached" QT_QPA_PLATFORM=offscreen

# Refused without a display, nothing was set up.
if env -i PATH="$PATH" HOME="$WORK" bash "$WORK/scripts/run.sh" 2>&1 | grep -q "setup reached"; then
  echo "FAIL: run.sh set up without a display" >&2
  failures=$((failures + 1))
fi
[ "$failures" = 0 ]
