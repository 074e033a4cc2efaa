#!/usr/bin/env bash
# The README's commands on a machine that has nothing installed. A minimal
# Debian root (mmdebstrap's minbase: the essential packages and apt, no
# compiler, no Qt, no Python) is made from the apt sources this machine uses;
# in it, as root through chroot in a mount and process namespace of its own
# (its own /proc, the machine's /dev and /sys, a private /tmp), a clean clone
# of the commit under test runs:
#   1. scripts/setup.sh, the one install step;
#   2. scripts/build.sh;
#   3. scripts/test.sh --quick (the layout check, the build and the suite);
#   4. scripts/run.sh on a private Xvfb: kelvora's first window must be
#      mapped within 30 s of the program starting.
# A package that the build, the suite or the programs use and that setup.sh
# does not name makes one of these fail, as a newcomer's machine would.
#   check-fresh-machine.sh           the steps above
#   check-fresh-machine.sh --full    scripts/test.sh, every stage, in step 3
# The root as it stands after step 1 is kept in KELVORA_FRESH_CACHE
# (/var/cache/kelvora/fresh-machine by default), under a name made from
# setup.sh and the apt sources, so a rerun starts from it; any change to the
# package list makes a new root from nothing. The packages apt fetched are
# kept there too, so a new root does not fetch them again.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
case "${1-}" in
  --full) inner_test="scripts/test.sh" ;;
  "") inner_test="scripts/test.sh --quick" ;;
  *) sed -n '2,22s/^# \{0,1\}//p' "$0"; exit 2 ;;
esac

[ "$(id -u)" -eq 0 ] || skip "making and entering a Debian root needs root"
for tool in mmdebstrap unshare chroot git python3; do
  command -v "$tool" >/dev/null || skip "$tool is missing (scripts/setup.sh installs it)"
done
# shellcheck disable=SC1091
suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
[ -n "$suite" ] || skip "/etc/os-release names no release"

started=$SECONDS
elapsed() { printf '%dm%02ds' $(((SECONDS - $1) / 60)) $(((SECONDS - $1) % 60)); }
fail() {
  echo "check-fresh-machine: FAILED: $*"
  exit 1
}

cache=${KELVORA_FRESH_CACHE:-/var/cache/kelvora/fresh-machine}
mkdir -p "$cache/archives/partial"
work=$(mktemp -d "${TMPDIR:-/var/tmp}/kelvora-fresh-XXXXXX")
root=$work/root
cleanup() {
  # The namespace's mounts end with its last process; a root that still
  # shows one is left alone rather than removed through it.
  if [ -d "$root" ] && findmnt -rn -o TARGET | grep -q "^$root"; then
    echo "check-fresh-machine: $root still has mounts; left in place"
  else
    rm -rf "$work"
  fi
}
trap cleanup EXIT

# The machine's own apt sources, in the deb822 form, keeping the entries that
# Debian's archive keys sign (the root holds those keys and no others).
python3 - /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources \
  >"$work/debian.sources" <<'PY'
import sys, os
stanzas = []
for path in sys.argv[1:]:
    if not os.path.isfile(path):
        continue
    text = open(path, encoding="utf-8").read()
    if path.endswith(".sources"):
        for block in text.split("\n\n"):
            fields = {}
            for line in block.splitlines():
                if line.startswith("#") or ":" not in line or line[0].isspace():
                    continue
                key, value = line.split(":", 1)
                fields[key.strip().lower()] = value.strip()
            if fields.get("enabled", "yes") == "no" or "deb" not in fields.get("types", "").split():
                continue
            stanzas.append((fields.get("uris", ""), fields.get("suites", ""),
                            fields.get("components", ""), fields.get("signed-by", "")))
    else:
        for line in text.splitlines():
            words = line.split("#", 1)[0].split()
            if not words or words[0] != "deb":
                continue
            words = words[1:]
            options = ""
            if words and words[0].startswith("["):
                while not words[0].endswith("]"):
                    options += words.pop(0) + " "
                options += words.pop(0)
            signed = [o.split("=", 1)[1] for o in options.strip("[]").split() if o.startswith("signed-by=")]
            stanzas.append((words[0], words[1], " ".join(words[2:]), signed[0] if signed else ""))
for uris, suites, components, signed in stanzas:
    if signed and not os.path.basename(signed).startswith("debian-archive-"):
        continue
    print(f"Types: deb\nURIs: {uris}\nSuites: {suites}\nComponents: {components}")
    if signed:
        print(f"Signed-By: {signed}")
    print()
PY
grep -q '^URIs:' "$work/debian.sources" || skip "no apt source signed by Debian's archive keys in /etc/apt"

key=$(cat scripts/setup.sh "$work/debian.sources" <(echo "$suite") | sha256sum | cut -c1-16)
cached=$cache/root-$key.tar

# Runs a command as root in the fresh root, with nothing of this machine's
# environment but the few variables a login would give.
in_root() {
  unshare --mount --pid --fork --propagation private /bin/bash -euo pipefail -c '
    root=$1 archives=$2
    shift 2
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    mount --rbind /sys "$root/sys"
    mount -t tmpfs -o mode=1777 tmpfs "$root/tmp"
    mount --bind "$archives" "$root/var/cache/apt/archives"
    exec chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
      HOME=/root LANG=C.UTF-8 TERM=dumb CI="${CI-}" "$@"
  ' in_root "$root" "$cache/archives" "$@"
}

mkdir "$root"
if [ -f "$cached" ]; then
  echo "== a root with setup.sh's packages, made before: $cached"
  tar -xf "$cached" -C "$root"
  made=false
else
  echo "== a minimal Debian $suite root (no cached root for this package list)"
  step=$SECONDS
  mmdebstrap --quiet --variant=minbase "$suite" "$root" "$work/debian.sources" ||
    fail "mmdebstrap could not make a Debian root"
  echo "root made in $(elapsed "$step")"
  made=true
fi
cp -L /etc/resolv.conf "$root/etc/resolv.conf"
# A clean clone of the commit under test, as a newcomer would have it.
commit=$(git rev-parse HEAD)
git clone -q --no-hardlinks "$PWD" "$root/src/kelvora"
git -C "$root/src/kelvora" checkout -q --detach "$commit"
rm -rf "$root/src/kelvora/.git"
echo "== the commit under test: $(git log -1 --format='%h %s' "$commit")"

step=$SECONDS
echo "== step 1: scripts/setup.sh"
in_root /bin/bash -c 'cd /src/kelvora && scripts/setup.sh' >"$work/setup.log" 2>&1 || {
  tail -n 40 "$work/setup.log"
  fail "scripts/setup.sh did not install what it names"
}
grep -m1 '^Installing: ' "$work/setup.log" || echo "nothing was missing"
echo "step 1 took $(elapsed "$step")"
if $made; then
  # Kept for the next run: the root after the install step, without the clone.
  tar -cf "$cached.part" -C "$root" --exclude=./src --exclude=./tmp/* . && mv "$cached.part" "$cached"
  # The two newest roots stay (a list tried out and the one before it).
  find "$cache" -maxdepth 1 -name 'root-*.tar' -printf '%T@ %p\n' | sort -rn | tail -n +3 | cut -d' ' -f2- |
    xargs -r rm -f --
fi

step=$SECONDS
echo "== step 2: scripts/build.sh"
in_root /bin/bash -c 'cd /src/kelvora && scripts/build.sh' >"$work/build.log" 2>&1 || {
  tail -n 40 "$work/build.log"
  fail "the build failed on a machine with only setup.sh's packages"
}
echo "step 2 took $(elapsed "$step")"

step=$SECONDS
echo "== step 3: $inner_test"
in_root /bin/bash -c "cd /src/kelvora && $inner_test" || fail "$inner_test failed on a machine with only setup.sh's packages"
echo "step 3 took $(elapsed "$step")"

step=$SECONDS
echo "== step 4: scripts/run.sh shows kelvora's first window"
in_root /bin/bash -c '
  cd /src/kelvora
  . scripts/lib.sh
  mkdir /tmp/x
  start_xvfb /tmp/x
  scripts/run.sh >/tmp/run.log 2>&1 &
  run=$!
  # run.sh installs and builds (nothing is left to do by now), then becomes
  # kelvora; the 30 s count from the program itself.
  for _ in $(seq 600); do
    [ "$(readlink /proc/$run/exe 2>/dev/null)" = /src/kelvora/build/kelvora ] && break
    kill -0 $run 2>/dev/null || { cat /tmp/run.log; echo "scripts/run.sh ended before kelvora started"; exit 1; }
    sleep 0.1
  done
  window=$(timeout 30 xdotool search --sync --onlyvisible --pid "$run" 2>/dev/null | head -n 1) || window=
  if [ -z "$window" ]; then
    cat /tmp/run.log
    echo "no window of kelvora was mapped within 30 s"
    exit 1
  fi
  echo "kelvora shows its window $window: $(xwininfo -id "$window" | sed -n "s/^ *\(Width\|Height\): */\1 /p" | tr "\n" " ")"
  kill "$run"
' || fail "scripts/run.sh did not show kelvora"
echo "step 4 took $(elapsed "$step")"

echo "check-fresh-machine: a fresh Debian $suite root installed, built, passed '$inner_test' and showed kelvora in $(elapsed "$started")"
