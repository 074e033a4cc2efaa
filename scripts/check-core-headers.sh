#!/usr/bin/env bash
# The core links no window system: no file of its layers includes a Qt
# header, and the Windows API appears only in the output layer's Windows
# back-ends (the encoder and the file system of the Windows build, each
# compiled only there). Nor does anything that ships (the layers and the
# renderers qt/ and win/) include the tests' support (tests/support/), whose
# library the build keeps from every product target. Prints every offending
# include and fails on any.
#   check-core-headers.sh SOURCE_DIR
set -euo pipefail
cd "$1"
layers=(form render output flows screens app quick)
qt=$(grep -rnE '^\s*#\s*include\s*[<"](Q[A-Za-z]+|Qt[A-Za-z]+/)' "${layers[@]}" || true)
win=$(grep -rniE '^\s*#\s*include\s*[<"](windows|winuser|winbase|commctrl|commdlg|shellapi|shlobj|oleacc|ole2|objbase|wingdi)\.h' \
  "${layers[@]}" | grep -vE '^output/[a-z0-9_]*windows[a-z0-9_]*\.(h|cpp):' || true)
tests=$(grep -rnE '^\s*#\s*include\s*"(tests/|support/)' "${layers[@]}" qt win || true)
if [ -n "$qt$win" ]; then
  echo "The core includes window-system headers:"
  printf "%s\n" "$qt" "$win" | grep -v "^$"
fi
if [ -n "$tests" ]; then
  echo "Shipped code includes the tests' support:"
  printf "%s\n" "$tests"
fi
[ -z "$qt$win$tests" ] || exit 1
echo "check-core-headers: ${layers[*]}: no Qt header, Windows API only in output's Windows back-ends;" \
  "${layers[*]} qt win: nothing from tests/"
