#!/bin/sh
# Starts the setup launcher Fennick of this folder:  sh Fennick.sh
# Where the folder's files have lost their execute bits (a copy on a FAT
# stick) or its file system runs no programs, the folder is copied to a
# temporary folder first and the launcher runs from there; the copy is
# removed when the launcher ends. The status is the launcher's.
here=$(dirname -- "$0")
if [ -x "$here/Fennick" ] && [ -x "$here/FennickInstaller" ]; then
  exec "$here/Fennick" "$@"
fi
copy=$(mktemp -d "${TMPDIR:-/tmp}/velmora-setup.XXXXXX") || exit 1
trap 'rm -rf "$copy"' EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM
if ! cp -R -- "$here/." "$copy/" || ! chmod u+x "$copy/Fennick" "$copy/FennickInstaller"; then
  echo "Fennick.sh: cannot copy $here into $copy" >&2
  exit 1
fi
"$copy/Fennick" "$@"
