#!/usr/bin/env bash
# Validates the desktop entries and the AppStream metainfo in a folder
# (data/ by default): check-desktop-files.sh [folder]. Exits 77 (skipped)
# when neither validator is installed.
set -euo pipefail
folder=${1:-"$(dirname "$0")/../data"}
checked=0
if command -v desktop-file-validate >/dev/null; then
  for entry in "$folder"/*.desktop; do
    # desktop-file-validate prints its findings and fails only on errors;
    # hints and warnings count as faults here too.
    out=$(desktop-file-validate "$entry" 2>&1) || { echo "$out"; exit 1; }
    if [ -n "$out" ]; then echo "$out"; exit 1; fi
    echo "ok: $entry"
    checked=$((checked + 1))
  done
fi
if command -v appstreamcli >/dev/null; then
  for info in "$folder"/*.metainfo.xml; do
    appstreamcli validate --no-net "$info"
    checked=$((checked + 1))
  done
fi
if [ "$checked" -eq 0 ]; then
  echo "desktop-file-validate and appstreamcli are not installed: nothing checked"
  exit 77
fi
