#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the suite, then the
# same suite under the sanitizers with a bounded fuzz run, then the Windows
# build's core tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/check-format.sh
scripts/build.sh
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure)
for extra in scripts/test-sanitizers.sh scripts/test-windows.sh; do
  if [ -x "$extra" ]; then
    "$extra"
  fi
done
