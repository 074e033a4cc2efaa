#!/usr/bin/env bash
# Validates the desktop entries and the AppStream metainfo in the folders
# given: check-desktop-files.sh [folder...]. By default data/ (the entries)
# and build/data/ (the metainfo, which the build writes from
# data/*.metainfo.xml.in with the version). Fails when the folders hold no
# entry or no metainfo; exits 77 (skipped) when neither validator is
# installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib.sh"
[ "$#" -gt 0 ] || set -- "$root/data" "$root/build/data"
entries=() infos=()
for folder in "$@"; do
  [ -d "$folder" ] || { echo "check-desktop-files: no folder $folder (scripts/build.sh writes build/data)"; exit 1; }
  for file in "$folder"/*.desktop; do [ ! -e "$file" ] || entries+=("$file"); done
  for file in "$folder"/*.metainfo.xml; do [ ! -e "$file" ] || infos+=("$file"); done
done
[ "${#entries[@]}" -gt 0 ] && [ "${#infos[@]}" -gt 0 ] ||
  { echo "check-desktop-files: ${#entries[@]} desktop entries and ${#infos[@]} metainfo files in $*"; exit 1; }
checked=0
if command -v desktop-file-validate >/dev/null; then
  for entry in "${entries[@]}"; do
    # desktop-file-validate prints its findings and fails only on errors;
    # hints and warnings count as faults here too.
    out=$(desktop-file-validate "$entry" 2>&1) || { echo "$out"; exit 1; }
    if [ -n "$out" ]; then echo "$out"; exit 1; fi
    echo "ok: $entry"
    checked=$((checked + 1))
  done
fi
if command -v appstreamcli >/dev/null; then
  for info in "${infos[@]}"; do
    appstreamcli validate --no-net "$info"
    checked=$((checked + 1))
  done
fi
if [ "$checked" -eq 0 ]; then
  skip "desktop-file-validate and appstreamcli are not installed: nothing checked"
fi
