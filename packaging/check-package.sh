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
FILES+=(share/doc/$NAME/copyright share/doc/$NAME/changelog.gz)
for page in Ostrel Fennick; do FILES+=("share/man/man1/$page.1.gz" "share/man/ja/man1/$page.1.gz"); done
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
for key in 'Keywords' 'Keywords\[ja\]'; do
  grep -Eq "^$key=.+" "$WORK/root/usr/share/applications/$NAME.desktop" || fail "no $key in the entry"
done
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

# The distribution folder runs where the toolkit is not installed. The
# programs search lib/ beside them and nothing else; with that, every library
# they, the libraries of lib/ and the xcb platform plugin need is found in
# lib/ or is one of the base set (dist-base-libraries.txt); qt.conf points
# the toolkit to the folder's plugin. The archive keeps the execute bits.
DIST="$(realpath "$BUILD/dist")"
mapfile -t BASE < <(sed -n 's/^\([^# ][^ ]*\) .*/\1/p' packaging/dist-base-libraries.txt)
[ "${#BASE[@]}" -gt 10 ] || fail "packaging/dist-base-libraries.txt names ${#BASE[@]} libraries"
for program in Fennick FennickInstaller; do
  rpath="$(readelf -d "$DIST/$program" | sed -n 's/.*(RPATH).*\[\(.*\)\]$/\1/p')"
  [ "$rpath" = '$ORIGIN/lib' ] || fail "$program searches '$rpath' for libraries, not \$ORIGIN/lib"
done
[ -f "$DIST/plugins/platforms/libqxcb.so" ] || fail "no xcb platform plugin in $DIST/plugins/platforms"
grep -qx 'Plugins=plugins' "$DIST/qt.conf" || fail "qt.conf does not name the folder's plugins"
elves=0
while IFS= read -r -d '' file; do
  [ "$(head -c 4 "$file" | od -An -tx1 | tr -d ' \n')" = 7f454c46 ] || continue
  elves=$((elves + 1))
  case "$file" in
    "$DIST/Fennick" | "$DIST/FennickInstaller") search=() ;;
    *) search=(env LD_LIBRARY_PATH="$DIST/lib") ;;
  esac
  "${search[@]}" ldd "$file" > "$WORK/ldd" || fail "ldd $file"
  while read -r name arrow path _; do
    [ "$arrow" = "=>" ] || continue
    [ "$path" != "not" ] || fail "$file: $name is not found"
    [[ "$path" == "$DIST/lib/"* ]] && continue
    printf '%s\n' "${BASE[@]}" | grep -qxF "$name" ||
      fail "$file needs $name from $path, neither in the folder nor in the base set"
  done < "$WORK/ldd"
done < <(find "$DIST" -type f -print0)
[ "$elves" -gt 3 ] || fail "only $elves programs and libraries in $DIST"
tar -tvzf "$BUILD/$NAME-$VERSION-setup.tar.gz" > "$WORK/archive" || fail "no archive of $DIST"
for program in Fennick FennickInstaller Fennick.sh; do
  grep -Eq "^-rwxr-xr-x .* $NAME-$VERSION-setup/$program\$" "$WORK/archive" ||
    fail "the archive lacks $program with its execute bits"
done

# The Japanese manual pages as installed, looked up as a Japanese user does:
# no blank inside their sentences.
for page in Ostrel Fennick; do
  MANPATH="$WORK/root/usr/share/man" LC_ALL=C.UTF-8 man -L ja "$page" > "$WORK/man-$page" \
    2> /dev/null || fail "man -L ja $page"
  head -1 "$WORK/man-$page" | grep -q 'ユーザーコマンド' || fail "man -L ja $page shows no Japanese page"
  ! grep -n '、 \|。 ' "$WORK/man-$page" || fail "blanks inside the Japanese sentences of $page(1)"
done

# The changelog's latest entry is this version.
CHANGED="$(zcat "$WORK/root/usr/share/doc/$NAME/changelog.gz" | dpkg-parsechangelog -l- -SVersion)"
[ "$CHANGED" = "$VERSION" ] || fail "the changelog's latest version is $CHANGED, not $VERSION"

# Debian's package checker: no error and no warning, and none of its
# hardening notes on any program the package holds, save the one on fortified
# functions, which it also gives for a program built with them whose calls
# all have sizes the compiler cannot know (Fennick); that the programs are
# built with them shows in the fortified calls the package makes.
lintian --fail-on none --display-info --pedantic "$DEB" > "$WORK/lintian" ||
  fail "lintian did not run"
sed 's/^/lintian: /' "$WORK/lintian"
if grep -E '^[EW]: ' "$WORK/lintian" > /dev/null; then
  fail "lintian reports errors or warnings"
fi
if grep -E '^[IP]: [^ ]+ hardening-' "$WORK/lintian" | grep -v ' hardening-no-fortify-functions '; then
  fail "lintian reports a program built without a hardening feature"
fi
fortified=0
while IFS= read -r -d '' file; do
  [ "$(head -c 4 "$file" | od -An -tx1 | tr -d ' \n')" = 7f454c46 ] || continue
  readelf --dyn-syms -W "$file" > "$WORK/symbols"
  if grep -Eq ' UND __[a-z0-9_]+_chk(@|$)' "$WORK/symbols"; then fortified=1; fi
done < <(find "$WORK/root" -type f -print0)
[ "$fortified" = 1 ] || fail "no program of the package makes a fortified call (_FORTIFY_SOURCE)"

echo "check-package: $DEB"
echo "Depends: $DEPENDS"
