#!/usr/bin/env bash
# Cross-builds the Windows programs and the core's tests into build-windows
# with mingw-w64, runs the tests under Wine (console only), then a smoke test:
# kelvora_scripted.exe (kelvora.exe with the script runner of tests/win/)
# under Wine on a private Xvfb walks splash -> top menu -> simple
# metafile screen, saves through the real common dialog, and the file's bytes
# are checked. On its way through every screen it sends the controls what
# other programs and assistive technology may send (WM_SETTEXT, BM_CLICK,
# BM_SETCHECK, WM_DROPFILES, the MSAA default action, which is refused behind
# the save dialog and the message box), reads them back through MSAA, checks
# that every window shows the model, and saves pages whose bytes are checked
# too. Then
# kelvquick_scripted.exe makes a folder beside itself, is refused the same
# name and an empty one, and what it wrote is checked byte for byte.
# Screenshots of each screen land in build-windows/screenshots/.
# A part whose tools are missing here is skipped (status 77) with a message
# saying so.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
build=$windows_build

have_mingw || skip "no mingw-w64 cross compiler (g++-mingw-w64-x86-64): nothing for Windows was built or run"
# The pictures and the icon are made from the drawings at build time.
for tool in rsvg-convert:librsvg2-bin icotool:icoutils; do
  command -v "${tool%%:*}" >/dev/null || skip "no ${tool%%:*} (${tool#*:}): nothing for Windows was built or run"
done
configure_windows "$build"
cmake --build "$build" -j2

find_wine
[ -n "$wine" ] || skip "Wine is not installed: the Windows tests were built but not run"

# A fresh Wine prefix of our own, gone afterwards with its wineserver.
prefix=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-wine-XXXXXX")
smoke=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-smoke-XXXXXX")
xvfb_pid=
program_pid=
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  WINEPREFIX=$prefix wine_stop
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$prefix" "$smoke"
}
trap cleanup EXIT
wine_environment "$prefix"
unset DISPLAY
wine_boot

# The core tests and the smoke tests share one Xvfb display: some core tests
# (the input method's composition in a field) need windows of their own.
command -v Xvfb >/dev/null || skip "Xvfb is missing: nothing for Windows was run on a display"
start_xvfb "$smoke" || skip "Xvfb did not start: nothing for Windows was run on a display"
# The prefix was set up with no display; the tests start a new Wine session,
# which takes the display.
if [ -n "$wineserver" ]; then
  timeout 60 "$wineserver" -k 2>/dev/null || true
  timeout 60 "$wineserver" -w 2>/dev/null || true
fi

echo "test-windows: the core tests under Wine"
# A skipped test makes the stage skipped, after the smoke tests have run.
suite=0
run_ctest "$build" --timeout 600 || suite=$?
[ "$suite" -eq 0 ] || [ "$suite" -eq 77 ] || exit "$suite"
# The smoke tests start from a Wine session of their own.
if [ -n "$wineserver" ]; then
  timeout 60 "$wineserver" -k 2>/dev/null || true
  timeout 60 "$wineserver" -w 2>/dev/null || true
fi

# --- Smoke test of the program on a display -------------------------------

# The Japanese interface font the program asks for, served by Noto Sans CJK.
timeout 120 "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' \
  /d 'Noto Sans CJK JP' /f >/dev/null 2>&1 || true

# One action of the script: its fields, tab-separated.
act() { local IFS=$'\t'; printf '%s\n' "$*"; }
# The checks every screen passes once shown: its controls as assistive
# technology reads them, and every window showing what the model holds.
check() { act expectaccessible "$1"; act consistent "$1"; act fits "$1"; }
# Saves through the screen's save button and the real dialog, then closes
# the message that says so.
save_as() { act click "$1" "$2"; act save "$(windows_path "$saves/$3")"; act ok; }

video='家族の映像〜1.mpg'
trip='家族旅行.wmv'
comment='家族の映像です。'
# Files and a folder to drop on the fields.
clips=$smoke/clips
mkdir -p "$clips/旅行"
touch "$clips/夏休み.wmv" "$clips/clip.asx"
long=$(head -c 40000 /dev/zero | tr '\0' a)
# The walk through kelvora, saving into the folder $saves.
kelvora_script() {
  act wait frmSplash; act mark splash; act click frmSplash Frame1
  act wait Form1; act mark menu; act click Form1 Command3
  act wait Form2; act edit Form2 Text1 "$video"; act mark metafile
  save_as Form2 Command1 out; act mark saved

  # The simple metafile: a name set from outside reaches the saved file; a
  # template field out of view keeps the model's text; a dropped file gives
  # its name, a dropped folder nothing; no text is cut at the edit's limit.
  check Form2
  act expectname Form2 Text1 'ビデオ名記入'
  act expectdescription Form2 Text1 '例：kyou01.wmv'
  act settext Form2 Text5 '<Ref href ="../'; act expect Form2 Text5 '<Ref href ="./'
  act drop Form2 Text1 "$(windows_path "$clips/夏休み.wmv")"; act expect Form2 Text1 '夏休み.wmv'
  act drop Form2 Text1 "$(windows_path "$clips/旅行")"; act expect Form2 Text1 '夏休み.wmv'
  act settext Form2 Text1 "$long"; act type Form2 Text1 x; act expect Form2 Text1 "${long}x"
  # A click at the end of the field puts the caret there, as in any field.
  act settext Form2 Text1 '.wmv'; act clickend Form2 Text1; act keys Form2 Text1 ab
  act expect Form2 Text1 '.wmvab'
  act settext Form2 Text1 "$trip"; act expect Form2 Text1 "$trip"
  check Form2
  save_as Form2 Command1 trip
  # While the save dialog and then its message box run, a press of 次 through
  # the accessibility interface on the screen behind is refused, as the
  # disabled window refuses the mouse; with no dialog it goes through.
  act click Form2 Command1; act dialog; act accpress Form2 Command2
  act save "$(windows_path "$saves/behind")"; act dialog; act accpress Form2 Command2; act ok
  act expectshown Form4 0; act expectshown Form2 1
  act accpress Form2 Command2; act wait Form4

  # Then every other screen once, for its screenshot and its checks, and out
  # through "終了".
  tour() {
    act click "$1" "$2"; act wait "$3"; check "$3"
    [ -z "${4:-}" ] || act mark "$3"
  }
  check Form4; act mark Form4
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
  # The down arrow moves through the group and chooses, wrapping round.
  act down Form5 Option1; act expect Form5 Text6 'center'; act expectchecked Form5 Option2 1
  act down Form5 Option3; act expect Form5 Text6 'left'; act expectchecked Form5 Option1 1
  check Form5
  # Moved to a monitor of 200 % and back: every window laid out again.
  act dpi Form5 192; check Form5; act mark Form5-192dpi
  act dpi Form5 0; check Form5
  save_as Form5 Command1 page5
  tour Form5 Command3 Form4
  tour Form4 Command2 Form6 shot
  # The embed page: the height follows a width set from outside and takes
  # nothing itself; the width field takes no drop, the metafile field does.
  act settext Form6 Text4 32; act expect Form6 Text6 88; act expectdescription Form6 Text4 '高さ 88'
  act settext Form6 Text6 1; act expect Form6 Text6 88
  act drop Form6 Text4 "$(windows_path "$clips/clip.asx")"; act expect Form6 Text4 32
  act drop Form6 Text12 "$(windows_path "$clips/clip.asx")"; act expect Form6 Text12 'clip.asx'
  check Form6
  save_as Form6 Command1 page6
  # Return on the focused "戻る" presses it, as a click does.
  act return Form6 Command3; act wait Form4; check Form4
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
}
saves=$smoke
kelvora_script >"$smoke/script.txt"
shots=$build/screenshots
rm -rf "$shots"
mkdir -p "$shots"
command -v import >/dev/null || echo "test-windows: no screenshots: ImageMagick's import is missing"
failed=
# Plays a script through a test build under Wine: at each of its marks a
# screenshot (when ImageMagick's import is here) and the shell's own step
# (on_mark), then the program goes on; it must end by itself through "終了".
on_mark() { :; }
play() {
  local exe=$1 script=$2 log=$3 out=$4 mark
  KELVORA_TEST_SCRIPT=$(windows_path "$script") KELVORA_TEST_LOG=$(windows_path "$log") \
    timeout 600 "$wine" "$exe" >"$out" 2>&1 &
  program_pid=$!
  for mark in $(sed -n 's/^mark\t//p' "$script"); do
    for _ in $(seq 1 600); do
      grep -q "^mark $mark\$" "$log" 2>/dev/null && break
      grep -q '^timeout' "$log" 2>/dev/null && break
      kill -0 "$program_pid" 2>/dev/null || break
      sleep 0.2
    done
    if ! grep -q "^mark $mark\$" "$log" 2>/dev/null; then
      failed="$(basename "$exe") never reached \"$mark\""
      break
    fi
    if command -v import >/dev/null; then
      sleep 1
      import -display "$DISPLAY" -window root "$shots/$mark.png"
    fi
    on_mark "$mark"
    touch "$log-$mark.done"
  done
  if [ -z "$failed" ] && ! timeout 120 tail --pid="$program_pid" -f /dev/null; then
    failed="$(basename "$exe") did not end on 終了"
  fi
  program_pid=
  if [ -z "$failed" ] && grep -q '^fail' "$log"; then
    failed="$(grep -c '^fail' "$log") checks of the windows of $(basename "$exe") failed"
  fi
}
log=$smoke/log.txt
play "$build/kelvora_scripted.exe" "$smoke/script.txt" "$log" "$smoke/wine.out"

if [ -n "$failed" ] && grep -qiE 'no driver could be loaded|cannot open display|Can.t open display' "$smoke/wine.out"; then
  skip "smoke tests of kelvora.exe and kelvquick.exe: Wine cannot open a display here"
fi
# Whether a file holds exactly the given lines (UTF-8 here), each ended by
# CR LF, in code page 932.
holds() {
  local file=$1
  shift
  [ "$(od -An -tx1 "$file" 2>/dev/null)" = "$(printf '%s\r\n' "$@" | iconv -f UTF-8 -t CP932 | od -An -tx1)" ]
}
# Whether a saved file holds exactly the given lines and the program said it
# saved it.
saved() {
  local file=$1
  shift
  [ -n "$failed" ] && return
  if ! holds "$smoke/$file" "$@"; then
    failed="$file does not hold the expected code page 932 bytes"
  elif ! grep -q "^message .*${file//./\\.}を保存しました。\$" "$log"; then
    failed="no message that $file was saved"
  fi
}
saved out.asx '<ASX Version ="3.0">' '<Entry>' "<Ref href =\"./$video\">" '</Entry></ASX>'
saved trip.asx '<ASX Version ="3.0">' '<Entry>' "<Ref href =\"./$trip\">" '</Entry></ASX>'
saved behind.asx '<ASX Version ="3.0">' '<Entry>' "<Ref href =\"./$trip\">" '</Entry></ASX>'
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

# kelvquick from a folder of its own, where it makes its folders: a name
# makes the folder with its page and metafile, whose links are absolute
# paths through the program's folder; the same name again leaves that
# folder's files as they are (the shell marks them in between); no name
# makes nothing.
quick=$smoke/quick
mkdir -p "$quick"
cp "$build/kelvquick_scripted.exe" "$quick/"
folder=$(windows_path "$quick")
target="$folder\\bb\\bb"
{
  act wait Form1; act mark quick; check Form1
  act edit Form1 Text1 bb; act click Form1 Command1; act ok; act ok; act mark quick-made
  act click Form1 Command1; act ok
  act edit Form1 Text1 ''; act click Form1 Command1; act ok
  check Form1
  act click Form1 Command2
} >"$smoke/quick.txt"
quick_page=("<HTML><HEAD><TITLE></TITLE></HEAD><BODY>"
  "<P align=\"center\"><B><A href=\"$target.asx\" target=\"_self\">ここをクリックしてください。</A></B></P></BODY></HTML>")
quick_metafile=('<ASX Version ="3.0"><Entry>' "<Ref href =\"$target.wmv\"></Entry></ASX>")
on_mark() {
  [ "$1" = quick-made ] || return 0
  if ! holds "$quick/bb/bb.htm" "${quick_page[@]}"; then
    failed="kelvquick's bb.htm does not hold the expected code page 932 bytes"
  elif ! holds "$quick/bb/bb.asx" "${quick_metafile[@]}"; then
    failed="kelvquick's bb.asx does not hold the expected code page 932 bytes"
  fi
  printf 'kept\r\n' >"$quick/bb/bb.htm"
  printf 'kept\r\n' >"$quick/bb/bb.asx"
}
if [ -z "$failed" ]; then
  quick_log=$smoke/quick-log.txt
  play "$quick/kelvquick_scripted.exe" "$smoke/quick.txt" "$quick_log" "$smoke/quick-wine.out"
  log=$quick_log
fi
if [ -z "$failed" ]; then
  expected_messages=$(printf 'message Mirequick: %s\n' 保存しました。 完成しました。 \
    "「$folder\\bb」はすでにあります。中のファイルはそのままにしてあります。別の名前を記入するか、そのフォルダーを移してから作成してください。" \
    記入しましょう。)
  if [ "$(grep '^message ' "$quick_log")" != "$expected_messages" ]; then
    failed="kelvquick did not say what it made, found or missed"
  elif ! holds "$quick/bb/bb.htm" kept || ! holds "$quick/bb/bb.asx" kept; then
    failed="kelvquick's second press changed the files it had made"
  elif [ "$(ls "$quick")" != "$(printf 'bb\nkelvquick_scripted.exe')" ] || [ "$(ls "$quick/bb")" != "$(printf 'bb.asx\nbb.htm')" ]; then
    failed="kelvquick made other files than bb/bb.htm and bb/bb.asx"
  fi
fi

# kelvora's walk once more, under a name, once the Wine session has taken
# the settings just made: its screenshots, and every window checked against
# the model's place and size and every text against its control there.
walk_again() {
  if [ -n "$wineserver" ]; then
    timeout 60 "$wineserver" -k 2>/dev/null || true
    timeout 60 "$wineserver" -w 2>/dev/null || true
  fi
  saves=$smoke/$1
  mkdir -p "$saves"
  kelvora_script >"$smoke/$1-script.txt"
  shots=$build/screenshots/$1
  mkdir -p "$shots"
  log=$smoke/$1-log.txt
  play "$build/kelvora_scripted.exe" "$smoke/$1-script.txt" "$log" "$smoke/$1-wine.out"
}
desktop_setting() { timeout 60 "$wine" reg add "$@" /f >/dev/null 2>&1 || true; }

# At 144 dots per inch (150 %).
if [ -z "$failed" ]; then
  desktop_setting 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144
  walk_again 144dpi
fi

# At 96 dots per inch with a 14 pt message font, as a user who asks for
# larger text has it: every window grows with it, and every text still fits.
if [ -z "$failed" ]; then
  desktop_setting 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96
  # A LOGFONTW: 19 pixels high at 96 dpi (14 pt), regular, the default
  # character set, named Tahoma.
  face=$(printf 'Tahoma' | iconv -t UTF-16LE | od -An -tx1 | tr -d ' \n')
  logfont=$(printf 'edffffff%s900100000000000100000000%s' "$(printf '0%.0s' $(seq 1 24))" "$face")
  logfont=$logfont$(printf '0%.0s' $(seq 1 $((184 - ${#logfont}))))
  desktop_setting 'HKCU\Control Panel\Desktop\WindowMetrics' /v MessageFont /t REG_BINARY /d "$logfont"
  walk_again 14pt
fi
if [ -n "$failed" ]; then
  echo "test-windows: smoke test FAILED: $failed"
  echo "--- actions:"; cut -c 1-300 "$log" 2>/dev/null || true
  echo "--- wine:"; tail -n 20 "${log%log.txt}wine.out" || true
  exit 1
fi
echo "test-windows: smoke tests of kelvora.exe and kelvquick.exe passed (screenshots in $build/screenshots)"
[ "$suite" -eq 0 ] || exit 77
