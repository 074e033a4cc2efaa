#!/usr/bin/env bash
# Runs the GUI stages again and again while busy processes hold every core,
# to show whether a stage gives the same answer on a loaded machine as on an
# idle one. Not part of the test command; run it after changing a stage or
# what a stage waits on. It builds nothing: it drives an existing build.
#   stress-gui.sh [-n RUNS] [-b BUILD_DIR] [STAGE...]
#     RUNS       runs of each stage in a row (default 20)
#     BUILD_DIR  default: build
#     STAGE      ctest names of the stages, or wayland (default: all four)
# Each run's output is kept in a folder named at the start; the end gives
# passes/runs for each stage, and the status is 1 when any run failed. A run
# during which the programs were rebuilt is void and not counted.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

# The GUI stages: ctest name and the script ctest runs for it. A new stage
# that drives a desktop belongs here too.
declare -A script=(
  [atspi_scenarios]=scripts/check-atspi.sh
  [ime_mozc]=scripts/check-ime.sh
  [orca_walk]=scripts/check-orca.sh
  [wayland]=scripts/check-wayland.sh
)
order=(atspi_scenarios ime_mozc orca_walk wayland)

runs=20
build=$here/build
while getopts n:b:h opt; do
  case $opt in
    n) runs=$OPTARG ;;
    b) build=$OPTARG ;;
    *) sed -n '2,12s/^# \{0,1\}//p' "$0"; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ "$#" -eq 0 ] || order=("$@")
for stage in "${order[@]}"; do
  [ -n "${script[$stage]-}" ] || { echo "stress-gui: no GUI stage $stage (there are: ${!script[*]})"; exit 2; }
done
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || { echo "stress-gui: RUNS must be a positive number, not $runs"; exit 2; }
if [ ! -x "$build/kelvora" ] || [ ! -x "$build/kelvquick" ]; then
  echo "stress-gui: no programs in $build (build them first: scripts/build.sh)"
  exit 2
fi
build=$(cd "$build" && pwd)
command -v stress-ng >/dev/null || { echo "stress-gui: stress-ng is missing (scripts/setup.sh installs it)"; exit 2; }

logs=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-stress-XXXXXX")
load_pid=
stage_pid=
stop() {
  # A stage runs under `timeout` in a process group of its own; signalling
  # timeout ends the whole group: the stage, its session and its programs.
  if [ -n "$stage_pid" ]; then
    kill "$stage_pid" 2>/dev/null || true
    wait "$stage_pid" 2>/dev/null || true
  fi
  if [ -n "$load_pid" ]; then
    kill "$load_pid" 2>/dev/null || true
    wait "$load_pid" 2>/dev/null || true
  fi
}
trap stop EXIT
trap 'exit 130' INT TERM
cores=$(nproc)
# One busy worker for each core, at the stages' own priority, so that the
# programs, the X server, the buses and the input method all wait for a core.
stress-ng --cpu "$cores" --cpu-method all --quiet &
load_pid=$!
echo "stress-gui: $cores busy workers (stress-ng, pid $load_pid); $runs runs of ${order[*]}; output in $logs"

# The programs' files as they stand (modification time and inode): a build
# that relinks them while a run goes on voids that run, whatever its answer.
build_stamp() {
  stat -c '%Y.%i' "$build/kelvora" "$build/kelvquick" 2>/dev/null | tr '\n' ' ' || true
}

declare -A passed skipped void
failed_any=0
for stage in "${order[@]}"; do
  passed[$stage]=0
  skipped[$stage]=0
  void[$stage]=0
  for run in $(seq 1 "$runs"); do
    log=$logs/$stage-$run.log
    start=$SECONDS
    status=0
    before=$(build_stamp)
    timeout 1200 "$here/${script[$stage]}" "$build" >"$log" 2>&1 &
    stage_pid=$!
    wait "$stage_pid" || status=$?
    stage_pid=
    took=$((SECONDS - start))
    if [ "$(build_stamp)" != "$before" ]; then
      void[$stage]=$((void[$stage] + 1))
      echo "stress-gui: $stage run $run/$runs: void, the programs in $build changed during it (status $status, ${took} s)"
      continue
    fi
    case $status in
      0) passed[$stage]=$((passed[$stage] + 1)); verdict=passed ;;
      77) skipped[$stage]=$((skipped[$stage] + 1)); verdict="skipped: $(grep -m1 SKIPPED "$log" || true)" ;;
      124) failed_any=1; verdict="FAILED: no end after 1200 s" ;;
      *) failed_any=1; verdict="FAILED (status $status)" ;;
    esac
    echo "stress-gui: $stage run $run/$runs: $verdict (${took} s)"
    if [ "$status" -ne 0 ] && [ "$status" -ne 77 ]; then
      grep -E 'FAILED|timed out|Error|Traceback' "$log" | head -n 5 | sed 's/^/    /' || true
      echo "    whole output: $log"
    fi
  done
done
stop
load_pid=

echo "stress-gui: under load ($cores busy workers):"
for stage in "${order[@]}"; do
  counted=$((runs - void[$stage]))
  note=
  [ "${skipped[$stage]}" -eq 0 ] || note=" (${skipped[$stage]} skipped)"
  [ "${void[$stage]}" -eq 0 ] || note="$note (${void[$stage]} void: the build changed during them)"
  echo "  $stage: ${passed[$stage]}/$counted passed$note"
done
exit "$failed_any"
