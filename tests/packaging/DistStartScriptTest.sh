#!/bin/bash
# packaging/Fennick.sh, run with sh as on a copy of the distribution folder:
# with the execute bits it starts the launcher in place; without them (a FAT
# stick) it starts it from a temporary copy of the whole folder, passes the
# arguments and the launcher's status on, and removes the copy.
#   DistStartScriptTest.sh SOURCE-DIR
set -euo pipefail
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
failures=0
fail() {
  echo "FAIL $*" >&2
  failures=$((failures + 1))
}

STICK="$WORK/my stick/setup"
mkdir -p "$STICK/lib" "$WORK/tmp"
cp "$1/packaging/Fennick.sh" "$STICK/"
touch "$STICK/InstInfo.txt" "$STICK/lib/libQt6Core.so.6"
# The fake launcher says where it runs, whether the folder's files lie
# beside it, and what it was given; it ends with status 7.
cat > "$STICK/Fennick" <<'FAKE'
#!/bin/sh
here=$(dirname "$0")
[ -f "$here/InstInfo.txt" ] && [ -f "$here/lib/libQt6Core.so.6" ] && [ -x "$here/FennickInstaller" ] &&
  echo "whole"
echo "in $here"
echo "args $*"
exit 7
FAKE
cp "$STICK/Fennick" "$STICK/FennickInstaller"

run() {
  status=0
  output="$(cd "$WORK" && TMPDIR="$WORK/tmp" sh "$STICK/Fennick.sh" "a b" c)" || status=$?
  [ "$status" = 7 ] || fail "$1: status $status, not the launcher's 7"
  grep -qx 'whole' <<< "$output" || fail "$1: the launcher's folder is not whole: $output"
  grep -qx 'args a b c' <<< "$output" || fail "$1: arguments: $output"
}

chmod +x "$STICK/Fennick"*
run "with execute bits"
grep -qxF "in $STICK" <<< "$output" || fail "with execute bits, not run in place: $output"

chmod a-x "$STICK/Fennick"*
run "without execute bits"
grep -Eq "^in $WORK/tmp/velmora-setup\.[A-Za-z0-9]+$" <<< "$output" ||
  fail "without execute bits, not run from a copy: $output"
[ -z "$(ls -A "$WORK/tmp")" ] || fail "the copy is left: $(ls -A "$WORK/tmp")"
[ ! -x "$STICK/Fennick" ] || fail "the folder itself was changed"
[ "$failures" = 0 ]
