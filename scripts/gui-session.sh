# shellcheck shell=bash disable=SC2034  # xvfb_pid and atspi_pid are for the caller
# The pieces of a private desktop session the GUI stages share; sourced by
# scripts/check-atspi.sh and scripts/check-ime.sh. Every step waits for the
# condition it needs, never a fixed time, and a step that runs out of time
# says what it waited for.

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

# gui_start_xvfb FOLDER: starts Xvfb on a free display and exports DISPLAY
# once the server takes clients; sets xvfb_pid. The server writes its display
# number into a pipe when it is ready (-displayfd); reading that pipe is the
# wait, and it ends early if the server dies.
gui_start_xvfb() {
  local fifo=$1/xvfb-display display=
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  if ! read -r -t 30 display <"$fifo" || [ -z "$display" ]; then
    echo "gui-session: timed out after 30s waiting for Xvfb to take clients" >&2
    return 1
  fi
  export DISPLAY=":$display"
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
