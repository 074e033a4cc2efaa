# shellcheck shell=bash disable=SC2034  # atspi_pid is for the caller
# The pieces of a private desktop session the GUI stages share; sourced by
# scripts/check-atspi.sh, scripts/check-ime.sh and scripts/check-orca.sh,
# with scripts/lib.sh (start_xvfb). Every step waits for the condition it
# needs, never a fixed time, and a step that runs out of time says what it
# waited for.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# gui_wait SECONDS WHAT COMMAND...: runs COMMAND until it succeeds.
gui_wait() {
  local limit=$1 what=$2
  shift 2
  local end=$((SECONDS + limit))
  until "$@"; do
    if [ "$SECONDS" -ge "$end" ]; then
      echo "gui-session: timed out after ${limit}s waiting for $what" >&2
      return 1
    fi
    sleep 0.1
  done
}

# True once the accessibility bus is up and its registry answers: the
# launcher gives the bus's address on the session bus, and a call to the
# registry's root on that bus starts the registry if need be.
gui_atspi_ready() {
  local address
  address=$(dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
    org.a11y.Bus.GetAddress 2>/dev/null) || return 1
  address=${address//[[:space:]]/}
  [ -n "$address" ] || return 1
  dbus-send --bus="$address" --print-reply --dest=org.a11y.atspi.Registry /org/a11y/atspi/accessible/root \
    org.freedesktop.DBus.Properties.Get string:org.a11y.atspi.Accessible string:ChildCount >/dev/null 2>&1
}

# gui_start_atspi: inside a D-Bus session, starts the accessibility bus and
# waits for it; sets atspi_pid.
gui_start_atspi() {
  /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
  atspi_pid=$!
  gui_wait 30 "the accessibility bus and its registry" gui_atspi_ready
}
