#!/usr/bin/env bash
# Installs a build into a temporary prefix with `cmake --install`, checks that
# every file is there, starts both installed programs offscreen for a moment,
# and runs the help tests from the installed bin/ folder, where the help is
# not beside the program but in ../share/kelvora, as in the unpacked archive.
#   check-install.sh <build folder>
set -euo pipefail
build=$(cd "${1:?usage: check-install.sh <build folder>}" && pwd)
prefix=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-install-XXXXXX")
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

status=0
for file in bin/kelvora bin/kelvquick share/kelvora/KELVORA.hlp \
    share/applications/kelvora.desktop share/applications/kelvquick.desktop \
    share/metainfo/org.kelvora.kelvora.metainfo.xml share/metainfo/org.kelvora.kelvquick.metainfo.xml \
    share/icons/hicolor/scalable/apps/kelvora.svg; do
  if [ ! -s "$prefix/$file" ]; then
    echo "missing after install: $file"
    status=1
  fi
done
[ "$status" -eq 0 ] || exit 1
echo "installed files: ok"

# Each program stays open on its first window until the user acts, so the
# time limit ending it (124) means it started.
export QT_QPA_PLATFORM=offscreen
pids=()
for program in kelvora kelvquick; do
  timeout 3 "$prefix/bin/$program" &
  pids+=($!)
done
for i in 0 1; do
  program=$([ "$i" -eq 0 ] && echo kelvora || echo kelvquick)
  rc=0
  wait "${pids[$i]}" || rc=$?
  if [ "$rc" -ne 124 ]; then
    echo "installed $program did not keep running (exit code $rc)"
    exit 1
  fi
  echo "installed $program starts: ok"
done

# The help, found from the installed bin/ folder through ../share/kelvora.
if [ -x "$build/test_qt" ]; then
  [ ! -e "$prefix/bin/KELVORA.hlp" ] || { echo "the help should not lie in bin/"; exit 1; }
  cp "$build/test_qt" "$prefix/bin/"
  "$prefix/bin/test_qt" --gtest_brief=1 --gtest_filter='HelpGui.EveryHelpButton*'
  echo "installed programs find their help: ok"
fi
