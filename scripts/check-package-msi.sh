#!/usr/bin/env bash
# The Windows installer under Wine, in a fresh prefix of its own:
# `msiexec /i kelvora-<version>.msi /qn` puts the zip's files, byte for byte
# and nothing else, in C:\Program Files\kelvora, a Start-menu shortcut for
# each program and an entry in the list of installed programs with the
# version, the publisher and the icon; the programs then pass the
# installed-copy check (scripts/check-install-windows.sh) in the Program Files
# the installer makes; `msiexec /x` leaves none of it behind. Last, a package
# of a later version installed over this one replaces it, and removing that
# one leaves nothing either.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
build=$windows_build
started=$SECONDS

fail() { echo "check-package-msi: FAILED: $*"; exit 1; }
command -v wixl >/dev/null && command -v msiinfo >/dev/null || skip "wixl and msitools are missing"
have_mingw || skip "no mingw-w64 cross compiler (g++-mingw-w64-x86-64)"
command -v rsvg-convert >/dev/null && command -v icotool >/dev/null ||
  skip "rsvg-convert (librsvg2-bin) or icotool (icoutils) is missing"
find_wine
[ -n "$wine" ] || skip "Wine is not installed"

version=$(sed -n 's/^project(kelvora VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
later=${version%.*}.$((${version##*.} + 1))
out=$(scripts/package-msi.sh "$version" "$later") || { echo "$out"; fail "the installer was not built"; }
msi=$(tail -n 2 <<<"$out" | head -n 1)
later_msi=$(tail -n 1 <<<"$out")

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-msi-check-XXXXXX")
prefix=$work/wine
cleanup() {
  WINEPREFIX=$prefix wine_stop
  rm -rf "$work"
}
trap cleanup EXIT
# What the zip holds is what must be installed.
(cd "$work" && cmake -E tar xf "$OLDPWD/$build/kelvora-$version-windows.zip")
zipped=$work/kelvora-$version-windows

# No display: msiexec /qn and reg need none.
wine_environment "$prefix"
unset DISPLAY
wine_boot

unix_path() { timeout 60 "$wine" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
folder="$prefix/drive_c/Program Files/kelvora"
declare -A shortcut_targets=(["Mirevant 動画ページ作成.lnk"]=kelvora.exe ["Mirequick 一発作成.lnk"]=kelvquick.exe)
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

# msiexec ACTION PACKAGE: runs it without a user interface, logging into the
# work folder; the log's end is shown when it fails.
msiexec() {
  log=$work/$(basename "$2" .msi)-${1#/}.log
  if ! timeout 300 "$wine" msiexec "$1" "$(windows_path "$2")" /qn /l*v "$(windows_path "$log")" >/dev/null 2>&1; then
    tr -d '\r' <"$log" | tail -n 30 || true
    fail "msiexec $1 $(basename "$2") failed"
  fi
}
product_code() { msiinfo export "$1" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p'; }
# The data of one value of a registry key, empty when there is none.
reg_value() {
  timeout 60 "$wine" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 \{2,\}REG_[A-Z_]* \{2,\}//p" || true
}
reg_key_exists() { timeout 60 "$wine" reg query "$1" >/dev/null 2>&1; }

# installed PACKAGE VERSION: everything the package installs is there.
installed() {
  local msi=$1 version=$2 code key file lnk icon menu_folder
  [ "$(ls -A "$folder" 2>/dev/null)" = "$(ls -A "$zipped")" ] ||
    fail "C:\\Program Files\\kelvora holds \"$(ls -A "$folder" 2>/dev/null | tr '\n' ' ')\", the zip \"$(ls -A "$zipped" | tr '\n' ' ')\""
  for file in "$zipped"/*; do
    cmp -s "$file" "$folder/${file##*/}" || fail "the installed ${file##*/} is not the zip's"
  done
  code=$(product_code "$msi")
  # The Start menu's programs folder as the installer found it: for every
  # user on Windows; Wine's installer takes the installing user's.
  menu_folder=$(tr -d '\r' <"$log" | sed -n 's/^Property(S): ProgramMenuFolder = //p' | tail -n 1)
  [ -n "$menu_folder" ] || fail "the installer's log names no ProgramMenuFolder"
  menu=$(unix_path "$menu_folder")
  for lnk in "${!shortcut_targets[@]}"; do
    [ -s "$menu/$lnk" ] || fail "no shortcut $lnk in the Start menu ($menu)"
    # The link's target and icon, as the shell's link format keeps them.
    LC_ALL=C grep -qaF "C:\\Program Files\\kelvora\\${shortcut_targets[$lnk]}" "$menu/$lnk" ||
      fail "the shortcut $lnk does not start C:\\Program Files\\kelvora\\${shortcut_targets[$lnk]}"
    icon=$(strings -a -el "$menu/$lnk" | grep -ioE 'C:\\windows\\Installer\\\{[-0-9A-F]+\}\\kelvora\.ico' | head -n 1 || true)
    cmp -s "$(unix_path "$icon")" "$build/win_resources/programs.ico" ||
      fail "the shortcut $lnk does not show the programs' icon (${icon:-none})"
  done
  key="$uninstall\\$code"
  [ "$(reg_value "$key" DisplayName)" = kelvora ] || fail "no uninstall entry kelvora under $key"
  [ "$(reg_value "$key" DisplayVersion)" = "$version" ] ||
    fail "the uninstall entry's DisplayVersion is \"$(reg_value "$key" DisplayVersion)\", not $version"
  [ "$(reg_value "$key" Publisher)" = kelvora ] ||
    fail "the uninstall entry's Publisher is \"$(reg_value "$key" Publisher)\", not kelvora"
  icon=$(reg_value "$key" DisplayIcon)
  [ "$icon" = 'C:\Program Files\kelvora\kelvora.exe' ] ||
    fail "the uninstall entry's DisplayIcon is \"$icon\", not the installed kelvora.exe"
  echo "check-package-msi: $(basename "$msi") installed $(ls "$folder" | tr '\n' ' ')in C:\\Program Files\\kelvora;" \
    "$(printf '「%s」 ' "${!shortcut_targets[@]}")in $menu_folder;" \
    "$key with DisplayVersion $version, Publisher kelvora, DisplayIcon $icon"
}

# removed PACKAGE: nothing the package installed is left.
removed() {
  local code lnk
  code=$(product_code "$1")
  [ ! -e "$folder" ] || fail "C:\\Program Files\\kelvora is still there: $(ls -A "$folder" | tr '\n' ' ')"
  for lnk in "${!shortcut_targets[@]}"; do
    [ ! -e "$menu/$lnk" ] || fail "the shortcut $lnk is still in the Start menu"
  done
  ! reg_key_exists "$uninstall\\$code" || fail "the uninstall entry $uninstall\\$code is still there"
  [ ! -e "$prefix/drive_c/windows/Installer/$code" ] || fail "the installer's icon folder for $code is still there"
}

msiexec /i "$msi"
installed "$msi" "$version"
scripts/check-install-windows.sh "$build" "$msi"
msiexec /x "$msi"
removed "$msi"
echo "check-package-msi: msiexec /x $(basename "$msi") left no file, shortcut or registry key"

# A later version replaces this one: one entry, of the later version.
msiexec /i "$msi"
msiexec /i "$later_msi"
installed "$later_msi" "$later"
! reg_key_exists "$uninstall\\$(product_code "$msi")" || fail "$(basename "$later_msi") left $version's uninstall entry"
msiexec /x "$later_msi"
removed "$later_msi"
removed "$msi"
echo "check-package-msi: $(basename "$later_msi") replaced $version, and its removal left nothing: ok ($((SECONDS - started)) s)"
