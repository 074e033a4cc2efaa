#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test, stage by stage: the
# layout check, the build, the suite, the desktop stages, both programs on
# Wayland, the same suite under the sanitizers with a bounded fuzz run, then
# the Windows build's tests and smoke tests under Wine, the cross-check of
# the two builds' bytes, the Windows stand-in folder and installer, the
# Debian package, the fault sweep with its real set-ups, and last the
# README's commands in a Debian root that has nothing installed. It ends
# with one line for each stage: passed, skipped and why, FAILED, or not run.
#   test.sh           every stage
#   test.sh --quick   the layout check, the build and the suite only
# A stage that cannot run here ends with status 77 after a line
# "NAME: SKIPPED: why" (skip in scripts/lib.sh). With CI=true a skipped
# stage fails the run: a pass must mean that every stage ran.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
case "${1-}" in
  --quick) quick=true ;;
  "") quick=false ;;
  *) sed -n '2,14s/^# \{0,1\}//p' "$0"; exit 2 ;;
esac

results=()
failed=false
skipped=false
logs=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-test-XXXXXX")
trap 'rm -rf "$logs"' EXIT

# stage [--quick] NAME COMMAND...: runs one stage and notes how it ended.
# --quick puts the stage in `test.sh --quick` too. After a failed stage the
# rest are not run.
stage() {
  local in_quick=false
  if [ "$1" = --quick ]; then
    in_quick=true
    shift
  fi
  local name=$1 status=0
  shift
  if $quick && ! $in_quick; then
    results+=("$name: left out (--quick)")
    return
  fi
  if $failed; then
    results+=("$name: not run (an earlier stage failed)")
    return
  fi
  echo "== $name: $*"
  set +e
  "$@" 2>&1 | tee "$logs/$name"
  status=${PIPESTATUS[0]}
  set -e
  case $status in
    0) results+=("$name: passed") ;;
    77)
      skipped=true
      results+=("$name: skipped: $(grep -a 'SKIPPED: ' "$logs/$name" | tail -n 1 | sed 's/.*SKIPPED: //')")
      ;;
    *)
      failed=true
      results+=("$name: FAILED (status $status)")
      ;;
  esac
}

# ctest_stage ARGS...: ctest in build/ with ARGS; a test that did not run
# here, or a case that skipped itself, makes the stage skipped, named.
ctest_stage() {
  QT_QPA_PLATFORM=offscreen run_ctest build "$@"
}

$quick || scripts/setup.sh
stage --quick format scripts/check-format.sh
stage --quick build scripts/build.sh
stage --quick ctest ctest_stage -j"$(nproc)" -LE slow
stage desktop ctest_stage -L slow
stage wayland scripts/check-wayland.sh build
stage sanitizers scripts/test-sanitizers.sh
stage windows scripts/test-windows.sh
stage cross-check scripts/test-cross-check.sh build "$windows_build"
stage windows-install scripts/check-install-windows.sh "$windows_build"
stage windows-installer scripts/check-package-msi.sh
stage debian-package scripts/check-package-deb.sh
stage faults scripts/check-faults.sh
stage fresh-machine scripts/check-fresh-machine.sh

echo "== summary"
printf '  %s\n' "${results[@]}"
if $failed; then
  exit 1
fi
if $skipped && [ "${CI-}" = true ]; then
  echo "test: CI=true and a stage was skipped: the run fails"
  exit 1
fi
