#!/usr/bin/env bash
# Installs a build into a temporary prefix with `cmake --install`, checks that
# every file is there, starts both installed programs offscreen for a moment,
# and runs the help tests from the installed bin/ folder, where the help is
# not beside the program but in ../share/kelvora, as in the unpacked archive.
#   check-install.sh <build folder>
# With --installed, checks a copy already installed under a prefix (the
# Debian package under /usr) instead; the build folder then only lends the
# test tools (test_qt_help, press_quick), which are put beside the installed
# programs for the test and removed after it.
#   check-install.sh --installed <prefix> [<build folder>]
set -euo pipefail
usage="usage: check-install.sh <build folder> | --installed <prefix> [<build folder>]"
installed=
if [ "${1:-}" = --installed ]; then
  installed=yes
  prefix=$(cd "${2:?$usage}" && pwd)
  build=${3:-}
  [ -z "$build" ] || build=$(cd "$build" && pwd)
else
  build=$(cd "${1:?$usage}" && pwd)
fi
# Everything the checks add is listed here and removed on exit: in a
# temporary prefix the prefix itself, in an installed copy only the tools and
# folders the checks put there.
cleanup=()
remove_added() {
  local path
  for path in "${cleanup[@]}"; do
    rm -rf -- "$path"
  done
}
trap remove_added EXIT
if [ -z "$installed" ]; then
  prefix=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-install-XXXXXX")
  cleanup+=("$prefix")
  cmake --install "$build" --prefix "$prefix" >/dev/null
fi
bin=$prefix/bin
# A test tool put beside the installed programs, never over a file of that
# name that is there already.
add_tool() {
  [ ! -e "$bin/$1" ] || { echo "$bin/$1 is there already"; exit 1; }
  cleanup+=("$bin/$1")
  cp "$build/$1" "$bin/"
}

status=0
for file in bin/kelvora bin/kelvquick share/kelvora/KELVORA.hlp \
    share/applications/kelvora.desktop share/applications/kelvquick.desktop \
    share/metainfo/org.kelvora.kelvora.metainfo.xml share/metainfo/org.kelvora.kelvquick.metainfo.xml \
    share/icons/hicolor/scalable/apps/kelvora.svg share/icons/hicolor/48x48/apps/kelvora.png \
    share/man/man1/kelvora.1.gz share/man/man1/kelvquick.1.gz \
    share/man/ja/man1/kelvora.1.gz share/man/ja/man1/kelvquick.1.gz; do
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
  timeout 3 "$bin/$program" &
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
if [ -n "$build" ] && [ -x "$build/test_qt_help" ]; then
  [ ! -e "$bin/KELVORA.hlp" ] || { echo "the help should not lie in bin/"; exit 1; }
  add_tool test_qt_help
  "$bin/test_qt_help" --gtest_brief=1 --gtest_filter='HelpGui.EveryHelpButton*'
  echo "installed programs find their help: ok"
fi

# The generators in a copy the user may not write to: as root the folders go
# beside the program; as a user without write access they go to ~/kelvora,
# with one message saying so, and the links in them name that folder.
if [ -n "$build" ] && [ -x "$build/press_quick" ] && [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
  name=試験動画
  scratch=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-scratch-XXXXXX")
  cleanup+=("$scratch")
  # Root writes beside the program: in a temporary prefix in its bin/; a
  # copy installed for the system keeps its bin/ clean, so there root's run
  # happens in a scratch folder and gives the same bytes to compare with.
  if [ -z "$installed" ]; then
    root_bin=$bin
    add_tool press_quick
  else
    root_bin=$scratch/bin
    mkdir "$root_bin"
    cp "$build/press_quick" "$root_bin/"
  fi
  as_root=$(cd / && "$root_bin/press_quick" "$name")
  [ -s "$root_bin/$name/$name.htm" ] && [ -s "$root_bin/$name/$name.asx" ] ||
    { echo "as root the folder is not beside the program: $as_root"; exit 1; }
  if grep -q 'には書き込めないため' <<<"$as_root"; then
    echo "as root the program's folder was taken for read-only"
    exit 1
  fi
  mv "$root_bin/$name" "$scratch/written-by-root"
  home=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-home-XXXXXX")
  cleanup+=("$home")
  chown nobody "$home"
  as_nobody=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
  if [ -z "$installed" ]; then
    chmod 755 "$prefix"
    chmod -R a-w "$bin"
  else
    add_tool press_quick
    ! "${as_nobody[@]}" test -w "$bin" || { echo "$bin is writable for everyone"; exit 1; }
  fi
  out=$(cd / && HOME=$home "${as_nobody[@]}" "$bin/press_quick" "$name" "${name}2")
  [ -n "$installed" ] || chmod -R u+w "$bin"
  told="message: Mirequick|プログラムのあるフォルダー「$bin」には書き込めないため、作成するフォルダーは「$home/kelvora」の中に作ります。"
  [ "$(grep -cF "$told" <<<"$out")" -eq 1 ] && [ "$(grep -c 'には書き込めないため' <<<"$out")" -eq 1 ] ||
    { echo "the stand-in was not told exactly once:"; echo "$out"; exit 1; }
  grep -qxF "folder: $home/kelvora" <<<"$out" || { echo "$out"; exit 1; }
  for file in "$name.htm" "$name.asx"; do
    # The same bytes as beside the program, with the stand-in in the links.
    expected=$(LC_ALL=C sed "s|$root_bin/|$home/kelvora/|g" "$scratch/written-by-root/$file" | od -An -tx1)
    actual=$(od -An -tx1 "$home/kelvora/$name/$file")
    [ "$expected" = "$actual" ] || { echo "$file in the stand-in differs from the one beside the program"; exit 1; }
    link=$(printf '%s' "$home/kelvora/$name/$name" | iconv -f UTF-8 -t CP932)
    LC_ALL=C grep -qaF "$link" "$home/kelvora/$name/$file" || { echo "$file does not link into the stand-in"; exit 1; }
  done
  [ -s "$home/kelvora/${name}2/${name}2.htm" ] || { echo "the second folder is missing"; exit 1; }
  left=$(ls -A "$bin" | grep -e "^$name" -e '^\.kelvora-write-probe' || true)
  if [ -z "$installed" ]; then
    left=$(ls -A "$bin" | grep -v -e '^kelvora$' -e '^kelvquick$' -e '^press_quick$' -e '^test_qt_help$' || true)
  fi
  [ -z "$left" ] || { echo "something was left in the installed bin/:"; echo "$left"; exit 1; }
  echo "generators in a read-only installed copy use ~/kelvora: ok"
fi
