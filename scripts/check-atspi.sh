#!/usr/bin/env bash
# Drives both programs under a private Xvfb through the accessibility bus, as
# assistive technology does, and again with the keyboard and the mouse, and
# compares what the two ways write (tests/atspi/drive.py).
#   check-atspi.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
for tool in Xvfb dbus-run-session xdotool /usr/libexec/at-spi-bus-launcher; do
  if ! command -v "$tool" >/dev/null; then
    echo "check-atspi: SKIPPED: $tool is missing (scripts/setup.sh installs it)"
    exit 77
  fi
done
if ! /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; then
  echo "check-atspi: SKIPPED: python3-pyatspi is missing (scripts/setup.sh installs it)"
  exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-atspi-XXXXXX")
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 1 50); do [ -s "$work/display" ] && break; sleep 0.2; done
export DISPLAY=":$(head -n 1 "$work/display")"
mkdir -p "$work/out" "$work/runtime"
chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime HOME=$work LANG=ja_JP.UTF-8
# The toolkit talks to the accessibility bus whether or not a screen reader
# asked for it first.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
unset QT_QPA_PLATFORM_PLUGIN_PATH
dbus-run-session -- bash -c '
  /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
  launcher=$!
  sleep 1
  status=0
  timeout 600 /usr/bin/python3 "$0" "$1" "$2" || status=$?
  kill $launcher 2>/dev/null || true
  exit $status' "$here/tests/atspi/drive.py" "$build" "$work/out" 2> >(grep -v -e dbus-daemon -e "XDG_RUNTIME" -e SpiRegistry >&2)
