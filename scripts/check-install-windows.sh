#!/usr/bin/env bash
# The Windows build's generators in a copy the user may not write to, under
# Wine: the test program (tests/cross/standin_folder.cpp) is put in a
# "Program Files\kelvora" folder, first writable, then read-only and run as an
# unprivileged user with a Wine prefix of its own. Writable, the folders go
# beside the program and nothing is said; read-only, they go to the user's
# Documents\kelvora, one message says so, and kelvquick's links name it.
#   check-install-windows.sh [windows build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
build=${1:-$windows_build}

find_wine
[ -n "$wine" ] || skip "Wine is not installed"
have_mingw || skip "no mingw-w64 cross compiler"
[ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null || skip "needs root and setpriv to run as another user"
configure_windows "$build"
cmake --build "$build" -j2 --target standin_folder >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-winstall-XXXXXX")
home=$work/home
mkdir -p "$home" "$work/Program Files/kelvora"
chmod 755 "$work"
chown nobody "$home"
cp "$build/standin_folder.exe" "$work/Program Files/kelvora/"
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

installed=$(windows_path "$work/Program Files/kelvora")
exe="$work/Program Files/kelvora/standin_folder.exe"

# Writable: beside the program, nothing said.
chown -R nobody "$work/Program Files"
out=$(as_user timeout 120 "$wine" "$exe" qq | tr -d '\r')
[ -s "$work/Program Files/kelvora/qq/qq.htm" ] && grep -qxF "folder: $installed" <<<"$out" &&
  ! grep -q 'には書き込めないため' <<<"$out" || { echo "writable program folder not used:"; echo "$out"; exit 1; }
rm -rf "$work/Program Files/kelvora/qq"

# Read-only: the stand-in in Documents, told once, in the links.
chown -R root "$work/Program Files"
chmod -R a-w "$work/Program Files"
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
[ -z "$(ls -A "$work/Program Files/kelvora" | grep -v '^standin_folder.exe$')" ] ||
  { echo "something was left in the program folder:"; ls -A "$work/Program Files/kelvora"; exit 1; }
echo "check-install-windows: a read-only program folder gives Documents\\kelvora, told once: ok"
