#!/usr/bin/env bash
# Builds the Windows zip: kelvora.exe, kelvquick.exe, the help and a short
# README.txt (resources/windows/README.txt.in with the version, in Shift_JIS
# with CR LF, as Notepad of any Windows reads it) in one folder, nothing
# else. The programs are static: they run on Windows with nothing to install.
# Cross-builds into build-windows first (see scripts/test-windows.sh), then
# lists the archive and prints its path.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
build=$windows_build
configure_windows "$build"
cmake --build "$build" -j2 --target kelvora kelvquick

version=$(sed -n 's/^project(kelvora VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=kelvora-$version-windows
stage=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-windows-XXXXXX")
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$name"
# The time a program was linked, from its PE header.
link_time() { od -An -tu4 -j $(($(od -An -tu4 -j 60 -N 4 "$1") + 8)) -N 4 "$1" | tr -d ' '; }
for program in kelvora kelvquick; do
  # strip would stamp the time it ran; it keeps the link time instead, so
  # that the same build gives the same programs (the installer is checked
  # against the zip).
  SOURCE_DATE_EPOCH=$(link_time "$build/$program.exe") \
    x86_64-w64-mingw32-strip -o "$stage/$name/$program.exe" "$build/$program.exe"
done
cp help/KELVORA.hlp "$stage/$name/"
# The build wrote README.txt with the version.
sed 's/$/\r/' "$build/README.txt" | iconv -f UTF-8 -t CP932 >"$stage/$name/README.txt"
# Every line ended by CR LF, and nothing lost on the way to code page 932.
if [ "$(iconv -f CP932 -t UTF-8 "$stage/$name/README.txt" | sed 's/\r$//')" != "$(cat "$build/README.txt")" ] ||
  [ "$(LC_ALL=C grep -c $'\r$' "$stage/$name/README.txt")" != "$(wc -l <"$stage/$name/README.txt")" ]; then
  echo "README.txt is not the text of $build/README.txt in code page 932 with CR LF"
  exit 1
fi
archive=$PWD/$build/$name.zip
rm -f "$archive"
(cd "$stage" && cmake -E tar cf "$archive" --format=zip "$name")

listed=$(cmake -E tar tf "$archive" | grep -v '/$' | LC_ALL=C sort | tr '\n' ' ')
[ "$listed" = "$name/KELVORA.hlp $name/README.txt $name/kelvora.exe $name/kelvquick.exe " ] || {
  echo "the zip holds more or less than the programs, the help and README.txt: $listed"
  exit 1
}
echo "$archive"
