#!/usr/bin/env bash
# The fault sweep (tests/faults/sweep.py): every kind of save the replay tool
# can play (a new file, an overwrite, over a symbolic link, a hard-linked
# file, a file in a read-only folder, Form13's and kelvquick's folders) is
# made to fail at each of its write-side system calls in turn, with ENOSPC,
# EIO or a kill, by strace; then the real set-ups: a colleague's file in a
# shared and a sticky folder, full tmpfs and ext4 disks, a read-only mount,
# two saves at once, names not safe everywhere, and a stand-in folder that
# is not the user's own. It prints the number of runs and failures, a table
# by save kind, and how long it took.
#   check-faults.sh [build folder]
# It needs root (the saves run as made-up users through setpriv, and the
# set-ups mount file systems in a mount namespace of their own); through
# sudo when it can ask without a password.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
build=${1:-build}

if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
    exec sudo -n "$0" "$@"
  fi
  skip "needs root, to run the saves as other users and to mount file systems"
fi
for tool in strace setpriv unshare python3 setfacl mount; do
  command -v "$tool" >/dev/null || skip "$tool is missing (scripts/setup.sh installs it)"
done
strace -qq -o /dev/null true 2>/dev/null || skip "strace cannot trace here (ptrace is not allowed)"
unshare --mount true 2>/dev/null || skip "no mount namespace can be made here"

if [ ! -e "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j2 --target kelvora_replay >/dev/null

# It takes under a minute on two cores; ten minutes means something hangs.
started=$(date +%s)
status=0
timeout 600 python3 tests/faults/sweep.py --replay "$build/kelvora_replay" --jobs 2 || status=$?
[ "$status" -ne 124 ] || echo "check-faults: stopped after 10 minutes"
echo "check-faults: $(($(date +%s) - started))s"
exit "$status"
