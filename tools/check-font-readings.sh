#!/bin/bash
# Development-time check of what the library reads from real fonts (not run
# by the tests or CI): every font dictionary of a set of real PDFs, each
# code's ToUnicode, read by this tree and by another checkout of the library
# (main from before a change), then compared. Every font whose reading
# changed is listed with its codes; the check fails on any change that is
# not one it knows to be meant:
#   - a dingbat name (a1, a65, ...) in a font that is not ZapfDingbats or
#     Dingbats now reads nothing (Type 3 fonts of TeX output name their
#     glyphs /a0 /a1 ...).
#
#   git worktree add --detach ../base main     (the tree to compare with)
#   bash tools/check-font-readings.sh ../base [PDF or folder ...]
#
# Without PDFs it reads every *.pdf and *.pdf.gz under /usr/share/doc. Each
# PDF is first written by `qpdf --qdf --object-streams=disable --decrypt`
# (scripts/setup.sh installs qpdf), so that every object stands in the file
# by itself; tools/font-readings.cpp reads its fonts. The tool is built in
# both trees with tools/font-readings.cmake (-j4; builds are kept in
# FONT_READINGS_BUILD, default /tmp/font-readings-build).
#
# Exit status: 0 only meant changes (or none), 1 another change (listed),
# 2 a build or an input that failed.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"

if [ $# -lt 1 ] || [ ! -f "$1/CMakeLists.txt" ]; then
  echo "usage: check-font-readings.sh BASE_TREE [PDF or folder ...]" >&2
  exit 2
fi
BASE="$(cd "$1" && pwd)"
shift
if ! command -v qpdf > /dev/null; then
  echo "check-font-readings: qpdf not found (scripts/setup.sh installs it)" >&2
  exit 2
fi
BUILD="${FONT_READINGS_BUILD:-/tmp/font-readings-build}"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

build() {  # tree, build folder
  cmake -S "$1" -B "$2" -DPN_GUI=OFF -DCMAKE_PROJECT_INCLUDE="$ROOT/tools/font-readings.cmake" \
    -DPN_FONT_READINGS_SOURCE="$ROOT/tools/font-readings.cpp" > "$2.log" 2>&1 &&
    cmake --build "$2" -j4 --target font_readings >> "$2.log" 2>&1 || {
    echo "check-font-readings: the build in $2 failed ($2.log)" >&2
    exit 2
  }
}
mkdir -p "$BUILD"
build "$BASE" "$BUILD/before"
build "$ROOT" "$BUILD/after"

[ $# -gt 0 ] || set -- /usr/share/doc
find "$@" \( -name '*.pdf' -o -name '*.pdf.gz' \) -type f | sort > "$WORK/inputs"
: > "$WORK/before.txt"
: > "$WORK/after.txt"
read_pdfs=0
skipped=0
while IFS= read -r input; do
  case "$input" in
    *.gz) gunzip -c "$input" > "$WORK/in.pdf" 2> /dev/null || { skipped=$((skipped + 1)); continue; } ;;
    *) cp "$input" "$WORK/in.pdf" ;;
  esac
  # qpdf answers 3 for a file it read with warnings.
  status=0
  qpdf --qdf --object-streams=disable --decrypt "$WORK/in.pdf" "$WORK/in.qdf" \
    > /dev/null 2>&1 || status=$?
  if [ "$status" -ne 0 ] && [ "$status" -ne 3 ]; then
    skipped=$((skipped + 1))
    continue
  fi
  read_pdfs=$((read_pdfs + 1))
  for side in before after; do
    "$BUILD/$side/font_readings" "$WORK/in.qdf" |
      INPUT="$input" awk '{ print ENVIRON["INPUT"] "\t" $0 }' >> "$WORK/$side.txt"
  done
done < "$WORK/inputs"
echo "PDFs read: $read_pdfs, skipped (not read by qpdf): $skipped"

python3 - "$WORK/before.txt" "$WORK/after.txt" << 'PY'
import re
import sys

def load(path):
    rows = {}
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            file, obj, subtype, base, code, name, reading = line.rstrip("\n").split("\t")
            rows[(file, obj, code)] = (subtype, base, name, reading)
    return rows

before, after = load(sys.argv[1]), load(sys.argv[2])
fonts = {}
for key in sorted(set(before) | set(after)):
    font = key[:2]
    entry = fonts.setdefault(font, {"info": (before.get(key) or after.get(key))[:2],
                                    "codes": 0, "changed": []})
    if key[2] == "--":
        entry["whole"] = (before.get(key) or after.get(key))[3]
        continue
    entry["codes"] += 1
    old, new = before.get(key), after.get(key)
    if old != new:
        entry["changed"].append((key[2], (old or new)[2], old and old[3], new and new[3]))

DINGBAT = re.compile(r"^a[0-9]+$")

def reason(info, changed):
    """Why a font's reading changed, or None when no change of this kind
    is meant."""
    subtype, base = info
    if "Dingbats" in base:
        return None
    if all(DINGBAT.match(name) and new == "-" for _, name, _, new in changed):
        return "dingbat names outside ZapfDingbats read nothing"
    return None

read = [f for f, e in fonts.items() if "whole" not in e]
changed = [f for f in read if fonts[f]["changed"]]
unexpected = 0
print("fonts read code by code: %d (%d codes); not read code by code: %d composite, %d that no "
      "font kind takes"
      % (len(read), sum(fonts[f]["codes"] for f in read),
         sum(fonts[f].get("whole") == "composite" for f in fonts),
         sum(fonts[f].get("whole", "composite") != "composite" for f in fonts)))
for label, test in (("ZapfDingbats or Dingbats", lambda base: "Dingbats" in base),
                    ("Symbol", lambda base: "Symbol" in base)):
    some = [f for f in read if test(fonts[f]["info"][1])]
    print("  of them %s: %d, changed: %d"
          % (label, len(some), sum(bool(fonts[f]["changed"]) for f in some)))
print("fonts changed: %d; codes changed: %d"
      % (len(changed), sum(len(fonts[f]["changed"]) for f in changed)))
for font in changed:
    entry = fonts[font]
    why = reason(entry["info"], entry["changed"])
    if why is None:
        unexpected += 1
    names = sorted({name for _, name, _, _ in entry["changed"]},
                   key=lambda n: (len(n), n))
    print("  %s obj %s: %s %s, %d codes (%s): %s"
          % (font[0], font[1], entry["info"][0], entry["info"][1], len(entry["changed"]),
             " ".join(names[:8]) + (" ..." if len(names) > 8 else ""),
             why or "NOT A MEANT CHANGE"))
    if why is None:
        for code, name, old, new in entry["changed"]:
            print("    %s %s: %s -> %s" % (code, name, old, new))
sys.exit(1 if unexpected else 0)
PY
