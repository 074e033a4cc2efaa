#!/usr/bin/env bash
# Types Japanese into kelvora and kelvquick through a real input method, Mozc,
# once under IBus and once under fcitx5 (the two frameworks Qt programs talk
# to), in a private Xvfb, D-Bus session and accessibility bus; reads the
# fields back over AT-SPI and checks what the programs write
# (tests/ime/drive_ime.py).
#   check-ime.sh BUILD_DIR
# Mozc does not run as root, so run as root the stage runs as `nobody`, with
# a home of its own; the build folder must be readable by it.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/lib.sh"

# The session, as the user that runs it: Xvfb, a D-Bus session with the
# accessibility bus, ibus-daemon with Mozc and the driver; then fcitx5 with
# Mozc and the driver again.
session() {
  local build=$1 work=$2
  export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache \
    XDG_DATA_HOME=$work/home/.local/share XDG_RUNTIME_DIR=$work/runtime LANG=ja_JP.UTF-8
  unset DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM_PLUGIN_PATH QT_IM_MODULE
  mkdir -p "$XDG_CONFIG_HOME/mozc" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" "$work/components" "$work/out"
  chmod 700 "$XDG_RUNTIME_DIR"
  # Mozc composes hiragana from the start (its default is direct input until
  # the user switches), so the keys typed are romaji for kana.
  cat >"$XDG_CONFIG_HOME/mozc/ibus_config.textproto" <<'EOF'
engines {
  name : "mozc-jp"
  longname : "Mozc"
  layout : "default"
  layout_variant : ""
  layout_option : ""
  rank : 80
}
active_on_launch: True
EOF
  # The engine as installed, with its candidates shown through IBus's lookup
  # table (which the test, as IBus's panel, reads) instead of Mozc's own
  # candidate window.
  sed 's|\(<exec>[^<]*ibus-engine-mozc --ibus\)</exec>|\1 --use_mozc_renderer=false</exec>|' \
    /usr/share/ibus/component/mozc.xml >"$work/components/mozc.xml"
  grep -q -- '--use_mozc_renderer=false' "$work/components/mozc.xml" ||
    { echo "check-ime: the Mozc component in /usr/share/ibus/component/mozc.xml has no engine command to extend"; return 1; }
  export IBUS_COMPONENT_PATH=$work/components IBUS_ADDRESS=unix:path=$work/ibus
  # fcitx5 with a profile of its own: the US keyboard and Mozc, Mozc first,
  # composing hiragana once input is switched on.
  mkdir -p "$XDG_CONFIG_HOME/fcitx5/conf"
  cat >"$XDG_CONFIG_HOME/fcitx5/profile" <<'EOF'
[Groups/0]
Name=Default
Default Layout=us
DefaultIM=mozc

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=mozc
Layout=

[GroupOrder]
0=Default
EOF
  printf 'InitialMode=Hiragana\n' >"$XDG_CONFIG_HOME/fcitx5/conf/mozc.conf"

  . "$here/scripts/gui-session.sh"
  xvfb_pid=
  trap '[ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; stop_mozc_server' EXIT
  start_xvfb "$work"
  # The driver stays in the stage's process group (--foreground), so that
  # stopping the stage stops the driver and the programs it started too.
  dbus-run-session -- bash -c '
    . "$0/scripts/gui-session.sh"
    gui_start_atspi || { echo "0 passed, 1 failed (no accessibility bus)"; exit 1; }
    ibus-daemon --address="$IBUS_ADDRESS" --panel=disable --config=disable --emoji-extension=disable \
      --cache=refresh >"$2/ibus.log" 2>&1 &
    ibus_pid=$!
    mozc_chosen() {
      ibus engine mozc-jp >/dev/null 2>&1 || true # its status says nothing: it fails for the layout it may not set
      [ "$(ibus engine 2>/dev/null)" = mozc-jp ]
    }
    status=0
    started=$SECONDS
    if gui_wait 60 "ibus-daemon to take Mozc (mozc-jp) as its engine" mozc_chosen; then
      timeout --foreground 500 /usr/bin/python3 "$0/tests/ime/drive_ime.py" "$1" "$2" || status=$?
      [ "$status" -ne 124 ] || echo "check-ime: the IBus run did not end within 500 s"
    else
      echo "0 passed, 1 failed (no Mozc engine)"
      status=1
    fi
    if [ "$status" -ne 0 ] && [ -s "$2/ibus.log" ]; then
      echo "check-ime: ibus-daemon said:"; tail -n 20 "$2/ibus.log"
    fi
    echo "check-ime: the IBus run took $((SECONDS - started)) s"
    kill $ibus_pid 2>/dev/null || true
    wait $ibus_pid 2>/dev/null || true

    # fcitx5 owns its name on the bus once it is up; fcitx5-remote before
    # that would have D-Bus start a second one.
    fcitx_up() {
      dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.fcitx.Fcitx5 2>/dev/null | grep -q true
    }
    started=$SECONDS
    fcitx5 --disable=ibusfrontend,wayland,waylandim >"$2/fcitx5.log" 2>&1 &
    fcitx_pid=$!
    fcitx_status=0
    if gui_wait 60 "fcitx5 to take its name on the session bus" fcitx_up; then
      IME_FRAMEWORK=fcitx5 timeout --foreground 500 /usr/bin/python3 "$0/tests/ime/drive_ime.py" "$1" "$2" ||
        fcitx_status=$?
      [ "$fcitx_status" -ne 124 ] || echo "check-ime: the fcitx5 run did not end within 500 s"
    else
      echo "0 passed, 1 failed (fcitx5 did not start)"
      fcitx_status=1
    fi
    if [ "$fcitx_status" -ne 0 ] && [ -s "$2/fcitx5.log" ]; then
      echo "check-ime: fcitx5 said:"; grep -v "^I" "$2/fcitx5.log" | tail -n 20
    fi
    echo "check-ime: the fcitx5 run took $((SECONDS - started)) s"
    kill $fcitx_pid 2>/dev/null || true
    [ "$status" -ne 0 ] || status=$fcitx_status
    kill $atspi_pid 2>/dev/null || true
    exit $status' "$here" "$build" "$work" 2> >(grep -v -e dbus-daemon -e XDG_RUNTIME -e SpiRegistry -e ibus-portal -e "^$" >&2)
}

# Mozc's server outlives the engine that started it. In a PID namespace it
# ends with the namespace; without one it is ended by the process id it
# records in its own session file (a small protocol buffer: field 2).
stop_mozc_server() {
  local ipc=$XDG_CONFIG_HOME/mozc/.session.ipc pid
  [ -r "$ipc" ] || return 0
  pid=$(/usr/bin/python3 - "$ipc" <<'EOF'
import sys
data, i = open(sys.argv[1], "rb").read(), 0
def varint():
    global i
    value = shift = 0
    while True:
        b = data[i]
        i += 1
        value |= (b & 0x7F) << shift
        shift += 7
        if b < 0x80:
            return value
while i < len(data):
    key = varint()
    if key & 7 == 2:
        length = varint()
        i += length
    elif key & 7 == 0:
        value = varint()
        if key >> 3 == 2:
            print(value)
            break
    else:
        break
EOF
  ) || return 0
  if [ -n "$pid" ] && [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = /usr/lib/mozc/mozc_server ] &&
    [ -O "/proc/$pid" ]; then
    kill "$pid" 2>/dev/null || true
  fi
}

if [ "${1-}" = --session ]; then
  session "$2" "$3"
  exit
fi

build=$(cd "${1:?usage: check-ime.sh BUILD_DIR}" && pwd)
for tool in Xvfb dbus-run-session dbus-send dbus-monitor xdotool ibus ibus-daemon /usr/libexec/at-spi-bus-launcher \
    /usr/lib/ibus-mozc/ibus-engine-mozc /usr/lib/mozc/mozc_server fcitx5 fcitx5-remote; do
  command -v "$tool" >/dev/null || skip "$tool is missing (scripts/setup.sh installs it)"
done
[ -r /usr/share/ibus/component/mozc.xml ] || skip "ibus-mozc is missing (scripts/setup.sh installs it)"
compgen -G "/usr/lib/*/fcitx5/fcitx5-mozc.so" >/dev/null || skip "fcitx5-mozc is missing (scripts/setup.sh installs it)"
compgen -G "/usr/lib/*/qt6/plugins/platforminputcontexts/libfcitx5platforminputcontextplugin.so" >/dev/null ||
  skip "fcitx5-frontend-qt6 is missing (scripts/setup.sh installs it)"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "python3-pyatspi is missing (scripts/setup.sh installs it)"
/usr/bin/python3 -c 'import gi; gi.require_version("IBus", "1.0"); from gi.repository import IBus' 2>/dev/null ||
  skip "gir1.2-ibus-1.0 or python3-gi is missing (scripts/setup.sh installs them)"

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-ime-XXXXXX")
trap 'rm -rf "$work"' EXIT
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  command -v setpriv >/dev/null || skip "setpriv is missing: Mozc does not run as root, and setpriv drops to nobody"
  as_user=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
  chown nobody "$work"
  if ! "${as_user[@]}" test -x "$build/kelvora" -a -r "$here/tests/ime/drive_ime.py" -a -x "$here/scripts/check-ime.sh"; then
    # A checkout that nobody may not enter (under /root, say): the stage
    # runs on a copy of what it needs, readable by all and writable by
    # root only, as an installed copy is.
    copy=$work/copy
    mkdir -p "$copy/build"
    cp -a "$here/scripts" "$here/tests" "$copy/"
    cp -a "$build/kelvora" "$build/kelvquick" "$copy/build/"
    [ ! -e "$build/KELVORA.hlp" ] || cp -a "$build/KELVORA.hlp" "$copy/build/"
    chmod -R a+rX "$copy"
    here=$copy
    build=$copy/build
    "${as_user[@]}" test -x "$build/kelvora" -a -r "$here/tests/ime/drive_ime.py" ||
      skip "nobody cannot run a copy of kelvora in $work (Mozc does not run as root; the stage runs as nobody)"
  fi
fi

# Everything the session starts lives in a PID namespace of its own when the
# system allows one: however the stage ends, the kernel ends ibus-daemon and
# Mozc's server with it, although both leave the session's process group.
# Mozc checks its server through /proc, so the namespace has its own /proc.
session=("$here/scripts/check-ime.sh" --session "$build" "$work")
if [ "$(id -u)" -eq 0 ] && unshare --pid --fork --mount-proc true 2>/dev/null; then
  # The namespace's first process stays root: dropping privileges would clear
  # the signal that ends it with unshare.
  unshare --pid --fork --kill-child --mount-proc bash -c '"$@"; exit $?' session "${as_user[@]}" "${session[@]}"
elif "${as_user[@]}" unshare --user --map-current-user --pid --fork --mount-proc true 2>/dev/null; then
  "${as_user[@]}" unshare --user --map-current-user --pid --fork --kill-child --mount-proc "${session[@]}"
else
  "${as_user[@]}" "${session[@]}"
fi
