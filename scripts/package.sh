#!/usr/bin/env bash
# Builds the portable archive: a .tar.gz holding bin/ and share/ in one
# folder that runs wherever it is unpacked. Then unpacks it into a temporary
# folder and starts the unpacked kelvora offscreen for a moment.
#   KELVORA_PACKAGE_BUILD   build folder (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KELVORA_PACKAGE_BUILD:-build}
scripts/setup.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2
(cd "$build" && cpack -G TGZ >/dev/null)
archive=$(ls -t "$build"/kelvora-*.tar.gz | head -n 1)

check=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-archive-XXXXXX")
trap 'rm -rf "$check"' EXIT
tar -xzf "$archive" -C "$check"
unpacked=$(echo "$check"/kelvora-*)
[ -s "$unpacked/share/kelvora/KELVORA.hlp" ] || { echo "the archive holds no help"; exit 1; }
rc=0
QT_QPA_PLATFORM=offscreen timeout 3 "$unpacked/bin/kelvora" || rc=$?
[ "$rc" -eq 124 ] || { echo "the unpacked kelvora did not start (exit code $rc)"; exit 1; }
echo "$archive"
