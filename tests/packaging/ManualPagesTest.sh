#!/bin/bash
# The manual pages under packaging/man: each English page has its Japanese
# one and the other way round, each names its program and section 1 in its
# title, formats without a warning from man and groff (groff may warn that it
# cannot break or adjust a line of a Japanese page, which has no blanks) and
# with no line wider than the 80 columns of a terminal, and has a NAME line
# from which the whatis database can be made. A Japanese page shows no
# blank inside its sentences: none after 、 or 。 and none between two
# Japanese characters, as a source line end without \c would give.
#   ManualPagesTest.sh SOURCE-DIR
set -euo pipefail
MAN="$1/packaging/man"
failures=0
fail() {
  echo "FAIL $*" >&2
  failures=$((failures + 1))
}

pages=()
for page in "$MAN"/*.1; do
  pages+=("$page")
  [ -f "$MAN/ja/$(basename "$page")" ] || fail "$page: no Japanese page"
done
for page in "$MAN"/ja/*.1; do
  pages+=("$page")
  [ -f "$MAN/$(basename "$page")" ] || fail "$page: no English page"
done
[ "${#pages[@]}" -ge 4 ] || fail "only ${#pages[@]} pages in $MAN"

for page in "${pages[@]}"; do
  program="$(basename "$page" .1)"
  upper="$(tr '[:lower:]' '[:upper:]' <<< "$program")"
  grep -Eq "^\.TH $upper 1 " "$page" || fail "$page: the title is not \"$upper 1\""
  warnings="$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 > /dev/null)" ||
    fail "$page: man failed"
  if [[ "$page" == */ja/* ]]; then
    warnings="$(grep -Ev "warning \[.*\]: (can't break|cannot adjust) line" <<< "$warnings" || true)"
  fi
  [ -z "$warnings" ] || fail "$page: $warnings"
  width="$(LC_ALL=C.UTF-8 MANWIDTH=80 man -E UTF-8 -l "$page" 2> /dev/null | LC_ALL=C.UTF-8 wc -L)"
  [ "$width" -le 80 ] || fail "$page: a line $width columns wide at 80 columns"
  if [[ "$page" == */ja/* ]]; then
    blanks="$(LC_ALL=C.UTF-8 MANWIDTH=80 man -E UTF-8 -l "$page" 2> /dev/null |
      LC_ALL=C.UTF-8 grep -nP '[、。] |[^\x00-\x7f] [^\x00-\x7f]' || true)"
    [ -z "$blanks" ] || fail "$page: blanks inside Japanese sentences:"$'\n'"$blanks"
  fi
  whatis="$(lexgrog "$page" 2>&1)" || fail "$page: no whatis line: $whatis"
  grep -qF ": \"$program - " <<< "$whatis" || fail "$page: whatis line $whatis"
done
[ "$failures" = 0 ]
