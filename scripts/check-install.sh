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
if [ -x "$build/test_qt_help" ]; then
  [ ! -e "$prefix/bin/KELVORA.hlp" ] || { echo "the help should not lie in bin/"; exit 1; }
  cp "$build/test_qt_help" "$prefix/bin/"
  "$prefix/bin/test_qt_help" --gtest_brief=1 --gtest_filter='HelpGui.EveryHelpButton*'
  echo "installed programs find their help: ok"
fi

# The generators in a copy the user may not write to: as root the folders go
# beside the program; as a user without write access they go to ~/kelvora,
# with one message saying so, and the links in them name that folder.
if [ -x "$build/press_quick" ] && [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
  name=試験動画
  cp "$build/press_quick" "$prefix/bin/"
  as_root=$(cd / && "$prefix/bin/press_quick" "$name")
  [ -s "$prefix/bin/$name/$name.htm" ] && [ -s "$prefix/bin/$name/$name.asx" ] ||
    { echo "as root the folder is not beside the program: $as_root"; exit 1; }
  if grep -q 'には書き込めないため' <<<"$as_root"; then
    echo "as root the program's folder was taken for read-only"
    exit 1
  fi
  mv "$prefix/bin/$name" "$prefix/written-by-root"
  home=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-home-XXXXXX")
  trap 'rm -rf "$prefix" "$home"' EXIT
  chown nobody "$home"
  chmod 755 "$prefix"
  chmod -R a-w "$prefix/bin"
  out=$(cd / && HOME=$home setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups \
    "$prefix/bin/press_quick" "$name" "${name}2")
  chmod -R u+w "$prefix/bin"
  told="message: Mirequick|プログラムのあるフォルダー「$prefix/bin」には書き込めないため、作成するフォルダーは「$home/kelvora」の中に作ります。"
  [ "$(grep -cF "$told" <<<"$out")" -eq 1 ] && [ "$(grep -c 'には書き込めないため' <<<"$out")" -eq 1 ] ||
    { echo "the stand-in was not told exactly once:"; echo "$out"; exit 1; }
  grep -qxF "folder: $home/kelvora" <<<"$out" || { echo "$out"; exit 1; }
  for file in "$name.htm" "$name.asx"; do
    # The same bytes as beside the program, with the stand-in in the links.
    expected=$(LC_ALL=C sed "s|$prefix/bin/|$home/kelvora/|g" "$prefix/written-by-root/$file" | od -An -tx1)
    actual=$(od -An -tx1 "$home/kelvora/$name/$file")
    [ "$expected" = "$actual" ] || { echo "$file in the stand-in differs from the one beside the program"; exit 1; }
    link=$(printf '%s' "$home/kelvora/$name/$name" | iconv -f UTF-8 -t CP932)
    LC_ALL=C grep -qaF "$link" "$home/kelvora/$name/$file" || { echo "$file does not link into the stand-in"; exit 1; }
  done
  [ -s "$home/kelvora/${name}2/${name}2.htm" ] || { echo "the second folder is missing"; exit 1; }
  [ -z "$(ls -A "$prefix/bin" | grep -v -e '^kelvora$' -e '^kelvquick$' -e '^press_quick$' -e '^test_qt_help$')" ] ||
    { echo "something was left in the installed bin/:"; ls -A "$prefix/bin"; exit 1; }
  echo "generators in a read-only installed copy use ~/kelvora: ok"
fi
