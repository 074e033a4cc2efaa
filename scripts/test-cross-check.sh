#!/usr/bin/env bash
# Replays the action scripts of tests/cross/ through the Linux build and the
# Windows build (under Wine) of kelvora_replay, each with a fresh program
# folder, and compares every written file byte for byte. The one allowed
# difference is the program folder's own path in kelvquick's absolute links
# (/tmp/... there, Z:\tmp\... here), which is replaced on both sides first.
#   test-cross-check.sh [linux build folder] [windows build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
linux_build=${1:-build-cross-linux}
windows_build=${2:-$windows_build}

find_wine
[ -n "$wine" ] || skip "Wine is not installed, so the Windows build's files were not compared"
have_mingw || skip "no mingw-w64 cross compiler, so the Windows build's files were not compared"

# A Linux build folder configured before keeps its own options.
if [ -e "$linux_build/CMakeCache.txt" ]; then
  cmake -S . -B "$linux_build" >/dev/null
else
  cmake -S . -B "$linux_build" -DKELVORA_BUILD_GUI=OFF -DKELVORA_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$linux_build" -j2 --target kelvora_replay >/dev/null
configure_windows "$windows_build"
cmake --build "$windows_build" -j2 --target kelvora_replay >/dev/null

# A fresh Wine prefix of our own, as the Windows tests make one, gone
# afterwards with its wineserver; no display is needed.
work=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-cross-XXXXXX")
wine_environment "$work/wine"
cleanup() {
  wine_stop
  rm -rf "$work"
}
trap cleanup EXIT
unset DISPLAY
mkdir -p "$WINEPREFIX"
wine_boot

# Replaces, in the files of kelvquick's folders (a page and a metafile, no
# embed page), the link target <folder><sep><name><sep><name> by one that
# names no folder.
normalise() {
  local folder=$1 sep=$2 dir name file
  for dir in "$folder"/*/; do
    name=$(basename "$dir")
    [ -e "$dir/$name.asx" ] && [ ! -e "$dir/${name}01.htm" ] || continue
    local encoded
    encoded=$(printf '%s' "$name" | iconv -f UTF-8 -t CP932)
    for file in "$dir"/*; do
      TARGET="$3$sep$encoded$sep$encoded" NAME="$encoded" \
        perl -0777 -pi -e 's/\Q$ENV{TARGET}\E/<program folder>\/$ENV{NAME}\/$ENV{NAME}/g' "$file"
    done
  done
}

status=0
# The action scripts are the files that open with their "#actions" line; the
# folder also holds its build file.
scripts=()
for script in tests/cross/*.txt; do
  [ "$(head -c 8 "$script")" = "#actions" ] && scripts+=("$script")
done
for script in "${scripts[@]}"; do
  name=$(basename "$script" .txt)
  mkdir -p "$work/$name/linux" "$work/$name/windows"
  "$linux_build/kelvora_replay" "$script" "$work/$name/linux" >"$work/$name/linux.out"
  timeout 300 "$wine" "$windows_build/kelvora_replay.exe" "$(windows_path "$(pwd)/$script")" \
    "$(windows_path "$work/$name/windows")" >"$work/$name/windows.out" 2>&1 </dev/null
  # Each script says how many files it writes, so that a save that stops
  # being reached, or a character refused by both builds alike, shows too.
  files=$(cd "$work/$name/linux" && find . -type f | wc -l)
  wanted=$(sed -n 's/^# files written: \([0-9]*\)$/\1/p' "$script")
  if [ "$files" -ne "${wanted:-0}" ]; then
    echo "test-cross-check: $name wrote $files files on Linux, not ${wanted:-?}:"
    cat "$work/$name/linux.out"
    status=1
    continue
  fi
  # A refused character is told alike by both (the Windows build ends its
  # lines with CR LF).
  if ! diff <(grep -a 'Shift_JIS' "$work/$name/linux.out" | tr -d '\r') \
    <(grep -a 'Shift_JIS' "$work/$name/windows.out" | tr -d '\r') \
    >"$work/$name/refusals"; then
    echo "test-cross-check: $name: the builds refuse characters differently:"
    cat "$work/$name/refusals"
    status=1
    continue
  fi
  normalise "$work/$name/linux" / "$work/$name/linux"
  normalise "$work/$name/windows" '\' "$(windows_path "$work/$name/windows")"
  if diff -r "$work/$name/linux" "$work/$name/windows" >"$work/$name/diff"; then
    echo "test-cross-check: $name: $files files, the same bytes on Linux and Windows"
  else
    echo "test-cross-check: $name: the builds differ:"
    cat "$work/$name/diff"
    for file in $(cd "$work/$name/linux" && find . -type f); do
      if ! cmp -s "$work/$name/linux/$file" "$work/$name/windows/$file" 2>/dev/null; then
        echo "--- $file (Linux, then Windows):"
        od -An -c "$work/$name/linux/$file" | head -n 20
        [ -e "$work/$name/windows/$file" ] && od -An -c "$work/$name/windows/$file" | head -n 20
      fi
    done
    echo "--- Windows output:"
    tail -n 20 "$work/$name/windows.out"
    status=1
  fi
done
exit "$status"
