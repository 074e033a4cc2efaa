#!/usr/bin/env bash
# Builds the Windows installer build-windows/kelvora-<version>.msi with wixl
# (Debian's wixl and msitools) from resources/windows/kelvora.wxs. It
# installs exactly what the zip of scripts/package-windows.sh holds, so the
# zip is built first and its files go into the installer; the icon is the one
# the build packs into the programs. Prints the installer's path.
#   package-msi.sh [VERSION...]
# Versions given here are put on the same files instead of the project's,
# one installer each, for trying an upgrade (scripts/check-package-msi.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-windows
for tool in wixl:wixl msibuild:msitools msiinfo:msitools; do
  command -v "${tool%%:*}" >/dev/null || {
    echo "package-msi: ${tool%%:*} is missing (apt-get install ${tool#*:})"
    exit 1
  }
done
out=$(scripts/package-windows.sh) || { echo "$out"; exit 1; }
zip=$(tail -n 1 <<<"$out")
version=$(sed -n 's/^project(kelvora VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ "$#" -gt 0 ] || set -- "$version"
icon=$PWD/$build/win_resources/programs.ico
[ -s "$icon" ] || { echo "package-msi: the build made no icon at $icon"; exit 1; }

# wixl finds sources only by paths relative to where it runs: the zip is
# unpacked beside the icon and wixl runs there.
stage=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-msi-XXXXXX")
trap 'rm -rf "$stage"' EXIT
(cd "$stage" && cmake -E tar xf "$zip")
files=kelvora-$version-windows
cp "$icon" "$stage/kelvora.ico"
wxs=$PWD/resources/windows/kelvora.wxs

# Every file of the zip must have its place in the installer, and no more.
listed=$(ls "$stage/$files" | LC_ALL=C sort | tr '\n' ' ')
installed=$(sed -n 's/.*<File Id="[^"]*" Source="\$(var.SourceDir)\/\([^"]*\)".*/\1/p' "$wxs" |
  LC_ALL=C sort | tr '\n' ' ')
[ "$listed" = "$installed" ] || {
  echo "package-msi: the zip holds \"$listed\" but the installer installs \"$installed\""
  exit 1
}

# wixl writes the strings in the code page of WINDOWS_LANGUAGE but marks the
# database as being in the code page of the machine that installs it; the
# _ForceCodepage table marks it as 932, so that the Japanese names read the
# same on a Windows of any language.
printf '\r\n\r\n932\t_ForceCodepage\r\n' >"$stage/_ForceCodepage.idt"
for msi_version in "$@"; do
  msi=$PWD/$build/kelvora-$msi_version.msi
  rm -f "$msi"
  (cd "$stage" && WINDOWS_LANGUAGE=ja wixl --arch x64 -D Version="$msi_version" -D SourceDir="$files" \
    -D Icon=kelvora.ico -o "$msi" "$wxs") 2>&1 |
    sed '/builder.vala:[0-9]*: unimplemented/d' # wixl's note on each shortcut that is not advertised
  [ -s "$msi" ] || exit 1
  WINDOWS_LANGUAGE=ja msibuild "$msi" -i "$stage/_ForceCodepage.idt"
  # The shortcuts' names must read back as the .wxs has them.
  names=$(msiinfo export "$msi" Shortcut | cut -f 3 | tr -d '\r')
  sed -n 's/.*Target="[^"]*" Name="\([^"]*\)".*/\1/p' "$wxs" | while read -r name; do
    grep -qxF "$name" <<<"$names" || {
      echo "package-msi: the shortcut \"$name\" does not read back from $msi:"
      echo "$names"
      exit 1
    }
  done
  echo "$msi"
done
