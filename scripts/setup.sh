#!/bin/bash
# Installs the Debian packages that building and testing need; only what is missing.
set -euo pipefail

PACKAGES=(
  cmake g++ make pkg-config tzdata binutils
  libgtest-dev
  libtiff-dev libjpeg62-turbo-dev zlib1g-dev libmd-dev
  libfontconfig-dev libfreetype-dev fonts-dejavu-core fonts-dejavu-extra
  qt6-base-dev
  qpdf mupdf-tools poppler-utils
  fonts-noto-cjk qt6-translations-l10n
  fonts-vlgothic fonts-ipafont-gothic
  poppler-data
  python3
  clang-format-14
  dpkg-dev desktop-file-utils lintian man-db
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
