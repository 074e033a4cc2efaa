#!/usr/bin/env bash
# Runs both programs as native Wayland clients of weston, nested in a private
# Xvfb (the X11 backend gives it a seat, which takes X input), with a private
# D-Bus and accessibility bus: every screen opened, a save and its message
# box answered, and the maximize button of the toolkit's own title bar
# pressed on each kind of window; the programs must run on and save
# afterwards (tests/wayland/drive.py). Prints how long it took.
#   check-wayland.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/gui-session.sh"
started=$SECONDS
for tool in Xvfb weston xdotool import xwininfo dbus-run-session dbus-send /usr/libexec/at-spi-bus-launcher; do
  command -v "$tool" >/dev/null || skip "$tool is missing (scripts/setup.sh installs it)"
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "python3-pyatspi is missing (scripts/setup.sh installs it)"
ls /usr/lib/*/libweston-*/x11-backend.so >/dev/null 2>&1 || skip "weston has no X11 backend here"
ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 ||
  skip "the toolkit's Wayland platform is missing (qt6-wayland; scripts/setup.sh installs it)"
ls /usr/lib/*/qt6/plugins/wayland-decoration-client/libbradient.so >/dev/null 2>&1 ||
  skip "the toolkit's Wayland title bar is missing (qt6-wayland; scripts/setup.sh installs it)"

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-wayland-XXXXXX")
xvfb_pid=
weston_pid=
cleanup() {
  [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
start_session "$work"

# A desktop of one plain colour, with no panel, no screen lock and no
# animation: what is on the output is the programs' windows, as they are.
cat >"$work/weston.ini" <<'EOF'
[core]
idle-time=0
[shell]
background-color=0xff00ff00
panel-position=none
locking=false
animation=none
close-animation=none
startup-animation=none
focus-animation=none
EOF
export WAYLAND_DISPLAY=kelvora-$$
weston --backend=x11-backend.so --use-pixman --width=1024 --height=768 --socket="$WAYLAND_DISPLAY" \
  --config="$work/weston.ini" --idle-time=0 --log="$work/weston.log" >/dev/null 2>&1 &
weston_pid=$!
weston_ready() {
  [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && LC_ALL=C xwininfo -root -tree | grep -q '"Weston Compositor'
}
gui_wait 30 "weston's socket and its window on the X server" weston_ready || {
  tail -n 20 "$work/weston.log" >&2
  exit 1
}
export KELVORA_WESTON_LOG=$work/weston.log

# The programs are Wayland clients with the toolkit's own title bar, and talk
# to the accessibility bus whether or not a screen reader asked for it.
export QT_QPA_PLATFORM=wayland QT_WAYLAND_DECORATION=bradient QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
unset QT_QPA_PLATFORM_PLUGIN_PATH QT_IM_MODULE QT_WAYLAND_DISABLE_WINDOWDECORATION QT_SCALE_FACTOR
status=0
dbus-run-session -- bash -c '
  . "$3"
  gui_start_atspi || { echo "0 passed, 1 failed (no accessibility bus)"; exit 1; }
  status=0
  timeout --foreground 300 /usr/bin/python3 "$0" "$1" "$2" || status=$?
  [ "$status" -ne 124 ] || echo "check-wayland: the driver did not end within 300 s"
  kill $atspi_pid 2>/dev/null || true
  exit $status' "$here/tests/wayland/drive.py" "$build" "$work/out" "$here/scripts/gui-session.sh" \
  2> >(grep -v -e dbus-daemon -e "XDG_RUNTIME" -e SpiRegistry >&2) || status=$?
echo "check-wayland: $((SECONDS - started)) s"
exit $status
