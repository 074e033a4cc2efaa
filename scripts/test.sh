#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the suite, then the
# same suite under the sanitizers with a bounded fuzz run, then the Windows
# build's core tests and smoke tests under Wine, the cross-check of the two
# builds' bytes and the Windows stand-in folder.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/check-format.sh
scripts/build.sh
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure)
scripts/test-sanitizers.sh
scripts/test-windows.sh
# The same action scripts through both builds, and the Windows stand-in folder.
scripts/test-cross-check.sh build build-windows
scripts/check-install-windows.sh build-windows
scripts/check-package-msi.sh
scripts/check-package-deb.sh
