#!/usr/bin/env bash
# Installs what is missing, builds, and starts kelvora (or kelvquick: run.sh kelvquick).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
exec "./build/${1:-kelvora}"
