#!/usr/bin/env bash
# Walks both programs with the keyboard alone while a real screen reader,
# Orca, listens on the same accessibility bus, and checks that what Orca says
# holds what a user who cannot see the screen needs: each field's prompt and
# example, the chosen option, the computed height, the messages with their
# folder, and the help's search results (tests/orca/walk.py).
#   check-orca.sh BUILD_DIR
# KELVORA_ORCA_LOG=FILE keeps Orca's debug log there.
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/gui-session.sh"
installs="(scripts/setup.sh installs it)"
for tool in Xvfb dbus-run-session dbus-send xdotool xclip xprop openbox orca speech-dispatcher localedef \
  /usr/libexec/at-spi-bus-launcher; do
  command -v "$tool" >/dev/null || skip "$tool is missing $installs"
done
# Speech goes to speech-dispatcher's dummy module, which needs no synthesizer.
[ -x /usr/lib/speech-dispatcher-modules/sd_dummy ] || skip "speech-dispatcher's dummy module is missing $installs"
[ -f /usr/share/i18n/locales/ja_JP ] || skip "the ja_JP locale source is missing (package locales) $installs"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "python3-pyatspi is missing $installs"

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-orca-XXXXXX")
xvfb_pid=
cleanup() {
  # speech-dispatcher leaves the session it was spawned in; its pid file says where it went.
  local sd
  sd=$(cat "$work/runtime/speech-dispatcher/pid/speech-dispatcher.pid" 2>/dev/null || true)
  [ -n "$sd" ] && kill "$sd" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  if [ -n "${KELVORA_ORCA_LOG:-}" ] && [ -f "$work/orca-debug.log" ]; then
    cp "$work/orca-debug.log" "$KELVORA_ORCA_LOG"
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# A Japanese desktop without touching the system's locales: the locale is
# compiled into the work folder and found through LOCPATH.
mkdir -p "$work/locale"
localedef -i ja_JP -f UTF-8 "$work/locale/ja_JP.UTF-8" >"$work/localedef.log" 2>&1 || true
if [ ! -f "$work/locale/ja_JP.UTF-8/LC_CTYPE" ]; then
  echo "check-orca: FAILED: localedef could not build ja_JP.UTF-8:"
  cat "$work/localedef.log"
  exit 1
fi

start_xvfb "$work"

# Everything Orca, speech-dispatcher and the programs keep goes below the
# work folder: a private home, configuration and runtime folder.
mkdir -p "$work/home" "$work/runtime" "$work/out" "$work/orca" "$work/home/.config/speech-dispatcher"
chmod 700 "$work/runtime"
export HOME=$work/home XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/home/.config \
  XDG_DATA_HOME=$work/home/.local/share XDG_CACHE_HOME=$work/home/.cache
unset LC_ALL LANGUAGE
export LOCPATH=$work/locale LANG=ja_JP.UTF-8
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
unset QT_QPA_PLATFORM_PLUGIN_PATH QT_IM_MODULE

# speech-dispatcher with only the dummy module, writing sound to ALSA's null
# device: Orca talks to a real speech server that makes no sound.
cat >"$work/home/.config/speech-dispatcher/speechd.conf" <<'EOF'
AudioOutputMethod "alsa"
AudioALSADevice "null"
AddModule "dummy" "sd_dummy" ""
DefaultModule dummy
EOF
# Orca's settings: speech on, descriptions read, no braille, sounds or key
# echo, so the transcript holds what the programs present and nothing else.
cat >"$work/orca/user-settings.conf" <<'EOF'
{
  "general": {
    "firstStart": false,
    "enableSpeech": true,
    "speechServerFactory": "speechdispatcherfactory",
    "speakDescription": true,
    "onlySpeakDisplayedText": false,
    "enableKeyEcho": false,
    "enableEchoByCharacter": false,
    "enableEchoByWord": false,
    "enableTutorialMessages": false,
    "enableBraille": false,
    "enableSound": false
  },
  "profiles": {"default": {"profile": ["Default", "default"], "pronunciations": {}, "keybindings": {}}},
  "pronunciations": {},
  "keybindings": {}
}
EOF
# Orca writes its debug log through a block buffer: an utterance could sit
# there while the walk waits for it. Orca loads this file from its settings
# folder at start-up; it makes the log line-buffered.
cat >"$work/orca/orca-customizations.py" <<'EOF'
from orca import debug

if debug.debugFile:
    debug.debugFile.reconfigure(line_buffering=True)
EOF

# The window manager gives each new window the focus, as a desktop does;
# without one, keys would go to whichever window was there first. The driver
# stays in the stage's process group (--foreground), so that a time limit
# that stops the stage stops the driver, Orca and the programs too.
dbus-run-session -- bash -c '
  . "$3"
  gui_start_atspi || { echo "0 passed, 1 failed (no accessibility bus)"; exit 1; }
  openbox --sm-disable >/dev/null 2>&1 &
  wm=$!
  wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
  gui_wait 30 "openbox to manage the screen" wm_ready || { echo "0 passed, 1 failed (no window manager)"; exit 1; }
  status=0
  timeout --foreground 540 /usr/bin/python3 "$0" "$1" "$2" || status=$?
  [ "$status" -ne 124 ] || echo "check-orca: the walk did not end within 540 s"
  kill $wm $atspi_pid 2>/dev/null || true
  exit $status' "$here/tests/orca/walk.py" "$build" "$work" "$here/scripts/gui-session.sh" \
  2> >(grep -v -e dbus-daemon -e "XDG_RUNTIME" -e SpiRegistry >&2)
