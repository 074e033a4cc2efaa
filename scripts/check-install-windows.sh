#!/usr/bin/env bash
# The Windows build's generators in a copy the user may not write to, under
# Wine: the test program (tests/cross/standin_folder.cpp) is put in a
# "Program Files\kelvora" folder, first writable, then read-only and run as an
# unprivileged user with a Wine prefix of its own. Writable, the folders go
# beside the program and nothing is said; read-only, they go to the user's
# Documents\kelvora, one message says so, and kelvquick's links name it.
# Given the installer (scripts/package-msi.sh), the folder is the real
# C:\Program Files\kelvora that it installs into the user's prefix, and the
# test program runs there beside the installed programs.
#   check-install-windows.sh [windows build folder] [installer]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
build=${1:-$windows_build}
msi=${2:-}

find_wine
[ -n "$wine" ] || skip "Wine is not installed"
have_mingw || skip "no mingw-w64 cross compiler"
[ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null || skip "needs root and setpriv to run as another user"
configure_windows "$build"
cmake --build "$build" -j2 --target standin_folder >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-winstall-XXXXXX")
home=$work/home
mkdir -p "$home"
chmod 755 "$work"
chown nobody "$home"
wine_environment "$home/wine"
as_user() {
  (cd / && HOME=$home setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups "$@")
}
cleanup() {
  wine_stop as_user
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
unset DISPLAY
wine_boot as_user

if [ -n "$msi" ]; then
  cp "$msi" "$work/kelvora.msi"
  chmod 644 "$work/kelvora.msi"
  as_user timeout 300 "$wine" msiexec /i "$(windows_path "$work/kelvora.msi")" /qn ||
    { echo "the installer failed in the user's prefix"; exit 1; }
  folder="$home/wine/drive_c/Program Files/kelvora"
  installed='C:\Program Files\kelvora'
  [ -s "$folder/kelvquick.exe" ] || { echo "the installer put no kelvquick.exe in $installed"; exit 1; }
  exe="$installed\standin_folder.exe"
else
  folder="$work/Program Files/kelvora"
  mkdir -p "$folder"
  installed=$(windows_path "$folder")
  exe="$folder/standin_folder.exe"
fi
cp "$build/standin_folder.exe" "$folder/"
contents=$(ls -A "$folder")

# Writable: beside the program, nothing said.
chown -R nobody "$folder"
out=$(as_user timeout 120 "$wine" "$exe" qq | tr -d '\r')
[ -s "$folder/qq/qq.htm" ] && grep -qxF "folder: $installed" <<<"$out" &&
  ! grep -q 'には書き込めないため' <<<"$out" || { echo "writable program folder not used:"; echo "$out"; exit 1; }
rm -rf "$folder/qq"

# Read-only: the stand-in in Documents, told once, in the links.
chown -R root "$folder"
chmod -R a-w "$folder"
out=$(as_user timeout 120 "$wine" "$exe" qq rr | tr -d '\r')
standin=$(sed -n 's/^folder: //p' <<<"$out")
case "$standin" in
  *\\Documents\\kelvora) ;;
  *) echo "the stand-in is not Documents\\kelvora: $standin"; echo "$out"; exit 1 ;;
esac
told="プログラムのあるフォルダー「$installed」には書き込めないため、作成するフォルダーは「$standin」の中に作ります。"
[ "$(grep -c 'には書き込めないため' <<<"$out")" -eq 1 ] && grep -qF "$told" <<<"$out" ||
  { echo "the stand-in was not told exactly once:"; echo "$out"; exit 1; }
documents=$(readlink -f "$home/wine/drive_c/users/nobody/Documents")
for name in qq rr; do
  for file in "$name.htm" "$name.asx"; do
    [ -s "$documents/kelvora/$name/$file" ] || { echo "missing in the stand-in: $name/$file"; exit 1; }
    grep -qaF "$standin\\$name\\$name" "$documents/kelvora/$name/$file" ||
      { echo "$name/$file does not link into the stand-in"; exit 1; }
  done
done
[ "$(ls -A "$folder")" = "$contents" ] ||
  { echo "something was left in the program folder:"; ls -A "$folder"; exit 1; }
echo "check-install-windows: a read-only program folder${msi:+ ($installed, installed by $(basename "$msi"))}" \
  "gives Documents\\kelvora, told once: ok"
