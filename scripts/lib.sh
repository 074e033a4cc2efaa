# shellcheck shell=bash disable=SC2034  # wine, wineserver, xvfb_pid and windows_build are for the caller
# The pieces the scripts share; sourced, never run. It changes no option and
# no folder of the script that sources it.

# skip WHY...: says that this script's check cannot run here, and why, and
# ends it with 77, the status ctest and scripts/test.sh take for "skipped".
skip() {
  echo "$(basename "$0" .sh): SKIPPED: $*"
  exit 77
}

# run_ctest FOLDER [ARGS...]: ctest in the build FOLDER with ARGS. Returns
# ctest's status, or 77 after a line "SCRIPT: SKIPPED: ..." naming the tests
# that did not run here (their tools are missing) and the cases that skipped
# themselves (GTEST_SKIP), so that no skip is taken for a pass.
run_ctest() {
  local folder=$1 out status=0 not_run cases
  shift
  out=$(mktemp "${TMPDIR:-/tmp}/kelvora-ctest-XXXXXX")
  (cd "$folder" && ctest --output-on-failure "$@") 2>&1 | tee "$out" || status=$?
  not_run=$(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) (\(Skipped\|Not Run\|Disabled\)).*/\1/p' "$out" | tr '\n' ' ')
  rm -f "$out"
  [ "$status" -eq 0 ] || return "$status"
  [ -n "$not_run" ] || return 0
  cases=$(sed -n 's/^\[  SKIPPED \] \([A-Za-z_][A-Za-z0-9_/.]*\)$/\1/p' "$folder/Testing/Temporary/LastTest.log" 2>/dev/null |
    sort -u | tr '\n' ' ')
  echo "$(basename "$0" .sh): SKIPPED: these tests did not run here: ${not_run% }${cases:+; cases that skipped themselves: ${cases% }}"
  return 77
}

# start_xvfb FOLDER: starts Xvfb on a free display and exports DISPLAY once
# the server takes clients; sets xvfb_pid. The server writes its display
# number into a pipe (in FOLDER) when it is ready (-displayfd); reading that
# pipe is the wait, and it ends early if the server dies.
start_xvfb() {
  local fifo=$1/xvfb-display display=
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  if ! read -r -t 30 display <"$fifo" || [ -z "$display" ]; then
    echo "start_xvfb: timed out after 30s waiting for Xvfb to take clients" >&2
    return 1
  fi
  export DISPLAY=":$display"
}

# start_session FOLDER: start_xvfb, and FOLDER as the home and private
# runtime folder of a Japanese session, with FOLDER/out for what the
# programs write.
start_session() {
  start_xvfb "$1" || return 1
  mkdir -p "$1/out" "$1/runtime"
  chmod 700 "$1/runtime"
  export XDG_RUNTIME_DIR=$1/runtime HOME=$1 LANG=ja_JP.UTF-8
}

# --- The Windows build -------------------------------------------------------

# The one folder the Windows programs and their tests are cross-built in.
windows_build=build-windows

# Whether Debian's mingw-w64 cross compiler is here.
have_mingw() {
  command -v x86_64-w64-mingw32-g++-posix >/dev/null || command -v x86_64-w64-mingw32-g++ >/dev/null
}

# configure_windows [FOLDER]: configures the Windows build (the programs and
# the core's tests, no Qt) in FOLDER, build-windows by default.
configure_windows() {
  cmake -S . -B "${1:-$windows_build}" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DKELVORA_BUILD_GUI=OFF -DKELVORA_BUILD_WIN32=ON >/dev/null
}

# find_wine: sets wine and wineserver, empty when Wine is missing. Debian's
# wine64 alone puts its loader and server under /usr/lib/wine.
find_wine() {
  wine=$(command -v wine64 || command -v wine || ls /usr/lib/wine/wine64 2>/dev/null || true)
  wineserver=$(command -v wineserver || ls /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver 2>/dev/null |
    head -n 1 || true)
}

# wine_environment PREFIX: a Wine prefix of our own in PREFIX, without the
# .NET and browser add-ons (their installers would wait for a click), quiet.
wine_environment() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
}

# wine_boot [COMMAND...]: sets the prefix up (through COMMAND, which runs it
# as another user, say), or skips when Wine cannot within 5 minutes.
wine_boot() {
  "$@" timeout 300 "$wine" wineboot --init >/dev/null 2>&1 || skip "Wine could not set up a prefix within 5 minutes"
}

# wine_stop [COMMAND...]: ends the prefix's wineserver and every program in it.
wine_stop() {
  [ -z "$wineserver" ] || "$@" timeout 30 "$wineserver" -k 2>/dev/null || true
}

# windows_path PATH: the path as Windows programs under Wine see it (Wine
# shows the root of the Linux file system as drive Z:).
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
