#!/bin/bash
# Fails when a C++ source or header differs from .clang-format, naming each
# file. Generated tables follow their generators (pdf/metrics/generated has
# a .clang-format of its own that turns formatting off).
#   scripts/check-format.sh          check
#   scripts/check-format.sh --fix    rewrite the files that differ
set -euo pipefail
cd "$(dirname "$0")/.."

FORMAT=clang-format-14
command -v "$FORMAT" > /dev/null || FORMAT=clang-format

if git rev-parse --is-inside-work-tree > /dev/null 2>&1; then
  mapfile -d '' listed < <(git ls-files -z --cached --others --exclude-standard -- '*.cpp' '*.h')
  files=()
  for f in "${listed[@]}"; do [ -f "$f" ] && files+=("$f"); done
else
  mapfile -d '' files < <(find . -path ./build -prune -o -path ./build-san -prune -o \
    \( -name '*.cpp' -o -name '*.h' \) -type f -print0)
fi

if [ "${1:-}" = "--fix" ]; then
  printf '%s\0' "${files[@]}" | xargs -0 -P "$(nproc)" -n 32 "$FORMAT" -i
  exit 0
fi

differ=$(printf '%s\0' "${files[@]}" | xargs -0 -P "$(nproc)" -n 32 "$FORMAT" --dry-run 2>&1 |
  sed -n 's/^\(.*\):[0-9]*:[0-9]*: warning: code should be clang-formatted.*/\1/p' | sort -u)
if [ -n "$differ" ]; then
  echo "These files differ from .clang-format (scripts/check-format.sh --fix rewrites them):"
  echo "$differ"
  exit 1
fi
echo "Format check: ${#files[@]} files match .clang-format"
