#!/usr/bin/env bash
# Builds the Debian package (scripts/package-deb.sh), has lintian check it
# (any error or warning fails), installs it for real with apt-get, checks the
# installed copy (scripts/check-install.sh --installed /usr) and the manual
# pages, then purges it and checks that nothing it installed is left.
#   check-package-deb.sh [<build folder with test_qt_help and press_quick>]
# The test build (default build) lends the tools of the installed-copy check;
# without it, that check only starts the installed programs.
set -euo pipefail
cd "$(dirname "$0")/.."
tools=${1:-build}
[ -d "$tools" ] || tools=
if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
apt_get() {
  # Waits for another apt or dpkg run to finish rather than failing on its lock.
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600 "$@"
}

package=$(scripts/package-deb.sh)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$(dirname "$package")/CMakeCache.txt")
expected=kelvora_${version}-1_$(dpkg --print-architecture).deb
[ "$(basename "$package")" = "$expected" ] || { echo "the package is $package, not $expected"; exit 1; }
echo "package: $package (${SECONDS}s)"
dpkg-deb --info "$package" | sed -n 's/^ \(Depends\|Recommends\|Installed-Size\):/  &/p'

# Informational tags and the overrides the package carries, each with its
# reason, are shown but pass; the package must stay clean of the rest.
findings=$(lintian --display-info --show-overrides "$package" 2>&1 | grep -v '^running with root privileges') || true
echo "lintian (${SECONDS}s):${findings:+$'\n'}$findings"
if grep -E '^[EW]: ' <<<"$findings"; then
  echo "lintian reports errors or warnings"
  exit 1
fi

installed=
purge() {
  if [ -n "$installed" ]; then
    installed=
    apt_get purge -y -qq kelvora >/dev/null
  fi
}
trap purge EXIT
installed=yes
apt_get install -y -qq "$PWD/$package" >/dev/null
echo "installed with apt-get (${SECONDS}s)"
files=$(dpkg -L kelvora)

for file in /usr/bin/kelvora /usr/bin/kelvquick /usr/share/kelvora/KELVORA.hlp \
    /usr/share/applications/kelvora.desktop /usr/share/applications/kelvquick.desktop \
    /usr/share/metainfo/org.kelvora.kelvora.metainfo.xml /usr/share/metainfo/org.kelvora.kelvquick.metainfo.xml \
    /usr/share/icons/hicolor/scalable/apps/kelvora.svg \
    /usr/share/icons/hicolor/{16x16,22x22,24x24,32x32,48x48,64x64,128x128,256x256}/apps/kelvora.png \
    /usr/share/man/man1/{kelvora,kelvquick}.1.gz /usr/share/man/ja/man1/{kelvora,kelvquick}.1.gz \
    /usr/share/doc/kelvora/copyright /usr/share/doc/kelvora/changelog.Debian.gz; do
  grep -qxF "$file" <<<"$files" || { echo "the package does not install $file"; exit 1; }
done
echo "packaged files: ok"
for size in 16 22 24 32 48 64 128 256; do
  png=/usr/share/icons/hicolor/${size}x${size}/apps/kelvora.png
  file -b "$png" | grep -q "PNG image data, $size x $size," || { echo "$png: $(file -b "$png")"; exit 1; }
done
echo "icon sizes: ok"

"${sudo[@]}" scripts/check-install.sh --installed /usr ${tools:+"$tools"}

# Each manual page is found for its language and says where the folders go.
# The Japanese locale is compiled into a scratch folder, so that the check
# needs none on the system.
locales=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-locale-XXXXXX")
trap 'rm -rf "$locales"; purge' EXIT
localedef -i ja_JP -f UTF-8 "$locales/ja_JP.UTF-8" >/dev/null 2>&1 || true
[ -e "$locales/ja_JP.UTF-8/LC_CTYPE" ] || { echo "localedef could not build ja_JP.UTF-8"; exit 1; }
in_english=(env -u LC_ALL -u LANGUAGE LANG=C.UTF-8 MANWIDTH=200)
in_japanese=(env -u LC_ALL -u LANGUAGE LOCPATH="$locales" LANG=ja_JP.UTF-8 MANWIDTH=200)
for program in kelvora kelvquick; do
  page=$("${in_english[@]}" man -w "$program")
  [ "$page" = "/usr/share/man/man1/$program.1.gz" ] || { echo "man -w $program gives $page"; exit 1; }
  page=$("${in_japanese[@]}" man -w "$program")
  [ "$page" = "/usr/share/man/ja/man1/$program.1.gz" ] ||
    { echo "LANG=ja_JP.UTF-8 man -w $program gives $page"; exit 1; }
  english=$("${in_english[@]}" man "$program" 2>&1)
  japanese=$("${in_japanese[@]}" man "$program" 2>&1)
  grep -qF '~/kelvora' <<<"$english" && grep -qF 'per-user folder' <<<"$english" ||
    { echo "man $program does not tell the per-user folder:"; echo "$english"; exit 1; }
  grep -qF '~/kelvora' <<<"$japanese" && grep -qF 'ユーザーごとのフォルダー' <<<"$japanese" ||
    { echo "the Japanese man $program does not tell the per-user folder:"; echo "$japanese"; exit 1; }
done
echo "manual pages, English and Japanese: ok"

purge
rm -rf "$locales"
trap - EXIT
# Whatever the package put on the system is gone; a folder may stay only
# where another package owns it too.
left=
while IFS= read -r path; do
  [ "$path" != /. ] || continue
  if [ -d "$path" ] && [ ! -L "$path" ]; then
    dpkg -S "$path" >/dev/null 2>&1 || left+="$path"$'\n'
  elif [ -e "$path" ] || [ -L "$path" ]; then
    left+="$path"$'\n'
  fi
done <<<"$files"
[ -z "$left" ] || { echo "left after purge:"; echo -n "$left"; exit 1; }
! dpkg -s kelvora >/dev/null 2>&1 || { echo "dpkg still knows kelvora after purge"; exit 1; }
echo "purged, nothing left: ok"
echo "Debian package checked in ${SECONDS}s"
