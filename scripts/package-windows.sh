#!/usr/bin/env bash
# Builds the Windows zip: kelvora.exe, kelvquick.exe and the help in one
# folder, nothing else. The programs are static: they run on Windows with
# nothing to install. Cross-builds into build-windows first (see
# scripts/test-windows.sh), then lists the archive and prints its path.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-windows
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DKELVORA_BUILD_GUI=OFF -DKELVORA_BUILD_WIN32=ON >/dev/null
cmake --build "$build" -j2 --target kelvora kelvquick

version=$(sed -n 's/^project(kelvora VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=kelvora-$version-windows
stage=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-windows-XXXXXX")
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$name"
for program in kelvora kelvquick; do
  x86_64-w64-mingw32-strip -o "$stage/$name/$program.exe" "$build/$program.exe"
done
cp help/KELVORA.hlp "$stage/$name/"
archive=$PWD/$build/$name.zip
rm -f "$archive"
(cd "$stage" && cmake -E tar cf "$archive" --format=zip "$name")

listed=$(cmake -E tar tf "$archive" | grep -v '/$' | sort | tr '\n' ' ')
[ "$listed" = "$name/KELVORA.hlp $name/kelvora.exe $name/kelvquick.exe " ] || {
  echo "the zip holds more or less than the programs and the help: $listed"
  exit 1
}
echo "$archive"
