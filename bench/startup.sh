#!/usr/bin/env bash
# Start-up time and peak memory of kelvora and kelvquick, each next to the
# same figures of an empty Qt Widgets program (empty_window: one window, one
# Japanese label) started the same way.
#
#   bench/startup.sh [runs]     installs what is missing, builds, measures
#
# The programs are measured as people get them: the installed package
# (/usr/bin/kelvora and /usr/bin/kelvquick) when it is installed, else a
# Release build stripped of its symbols. The empty program is always a
# Release build of this checkout, stripped the same way. The Release build
# lives in build-release/, its stripped copies in build-release/stripped/.
#
# Every program is started `runs` times (9 by default, after one unmeasured
# warm-up start each, taking turns so that a busy machine slows all alike) on
# a private Xvfb display. Start-up is the time from starting the process to
# its first window being mapped, as the X server reports it; peak memory is
# the process's peak resident set (VmHWM) once the window has been up for a
# moment. The medians are printed with their ratio to the empty program.
# KELVORA_BENCH_BUILD=<folder> measures the three programs of an existing
# folder instead, without installing or building.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-9}
settle=${KELVORA_BENCH_SETTLE:-0.5}  # seconds the window stays up before the memory is read
programs=(empty_window kelvora kelvquick)
declare -A path
if [ -n "${KELVORA_BENCH_BUILD:-}" ]; then
  for p in "${programs[@]}"; do
    path[$p]=$KELVORA_BENCH_BUILD/$p
  done
  measured="the programs in $KELVORA_BENCH_BUILD"
else
  scripts/setup.sh
  installed=yes
  for p in kelvora kelvquick; do
    [ -x "/usr/bin/$p" ] || installed=
  done
  targets=(empty_window)
  [ -n "$installed" ] || targets+=(kelvora kelvquick)
  cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DKELVORA_BUILD_BENCH=ON >/dev/null
  cmake --build build-release -j"$(nproc)" --target "${targets[@]}"
  mkdir -p build-release/stripped
  for p in "${targets[@]}"; do
    strip -o "build-release/stripped/$p" "build-release/$p"
    path[$p]=build-release/stripped/$p
  done
  if [ -n "$installed" ]; then
    path[kelvora]=/usr/bin/kelvora
    path[kelvquick]=/usr/bin/kelvquick
    measured="the installed package, next to a stripped Release build of empty_window"
  else
    measured="stripped Release builds (build-release/stripped)"
  fi
fi
for p in "${programs[@]}"; do
  if [ ! -x "${path[$p]}" ]; then
    echo "startup.sh: ${path[$p]} is missing" >&2
    exit 1
  fi
done

work=$(mktemp -d)
xvfb_pid=
watch_pid=
cleanup() {
  [ -n "$watch_pid" ] && kill "$watch_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A display of our own: Xvfb picks a free number and writes it once it is ready.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.05
done
if [ ! -s "$work/display" ]; then
  echo "startup.sh: Xvfb did not start" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(head -n1 "$work/display")"
export QT_QPA_PLATFORM=xcb
export LANG=C.UTF-8
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$work/runtime"

# The X server's own account of every window mapped on the screen, each
# stamped with the time it arrived.
: >"$work/maps"
(stdbuf -oL xev -root -event substructure 2>/dev/null | while IFS= read -r line; do
  if [[ $line == MapNotify* ]]; then
    echo "$EPOCHREALTIME" >>"$work/maps"
  fi
done) &
watch_pid=$!
sleep 0.3  # xev selects the events before anything starts

# One start of a program: "<milliseconds to the first map> <peak KiB>".
measure() {
  local program=$1 before t0 pid mapped="" i
  before=$(wc -l <"$work/maps")
  t0=$EPOCHREALTIME
  "${path[$program]}" >"$work/$program.log" 2>&1 &
  pid=$!
  for i in $(seq 2000); do
    if [ "$(wc -l <"$work/maps")" -gt "$before" ]; then
      mapped=$(sed -n "$((before + 1))p" "$work/maps")
      break
    fi
    if ! kill -0 "$pid" 2>/dev/null; then
      break
    fi
    sleep 0.002
  done
  if [ -z "$mapped" ]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo "startup.sh: $program showed no window" >&2
    cat "$work/$program.log" >&2
    return 1
  fi
  sleep "$settle"
  local peak
  peak=$(awk '/^VmHWM:/ {print $2}' "/proc/$pid/status")
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  # Nothing of this run may count as the next one's window.
  sleep 0.1
  awk -v a="$t0" -v b="$mapped" -v m="$peak" 'BEGIN { printf "%.1f %d\n", (b - a) * 1000, m }'
}

median() {
  sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

for p in "${programs[@]}"; do
  measure "$p" >/dev/null
done
for run in $(seq "$runs"); do
  for p in "${programs[@]}"; do
    measure "$p" >>"$work/$p.runs"
  done
done

echo "Start-up to the first window mapped and peak resident memory, median of $runs runs"
echo "of $measured"
echo "(Xvfb $DISPLAY, $(nproc) cores; ratio to the empty Qt program)"
printf '%-14s %10s %7s %12s %7s\n' program "start ms" ratio "peak MiB" ratio
ref_ms=$(cut -d' ' -f1 "$work/empty_window.runs" | median)
ref_kib=$(cut -d' ' -f2 "$work/empty_window.runs" | median)
for p in "${programs[@]}"; do
  ms=$(cut -d' ' -f1 "$work/$p.runs" | median)
  kib=$(cut -d' ' -f2 "$work/$p.runs" | median)
  awk -v p="$p" -v ms="$ms" -v kib="$kib" -v rms="$ref_ms" -v rkib="$ref_kib" 'BEGIN {
    printf "%-14s %10.1f %7.2f %12.1f %7.2f\n", p, ms, ms / rms, kib / 1024, kib / rkib }'
done
if [ -n "${KELVORA_BENCH_VERBOSE:-}" ]; then
  for p in "${programs[@]}"; do
    echo "$p: $(cut -d' ' -f1 "$work/$p.runs" | tr '\n' ' ')ms"
  done
fi
