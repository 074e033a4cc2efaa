#!/usr/bin/env bash
# Fails when a C++ file of the tree is not laid out as .clang-format says;
# `clang-format -i FILE` lays it out.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null; then
  echo "check-format: clang-format is missing (scripts/setup.sh installs it)"
  exit 1
fi
mapfile -t files < <(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -name '*.cpp' -o -name '*.h' | grep -v '^./build')
clang-format --dry-run -Werror "${files[@]}"
echo "check-format: ${#files[@]} files laid out as .clang-format says"
