#!/usr/bin/env bash
# Drives both programs under a private Xvfb through the accessibility bus, as
# assistive technology does, and again with the keyboard and the mouse, and
# compares what the two ways write (tests/atspi/drive.py).
#   check-atspi.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/gui-session.sh"
for tool in Xvfb dbus-run-session dbus-send xdotool xclip /usr/libexec/at-spi-bus-launcher; do
  command -v "$tool" >/dev/null || skip "$tool is missing (scripts/setup.sh installs it)"
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "python3-pyatspi is missing (scripts/setup.sh installs it)"

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-atspi-XXXXXX")
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
start_session "$work"
# The toolkit talks to the accessibility bus whether or not a screen reader
# asked for it first.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
# Keys go to the program itself, not to an input method of the desktop the
# stage was started from.
unset QT_QPA_PLATFORM_PLUGIN_PATH QT_IM_MODULE
# The driver stays in the stage's process group (--foreground), so that
# stopping the stage, as a time limit of ctest or of scripts/stress-gui.sh
# does, stops the driver and the programs it started too.
dbus-run-session -- bash -c '
  . "$3"
  gui_start_atspi || { echo "0 passed, 1 failed (no accessibility bus)"; exit 1; }
  status=0
  timeout --foreground 600 /usr/bin/python3 "$0" "$1" "$2" || status=$?
  [ "$status" -ne 124 ] || echo "check-atspi: the driver did not end within 600 s"
  kill $atspi_pid 2>/dev/null || true
  exit $status' "$here/tests/atspi/drive.py" "$build" "$work/out" "$here/scripts/gui-session.sh" \
  2> >(grep -v -e dbus-daemon -e "XDG_RUNTIME" -e SpiRegistry >&2)
