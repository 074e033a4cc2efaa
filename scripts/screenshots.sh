#!/usr/bin/env bash
# Refreshes the user guide's pictures: builds the screenshot tool and draws
# every screen of both programs into docs/screenshots/ (or the folder given).
# The screens are shown on a virtual X display (Xvfb) when it is installed,
# otherwise offscreen.
#   screenshots.sh [folder]
#   KELVORA_SCREENSHOTS_BUILD   build folder (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
folder=${1:-docs/screenshots}
build=${KELVORA_SCREENSHOTS_BUILD:-build}
scripts/setup.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target screenshots
mkdir -p "$folder"
export LANG=ja_JP.UTF-8
if command -v xvfb-run >/dev/null; then
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" "$build/screenshots" "$folder"
else
  QT_QPA_PLATFORM=offscreen:configfile=$PWD/tests/qt/desktop.json "$build/screenshots" "$folder"
fi
