#!/bin/bash
# Makes the Debian package and the distribution folder in a configured build
# folder and checks what they hold, without installing anything:
#   packaging/check-package.sh [build-folder]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD="${1:-build}"
NAME=velmora
VERSION=1.00
SIZES=(16 32 48 64 128 256)

fail() {
  echo "check-package: $*" >&2
  exit 1
}

cmake --build "$BUILD" -j "$(nproc)" --target dist
DEB="$BUILD/dist/${NAME}_${VERSION}_$(dpkg --print-architecture).deb"
[ -f "$DEB" ] || fail "no package $DEB"
[ -x "$BUILD/dist/Fennick" ] || fail "no launcher in $BUILD/dist"
[ -x "$BUILD/dist/FennickInstaller" ] || fail "no installer window beside the launcher in $BUILD/dist"

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

# What the package and an installation hold.
FILES=(bin/Ostrel bin/Fennick libexec/$NAME/FennickInstaller share/applications/$NAME.desktop)
for size in "${SIZES[@]}"; do FILES+=("share/icons/hicolor/${size}x${size}/apps/$NAME.png"); done
dpkg-deb -c "$DEB" > "$WORK/contents"
for file in "${FILES[@]}"; do
  grep -q " \./usr/$file\$" "$WORK/contents" || fail "the package lacks /usr/$file"
done
if grep -v ' \./usr/' "$WORK/contents" | grep -v ' \./$'; then
  fail "the package installs outside /usr"
fi
cmake --install "$BUILD" --prefix "$WORK/prefix" > /dev/null
for file in "${FILES[@]}"; do
  [ -f "$WORK/prefix/$file" ] || fail "cmake --install did not install $file"
done

# The fields: version, and the dependencies found from the libraries plus
# those of the run time.
[ "$(dpkg-deb -f "$DEB" Package)" = "$NAME" ] || fail "package name"
[ "$(dpkg-deb -f "$DEB" Version)" = "$VERSION" ] || fail "version $(dpkg-deb -f "$DEB" Version)"
DEPENDS="$(dpkg-deb -f "$DEB" Depends)"
for package in poppler-data fonts-noto-cjk 'libtiff[0-9]' 'libfontconfig[0-9]' 'libfreetype[0-9]' \
  'libqt6widgets[0-9]' 'libjpeg62'; do
  grep -Eq "(^|, )$package" <<< "$DEPENDS" || fail "Depends lacks $package: $DEPENDS"
done

# The entry and icons as installed: a valid entry, PNG files of their size.
dpkg-deb -x "$DEB" "$WORK/root"
desktop-file-validate "$WORK/root/usr/share/applications/$NAME.desktop"
grep -qx 'Exec=Ostrel %F' "$WORK/root/usr/share/applications/$NAME.desktop" || fail "Exec"
for size in "${SIZES[@]}"; do
  png="$WORK/root/usr/share/icons/hicolor/${size}x${size}/apps/$NAME.png"
  [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is no PNG"
  read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
    awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
  [ "$width x $height" = "$size x $size" ] || fail "$png is $width x $height"
done

# The launcher's file: code page 932, caption, the package's file name, a
# description.
iconv -f CP932 -t UTF-8 "$BUILD/dist/InstInfo.txt" > "$WORK/InstInfo.txt" ||
  fail "InstInfo.txt is not code page 932"
[ "$(sed -n 2p "$WORK/InstInfo.txt")" = "$(basename "$DEB")" ] || fail "InstInfo.txt line 2"
[ "$(wc -l < "$WORK/InstInfo.txt")" -ge 3 ] || fail "InstInfo.txt has no description"

echo "check-package: $DEB"
echo "Depends: $DEPENDS"
