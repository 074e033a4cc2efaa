#!/usr/bin/env bash
# Cross-builds the Windows programs and the core's tests into build-windows
# with mingw-w64, runs the tests under Wine (console only), then a smoke test:
# kelvora_scripted.exe (kelvora.exe with the script runner of tests/win/) under Wine on a private Xvfb walks splash -> top menu -> simple
# metafile screen, saves through the real common dialog, and the file's bytes
# are checked. On its way through every screen it sends the controls what
# other programs and assistive technology may send (WM_SETTEXT, BM_CLICK,
# BM_SETCHECK, WM_DROPFILES), reads them back through MSAA, checks that every
# window shows the model, and saves pages whose bytes are checked too.
# Screenshots of each screen land in build-windows/screenshots/.
# A part whose tools are missing here is skipped with a message saying so.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-windows

skip() { echo "test-windows: SKIPPED: $*"; }

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null && ! command -v x86_64-w64-mingw32-g++ >/dev/null; then
  skip "no mingw-w64 cross compiler (g++-mingw-w64-x86-64)"
  exit 0
fi
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DKELVORA_BUILD_GUI=OFF -DKELVORA_BUILD_WIN32=ON >/dev/null
cmake --build "$build" -j2

# Debian's wine64 alone puts its loader and server under /usr/lib/wine.
wine=$(command -v wine64 || command -v wine || ls /usr/lib/wine/wine64 2>/dev/null || true)
wineserver=$(command -v wineserver || ls /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver 2>/dev/null | head -n 1 || true)
if [ -z "$wine" ]; then
  skip "Wine is not installed: the Windows tests were built but not run"
  exit 0
fi

# A fresh Wine prefix of our own, without the .NET and browser add-ons (their
# installers would wait for a click), gone afterwards with its wineserver.
prefix=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-wine-XXXXXX")
smoke=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-smoke-XXXXXX")
xvfb_pid=
kelvora_pid=
cleanup() {
  [ -n "$kelvora_pid" ] && kill "$kelvora_pid" 2>/dev/null || true
  [ -n "$wineserver" ] && WINEPREFIX=$prefix timeout 30 "$wineserver" -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$prefix" "$smoke"
}
trap cleanup EXIT
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
unset DISPLAY
if ! timeout 300 "$wine" wineboot --init >/dev/null 2>&1; then
  skip "Wine could not set up a prefix within 5 minutes: the Windows tests were built but not run"
  exit 0
fi

echo "test-windows: the core tests under Wine"
(cd "$build" && ctest --output-on-failure --timeout 600)
# The Wine session of the console tests has no display; the program must
# start a new one on the Xvfb display below.
if [ -n "$wineserver" ]; then
  timeout 60 "$wineserver" -k 2>/dev/null || true
  timeout 60 "$wineserver" -w 2>/dev/null || true
fi

# --- Smoke test of the program on a display -------------------------------
if ! command -v Xvfb >/dev/null; then
  skip "smoke test: Xvfb missing"
  exit 0
fi
exec 3>"$smoke/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 1 50); do [ -s "$smoke/display" ] && break; sleep 0.2; done
if [ ! -s "$smoke/display" ]; then
  skip "smoke test: Xvfb did not start"
  exit 0
fi
export DISPLAY=":$(head -n 1 "$smoke/display")"

# The Japanese interface font the program asks for, served by Noto Sans CJK.
timeout 120 "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' \
  /d 'Noto Sans CJK JP' /f >/dev/null 2>&1 || true

windows_path() { printf 'Z:%s' "${1//\//\\}"; }
# One action of the script: its fields, tab-separated.
act() { local IFS=$'\t'; printf '%s\n' "$*"; }
# The checks every screen passes once shown: its controls as assistive
# technology reads them, and every window showing what the model holds.
check() { act expectaccessible "$1"; act consistent "$1"; }
# Saves through the screen's save button and the real dialog, then closes
# the message that says so.
save_as() { act click "$1" "$2"; act save "$(windows_path "$smoke/$3")"; act ok; }

video='家族の映像〜1.mpg'
trip='家族旅行.wmv'
comment='家族の映像です。'
# Files and a folder to drop on the fields.
clips=$smoke/clips
mkdir -p "$clips/旅行"
touch "$clips/夏休み.wmv" "$clips/clip.asx"
long=$(head -c 40000 /dev/zero | tr '\0' a)
{
  act wait frmSplash; act mark splash; act click frmSplash Frame1
  act wait Form1; act mark menu; act click Form1 Command3
  act wait Form2; act edit Form2 Text1 "$video"; act mark metafile
  save_as Form2 Command1 out; act mark saved

  # The simple metafile: a name set from outside reaches the saved file; a
  # template field out of view keeps the model's text; a dropped file gives
  # its name, a dropped folder nothing; no text is cut at the edit's limit.
  check Form2
  act expectname Form2 Text1 'ビデオ名記入'
  act settext Form2 Text5 '<Ref href ="../'; act expect Form2 Text5 '<Ref href ="./'
  act drop Form2 Text1 "$(windows_path "$clips/夏休み.wmv")"; act expect Form2 Text1 '夏休み.wmv'
  act drop Form2 Text1 "$(windows_path "$clips/旅行")"; act expect Form2 Text1 '夏休み.wmv'
  act settext Form2 Text1 "$long"; act type Form2 Text1 x; act expect Form2 Text1 "${long}x"
  act settext Form2 Text1 "$trip"; act expect Form2 Text1 "$trip"
  check Form2
  save_as Form2 Command1 trip

  # Then every other screen once, for its screenshot and its checks, and out
  # through "終了".
  tour() {
    act click "$1" "$2"; act wait "$3"; check "$3"
    [ -z "${4:-}" ] || act mark "$3"
  }
  tour Form2 Command2 Form4 shot
  tour Form4 Command1 Form5 shot
  # The popup page: typing reaches the preview, which takes no text of its
  # own; read-only template fields keep theirs; options chosen by BM_CLICK or
  # checked from outside choose as a click does, an uncheck changes nothing;
  # a drop on a field that takes none changes nothing.
  act expectname Form5 Text1 '保存したasxファイルの名前を記入'
  act expectname Form5 Text2 'コメント記入'
  act expectname Form5 Text3 '「コメント記入」のプレビュー'
  act type Form5 Text2 "$comment"; act expect Form5 Text3 "$comment"
  act settext Form5 Text3 'x'; act expect Form5 Text3 "$comment"
  act settext Form5 Text6 'right'; act expect Form5 Text6 'center'
  act drop Form5 Text2 "$(windows_path "$clips/clip.asx")"; act expect Form5 Text2 "$comment"
  act drop Form5 Text1 "$(windows_path "$clips/clip.asx")"; act expect Form5 Text1 'clip.asx'
  act bmclick Form5 Option1; act expect Form5 Text6 'left'
  act expectchecked Form5 Option1 1; act expectchecked Form5 Option2 0
  act setcheck Form5 Option3 1; act expect Form5 Text6 'right'
  act expectchecked Form5 Option3 1; act expectchecked Form5 Option1 0
  act setcheck Form5 Option3 0; act expectchecked Form5 Option3 1; act expect Form5 Text6 'right'
  act bmclick Form5 Option1; act expect Form5 Text6 'left'
  check Form5
  save_as Form5 Command1 page5
  tour Form5 Command3 Form4
  tour Form4 Command2 Form6 shot
  # The embed page: the height follows a width set from outside and takes
  # nothing itself; the width field takes no drop, the metafile field does.
  act settext Form6 Text4 32; act expect Form6 Text6 88
  act settext Form6 Text6 1; act expect Form6 Text6 88
  act drop Form6 Text4 "$(windows_path "$clips/clip.asx")"; act expect Form6 Text4 32
  act drop Form6 Text12 "$(windows_path "$clips/clip.asx")"; act expect Form6 Text12 'clip.asx'
  check Form6
  save_as Form6 Command1 page6
  tour Form6 Command3 Form4
  tour Form4 Command3 Form10 shot
  tour Form10 Command1 Form11 shot
  tour Form11 Command3 Form10
  tour Form10 Command2 Form12 shot
  tour Form12 Command3 Form10
  tour Form10 Command4 Form1
  tour Form1 Command4 Form3 shot
  # The detailed metafile: the folder field takes a folder's name and no
  # file, the video field a file's name.
  act drop Form3 Text1 "$(windows_path "$clips/旅行")"; act expect Form3 Text1 '旅行'
  act drop Form3 Text1 "$(windows_path "$clips/夏休み.wmv")"; act expect Form3 Text1 '旅行'
  act drop Form3 Text2 "$(windows_path "$clips/夏休み.wmv")"; act expect Form3 Text2 '夏休み.wmv'
  check Form3
  tour Form3 Command2 Form7 shot
  tour Form7 Command1 Form8 shot
  tour Form8 Command3 Form7
  tour Form7 Command2 Form9 shot
  tour Form9 Command3 Form7
  tour Form7 Command4 Form1
  tour Form1 Command2 Form13 shot
  tour Form13 Command4 Form14 shot
  act click Form13 Command2
} >"$smoke/script.txt"
log=$smoke/log.txt
shots=$build/screenshots
mkdir -p "$shots"
KELVORA_TEST_SCRIPT=$(windows_path "$smoke/script.txt") KELVORA_TEST_LOG=$(windows_path "$log") \
  timeout 600 "$wine" "$build/kelvora_scripted.exe" >"$smoke/wine.out" 2>&1 &
kelvora_pid=$!

failed=
for mark in $(sed -n 's/^mark\t//p' "$smoke/script.txt"); do
  for _ in $(seq 1 600); do
    grep -q "^mark $mark\$" "$log" 2>/dev/null && break
    grep -q '^timeout' "$log" 2>/dev/null && break
    kill -0 "$kelvora_pid" 2>/dev/null || break
    sleep 0.2
  done
  if ! grep -q "^mark $mark\$" "$log" 2>/dev/null; then
    failed="the program never reached \"$mark\""
    break
  fi
  if command -v import >/dev/null; then
    sleep 1
    import -display "$DISPLAY" -window root "$shots/$mark.png"
  fi
  touch "$log-$mark.done"
done
if [ -z "$failed" ]; then
  # The last actions end the program through its "終了" button.
  if ! timeout 120 tail --pid="$kelvora_pid" -f /dev/null; then
    failed="the program did not end on 終了"
  fi
fi
kelvora_pid=

if [ -n "$failed" ] && grep -qiE 'no driver could be loaded|cannot open display|Can.t open display' "$smoke/wine.out"; then
  skip "smoke test: Wine cannot open a display here"
  exit 0
fi
# Whether a saved file holds exactly the given lines (UTF-8 here), each ended
# by CR LF, in code page 932, and the program said it saved it.
saved() {
  local file=$1
  shift
  [ -n "$failed" ] && return
  local expected
  expected=$(printf '%s\r\n' "$@" | iconv -f UTF-8 -t CP932 | od -An -tx1)
  if [ "$(od -An -tx1 "$smoke/$file" 2>/dev/null)" != "$expected" ]; then
    failed="$file does not hold the expected code page 932 bytes"
  elif ! grep -q "^message .*${file//./\\.}を保存しました。\$" "$log"; then
    failed="no message that $file was saved"
  fi
}
if [ -z "$failed" ] && grep -q '^fail' "$log"; then
  failed="$(grep -c '^fail' "$log") checks of the windows failed"
fi
saved out.asx '<ASX Version ="3.0">' '<Entry>' "<Ref href =\"./$video\">" '</Entry></ASX>'
saved trip.asx '<ASX Version ="3.0">' '<Entry>' "<Ref href =\"./$trip\">" '</Entry></ASX>'
saved page5.htm '<HTML><HEAD><TITLE></TITLE></HEAD><BODY>' \
  "<P align=\"left\"><B><A href=\"./clip.asx\" target=\"_self\">$comment</A></B></P>" \
  '</BODY></HTML>'
saved page6.htm \
  '<html><head><title>enbedsampl</title><meta http-equiv="Content-Type" content="text/html; charset=Shift_JIS">' \
  '</head><body bgcolor="#FFFFFF" text="#000000">' \
  '<OBJECT ID="Player" width="32" height="88"CLASSID="CLSID:6BF52A52-394A-11d3-B153-00C04F79FAA6">' \
  '<PARAM name="autoStart" value="false">' \
  '<PARAM name="URL" value="./clip.asx">' \
  '<embed src="./clip.asx" autostart="false" width=32 height=88></embed></OBJECT>' \
  '</body></html>'
if [ -n "$failed" ]; then
  echo "test-windows: smoke test FAILED: $failed"
  echo "--- actions:"; cut -c 1-300 "$log" 2>/dev/null || true
  echo "--- wine:"; tail -n 20 "$smoke/wine.out" || true
  exit 1
fi
echo "test-windows: smoke test passed (screenshots in $shots)"
