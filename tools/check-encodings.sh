#!/bin/bash
# Development-time cross-check of the five predefined encodings (not run by
# the tests or CI). Prints each encoding vector of an installed Ghostscript
# and compares it row by row ("code name", one line per defined code) with
# a dump of our tables. Ghostscript is a second opinion only: our rows are
# transcribed from the published tables, never taken from its files.
#
#   apt-get install ghostscript     (not part of scripts/setup.sh)
#   bash tools/check-encodings.sh
#
# Exit status: 0 all five agree, 1 a difference (shown as a diff), 2 no gs.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"

if ! command -v gs > /dev/null; then
  echo "check-encodings: gs not found; install ghostscript to run the check" >&2
  exit 2
fi

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

# The dump: the table's own rows, without the G%02X fallback.
cat > "$WORK/dump.cpp" << 'CPP'
#include <cstdio>

#include "pdf/font/EncodingTable.h"

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    EncodingTable table;
    if (!table.LoadStandard(argv[i])) {
      std::fprintf(stderr, "unknown encoding %s\n", argv[i]);
      return 1;
    }
    for (int code = 0; code < 256; ++code) {
      if (const char* name = table.FindGlyphName(static_cast<uint8_t>(code))) {
        std::printf("%d %s\n", code, name);
      }
    }
  }
  return 0;
}
CPP
"${CXX:-c++}" -std=c++20 -I"$ROOT" -o "$WORK/dump" "$WORK/dump.cpp" \
  "$ROOT/pdf/font/EncodingTable.cpp" "$ROOT/pdf/font/PredefinedEncodings.cpp" \
  "$ROOT/pdf/object/TempString.cpp"

status=0
for encoding in StandardEncoding WinAnsiEncoding MacRomanEncoding MacExpertEncoding \
  PDFDocEncoding; do
  gs -q -dNODISPLAY -dSAFER -dBATCH -dNOPAUSE -c "
    /vector /$encoding /Encoding findresource def
    0 1 255 {
      dup vector exch get dup /.notdef eq
      { pop pop } { exch =only ( ) print =only (\n) print } ifelse
    } for" > "$WORK/gs.txt"
  "$WORK/dump" "$encoding" > "$WORK/ours.txt"
  if diff -u --label "gs $encoding" --label "ours $encoding" "$WORK/gs.txt" "$WORK/ours.txt"; then
    echo "$encoding: $(wc -l < "$WORK/ours.txt") rows agree," \
      "$(wc -c < "$WORK/ours.txt") bytes, md5 $(md5sum < "$WORK/ours.txt" | cut -d' ' -f1)"
  else
    status=1
  fi
done
exit $status
