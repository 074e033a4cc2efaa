#!/usr/bin/env python3
"""The fault sweep: every kind of save, played by the replay tool as a user
of its own, with each write-side system call in turn made to fail (ENOSPC,
EIO) or the program killed just before it, by strace; then the real set-ups
(a colleague's file in a shared folder, full disks, a read-only mount, two
saves at once, a stand-in folder that is not the user's own).

After each run it checks that the file holds exactly its old bytes or
exactly its new ones, that links, hard links, owner, group, mode, access list
and extended attributes are kept, that the message tells what happened, that
a failed save leaves nothing behind, and that after a kill the next plain
run cleans up and saves.

   sweep.py --replay BUILD/kelvora_replay [--jobs N] [--only KIND...]

Run as root: the saves run as made-up users through setpriv, and the real
set-ups mount file systems, in a mount namespace of the sweep's own.
Exits 1 when a check fails, 77 when something the sweep needs is missing.
"""

import argparse
import concurrent.futures
import os
import re
import shutil
import stat
import subprocess
import sys
import tempfile
import time

SAVER = 4242  # the user who saves, with a group of the same number
COLLEAGUE = 4343  # another user, with a group of the same number
SHARED_GROUP = 4500  # a group both are in, for the shared folders

# The video a metafile names; the long one makes the new bytes need more of
# the disk than the old ones, so that a full disk refuses them.
VIDEO = "kyou01.wmv"
LONG_VIDEO = "v" * 6000 + ".wmv"
OLD = b"".join(b"<!-- the file as it was, line %02d -->\r\n" % n for n in range(12))

# The write-side calls: each occurrence is a point where the save is made to fail.
TRACED = (
    "openat,open,creat,write,pwrite64,writev,ftruncate,fsync,fdatasync,rename,renameat,renameat2,"
    "unlink,unlinkat,mkdir,mkdirat,rmdir,fchmod,fchmodat,chmod,fchown,fchownat,fsetxattr,setxattr,"
    "lsetxattr,link,linkat,symlinkat,fcntl,flock,close"
)
REMOVALS = {"unlink", "unlinkat", "rmdir"}
FAULTS = ("ENOSPC", "EIO", "KILL")

METAFILE = """#actions
click frmSplash Frame1
click Form1 Command3
type Form2 Text1 {video}
answer save target
click Form2 Command1
"""
FORM13 = """#actions
click frmSplash Frame1
click Form1 Command2
type Form13 Text1 bb
click Form13 Command1
"""
QUICK = """#actions
program quick
type Form1 Text1 qq
click Form1 Command1
"""

# --- running as another user ---------------------------------------------------


def as_user(uid, gid=None, groups=None):
    gid = uid if gid is None else gid
    group_option = "--groups=" + ",".join(map(str, groups)) if groups else "--clear-groups"
    return ["setpriv", f"--reuid={uid}", f"--regid={gid}", group_option, "--"]


def run(argv, env, timeout=60):
    """Runs argv with umask 022; returns (status, stdout as text)."""
    try:
        done = subprocess.run(
            argv,
            env=env,
            stdin=subprocess.DEVNULL,
            stdout=subprocess.PIPE,
            stderr=subprocess.STDOUT,
            timeout=timeout,
            preexec_fn=lambda: os.umask(0o022),
            check=False,
        )
    except subprocess.TimeoutExpired as stopped:
        # A save that hangs is told as nothing at all.
        return -1, (stopped.stdout or b"").decode("utf-8", "replace")
    return done.returncode, done.stdout.decode("utf-8", "replace")


def make(path, mode=0o755, owner=SAVER, group=None):
    os.makedirs(path, exist_ok=True)
    os.chown(path, owner, owner if group is None else group)
    os.chmod(path, mode)
    return path


def put(path, data, mode=0o640, owner=SAVER, group=None):
    with open(path, "wb") as f:
        f.write(data)
    os.chown(path, owner, owner if group is None else group)
    os.chmod(path, mode)


def read(path):
    with open(path, "rb") as f:
        return f.read()


# --- one save and what it should do ---------------------------------------------


class Case:
    """A fresh set-up of one save kind in its own folder."""

    def __init__(self, base, kind):
        self.base = base
        self.kind = kind
        self.home = make(os.path.join(base, "home"), 0o700)
        self.log = make(os.path.join(base, "log"))
        self.folder = make(os.path.join(base, "data"))
        self.installed = None
        self.uid, self.groups = SAVER, None
        self.script = os.path.join(base, "script.txt")
        self.video = VIDEO
        self.target = os.path.join(self.folder, "target.asx")
        self.file = self.target  # the file the bytes go to, behind a link
        self.generated = None  # a generator's folder
        self.kept = {}  # what stays: path -> what it must still be
        self.extra = set()  # names the set-up itself puts there

    def write_script(self):
        text = {"form13": FORM13, "quick": QUICK}.get(self.kind, METAFILE.format(video=self.video))
        with open(self.script, "w", encoding="utf-8") as f:
            f.write(text)
        os.chmod(self.script, 0o644)

    def env(self):
        return {
            "PATH": "/usr/bin:/bin:/usr/sbin:/sbin",
            "HOME": self.home,
            "XDG_STATE_HOME": os.path.join(self.home, ".local", "state"),
            "LANG": "C.UTF-8",
        }

    def replay_argv(self, replay):
        argv = [replay, self.script, self.folder]
        return argv + [self.installed] if self.installed else argv


def attributes(path):
    """Owner, group, mode, access list and user attribute of a file."""
    st = os.stat(path)
    found = {"owner": st.st_uid, "group": st.st_gid, "mode": oct(stat.S_IMODE(st.st_mode))}
    for name in ("system.posix_acl_access", "user.kelvora-sweep"):
        try:
            found[name] = os.getxattr(path, name)
        except OSError:
            found[name] = None
    return found


def with_attributes(path):
    """Gives the file attributes a replacement could lose, as far as its
    file system keeps them."""
    subprocess.run(["setfacl", "-m", f"u:{COLLEAGUE}:r", path], check=False, stderr=subprocess.DEVNULL)
    try:
        os.setxattr(path, "user.kelvora-sweep", b"kept")
    except OSError:
        pass


def setup(kind, base, video=VIDEO):
    """The set-up of a save kind: the files there before the save."""
    case = Case(base, kind)
    case.video = video
    if kind in ("overwrite", "symlink", "hardlink"):
        real = case.target
        if kind == "symlink":
            real = os.path.join(make(os.path.join(base, "real")), "target.asx")
            os.symlink("../real/target.asx", case.target)
            os.lchown(case.target, SAVER, SAVER)
            case.kept["link"] = (case.target, "../real/target.asx")
        put(real, OLD)
        with_attributes(real)
        if kind == "hardlink":
            second = os.path.join(make(os.path.join(base, "other")), "second.asx")
            os.link(real, second)
            case.kept["hardlink"] = (case.target, second)
        case.file = real
    elif kind == "rofolder":
        case.folder = os.path.join(base, "ro")
        os.makedirs(case.folder)
        case.target = case.file = os.path.join(case.folder, "target.asx")
        put(case.file, OLD)
        with_attributes(case.file)
        make(case.folder, 0o555)
    elif kind in ("form13", "quick"):
        case.installed = make(os.path.join(base, "prog"))
        case.generated = os.path.join(case.installed, "bb" if kind == "form13" else "qq")
        case.file = None
    else:  # a new file
        case.file = case.target
    if case.file is not None and os.path.exists(case.file):
        case.kept["attributes"] = (case.file, attributes(case.file))
    case.write_script()
    return case


# --- looking at the outcome ---------------------------------------------------------


def contents(case):
    """'old', 'new' or 'mixed', against the reference bytes."""
    if case.generated is not None:
        if not os.path.lexists(case.generated):
            return "old", None
        if os.path.islink(case.generated) or not os.path.isdir(case.generated):
            return "mixed", "the folder is not a folder"
        have = folder_contents(case)
        if have == REFERENCE[case.kind]:
            return "new", None
        return "mixed", f"the folder holds {sorted(have)}, not exactly the {len(REFERENCE[case.kind])} files"
    if not os.path.exists(case.file):
        return ("old", None) if "attributes" not in case.kept else ("mixed", "the file is gone")
    data = read(case.file)
    if data == REFERENCE[case.video]:
        return "new", None
    if "attributes" in case.kept and data == OLD:
        return "old", None
    return "mixed", f"the file holds {len(data)} bytes that are neither version"


def folder_contents(case):
    """A generator's folder: its files' bytes by name, with the program
    folder's own path, which kelvquick's links name, made one word."""
    prog = os.path.dirname(case.generated).encode()
    return {n: read(os.path.join(case.generated, n)).replace(prog, b"<prog>") for n in os.listdir(case.generated)}


def kept_problems(case, state):
    problems = []
    if "link" in case.kept:
        link, target = case.kept["link"]
        if not os.path.islink(link) or os.readlink(link) != target:
            problems.append("the symbolic link was replaced")
    if "hardlink" in case.kept:
        first, second = case.kept["hardlink"]
        if not os.path.exists(second) or os.stat(first).st_ino != os.stat(second).st_ino:
            problems.append("the hard link no longer shares the file")
    if "attributes" in case.kept and os.path.exists(case.kept["attributes"][0]):
        path, before = case.kept["attributes"]
        after = attributes(path)
        changed = [k for k in before if before[k] != after[k]]
        if changed:
            problems.append("changed: " + ", ".join(changed))
    if state == "new" and case.kind == "new":
        after = attributes(case.file)
        if after["owner"] != case.uid or after["mode"] != oct(0o644):
            problems.append(f"the new file is {after['mode']}, owner {after['owner']}")
    return problems


def left_behind(case):
    """Names in the set-up's folders that neither the set-up nor the save's
    result put there: temporary files, half-made folders, write probes, copies
    kept in the state folder."""
    stray = []
    tops = [os.path.join(case.base, d) for d in ("data", "ro", "real", "other", "prog")] + [case.home]
    wanted = {case.home, os.path.join(case.home, ".local"), os.path.join(case.home, ".local", "state"),
              os.path.join(case.home, ".local", "state", "kelvora")}
    for top in tops:
        if not os.path.isdir(top):
            continue
        for folder, dirs, files in os.walk(top):
            if folder == case.generated:
                dirs[:] = []
                continue
            for name in dirs + files:
                path = os.path.join(folder, name)
                if path in wanted or path == case.generated or path in case.extra:
                    continue
                if case.file is not None and path in (case.file, case.target):
                    continue
                if "hardlink" in case.kept and path == case.kept["hardlink"][1]:
                    continue
                stray.append(os.path.relpath(path, case.base))
    return stray


def kept_copy(case):
    """Whether the old bytes of a file written in place wait in the state
    folder, after the file's own path, for the next save to put back: a kill
    in the middle of writing in place cannot be helped otherwise."""
    state = os.path.join(case.home, ".local", "state", "kelvora")
    if case.file is None or not os.path.isdir(state):
        return False
    header = case.file.encode() + b"\n"
    for name in os.listdir(state):
        data = read(os.path.join(state, name))
        if data.startswith(header) and data[len(header):] == OLD:
            return True
    return False


# What the system calls its errors, in English: a message must give the
# reason in Japanese instead.
ENGLISH = sorted({os.strerror(n) for n in range(1, 134)} - {f"Unknown error {n}" for n in range(134)},
                 key=len, reverse=True)


def english_reason(output):
    return next((text for text in ENGLISH if text in output), None)


def told(case, output):
    """'success', 'failure' or 'nothing', from the printed messages."""
    lines = [line for line in output.splitlines() if line.startswith("message: ")]
    if case.generated is not None:
        if any("|保存しました。" in line for line in lines):
            return "success"
    elif any(f"{case.target}を保存しました。" in line for line in lines):
        return "success"
    return "failure" if lines else "nothing"


# --- the sweep of one kind --------------------------------------------------------

WRITE_FLAGS = re.compile(r"O_WRONLY|O_RDWR|O_CREAT|O_TMPFILE|O_TRUNC")
CALL = re.compile(r"^\d+\s+(\w+)\((.*)\)\s+=\s+(-?\d+|\?)")


def write_side_points(log):
    """The write-side calls of a traced run: (call, its occurrence number)."""
    counts, points, writing = {}, [], set()
    with open(log, encoding="utf-8", errors="replace") as f:
        for line in f:
            m = CALL.match(line)
            if not m:
                continue
            call, args, result = m.groups()
            counts[call] = counts.get(call, 0) + 1
            fd = args.split(",")[0].strip()
            if call in ("openat", "open", "creat"):
                side = call == "creat" or bool(WRITE_FLAGS.search(args))
                if side and result.isdigit():
                    writing.add(result)
            elif call in ("write", "writev"):
                side = fd not in ("1", "2")
            elif call == "close":
                side = fd in writing
                writing.discard(fd)
            elif call == "fcntl":
                side = "SETLK" in args
            else:
                side = True
            if side:
                points.append((call, counts[call]))
    return points


def new_base(root, label):
    base = tempfile.mkdtemp(prefix=label + "-", dir=root)
    os.chmod(base, 0o755)
    return base


def plain_run(case, replay):
    return run(as_user(case.uid, groups=case.groups) + ["env", "-i"] +
               [f"{k}={v}" for k, v in case.env().items()] + case.replay_argv(replay), None)


def traced_run(case, replay, extra):
    log = os.path.join(case.log, "trace")
    argv = as_user(case.uid, groups=case.groups) + ["env", "-i"] + [f"{k}={v}" for k, v in case.env().items()]
    argv += ["strace", "-f", "-qq", "-o", log] + extra + case.replay_argv(replay)
    status, output = run(argv, None)
    return status, output, log


def check(case, output, fault, failed_call):
    """The faults found after one run, by column."""
    found = {}
    stand_in = os.path.join(case.home, "kelvora")
    if case.generated is not None and f"作成するフォルダーは「{stand_in}」の中に作ります" in output:
        # The program's folder refused the probe, and the user was told that
        # the folders go to the stand-in: the folder is looked for there.
        case.extra.add(stand_in)
        case.generated = os.path.join(stand_in, os.path.basename(case.generated))
    state, why = contents(case)
    if state == "mixed" and not (fault == "KILL" and kept_copy(case)):
        found["data lost"] = why
    if problems := kept_problems(case, state):
        found["kept"] = "; ".join(problems)
    message = told(case, output)
    if english := english_reason(output):
        found["message"] = f"a reason in English: {english}"
    if fault != "KILL":
        if state == "new" and message != "success":
            found["message"] = f"the new bytes are in place, but the message says {message}"
        elif state != "new" and message == "success":
            found["message"] = "保存しました although the save did not happen"
        elif state == "old" and message == "nothing":
            found["message"] = "the failure was not told"
        if failed_call not in REMOVALS and (stray := left_behind(case)):
            found["left behind"] = ", ".join(stray)
    return found, state


def sweep_point(root, replay, kind, call, number, fault):
    base = new_base(root, kind)
    case = setup(kind, base)
    if fault == "KILL":
        inject = f"inject={call}:signal=SIGKILL:when={number}"
    else:
        inject = f"inject={call}:error={fault}:when={number}"
    _, output, log = traced_run(case, replay, ["-e", f"trace={call}", "-e", inject])
    found, state = check(case, output, fault, call)
    with open(log, encoding="utf-8", errors="replace") as f:
        trace = f.read()
    if ("killed by SIGKILL" if fault == "KILL" else "(INJECTED)") not in trace:
        # The run took another way than the listed one: the point was missed.
        found["missed"] = "the call was not reached"
    if fault == "KILL" or call in REMOVALS or (case.generated is not None and state != "new"):
        # The next run, plain, cleans up what the first one left and saves.
        # A generator's folder made whole stays; when something is left
        # beside it, the user moves the folder away and makes it again.
        again = True
        if case.generated is not None and state == "new":
            again = bool(left_behind(case))
            if again:
                shutil.rmtree(case.generated)
        if again:
            _, output = plain_run(case, replay)
            again, state = check(case, output, "next", "")
            if state != "new" or again:
                found["not recovered"] = "; ".join(f"{k}: {v}" for k, v in again.items()) or f"state {state}"
    shutil.rmtree(base, ignore_errors=True)
    return kind, f"{call}#{number} {fault}", found


# --- the real set-ups ---------------------------------------------------------------


def real_shared(root, replay, sticky):
    """A colleague's group-writable file in a shared folder."""
    base = new_base(root, "shared")
    case = Case(base, "shared")
    case.folder = make(os.path.join(base, "data"), 0o1777 if sticky else 0o777, owner=0, group=0)
    case.target = case.file = os.path.join(case.folder, "target.asx")
    put(case.file, OLD, 0o664, owner=COLLEAGUE, group=SHARED_GROUP)
    case.kept["attributes"] = (case.file, attributes(case.file))
    case.groups = [SHARED_GROUP]
    case.write_script()
    _, output = plain_run(case, replay)
    found, state = check(case, output, "ENOSPC", "")
    if state != "new" and not found:
        found["message"] = "the colleague's writable file was not saved: " + output.strip()
    return "shared folder " + ("1777" if sticky else "0777"), found


def fill(folder):
    """Fills the file system of folder up to its last byte."""
    path = os.path.join(folder, "filler")
    with open(path, "wb", buffering=0) as f:
        for size in (65536, 4096, 512, 1):
            try:
                while True:
                    f.write(b"\0" * size)
            except OSError:
                pass
    return path


def real_full(root, replay, fstype, kind):
    """A save on a file system that is full, then again once there is room."""
    base = new_base(root, "full")
    disk = make(os.path.join(base, "disk"))
    if fstype == "tmpfs":
        subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k,mode=0755", "tmpfs", disk], check=True)
    else:
        image = os.path.join(base, "disk.img")
        with open(image, "wb") as f:
            f.truncate(4 << 20)
        subprocess.run(["mkfs.ext4", "-q", "-F", image], check=True, stdout=subprocess.DEVNULL)
        if subprocess.run(["mount", "-o", "loop", image, disk], check=False,
                          stderr=subprocess.DEVNULL).returncode != 0:
            return f"full ext4: {kind}", None
    try:
        # Everything of the set-up, the home folder too, is on the full disk.
        case = setup(kind, disk, LONG_VIDEO)
        filler = fill(disk)
        _, output = plain_run(case, replay)
        found, state = check(case, output, "ENOSPC", "")
        if state == "new":
            found["set-up"] = "the new bytes went down: the disk was not full"
        os.truncate(filler, 0)
        _, output = plain_run(case, replay)
        again, state = check(case, output, "next", "")
        if state != "new" or again:
            found["not recovered"] = "; ".join(f"{k}: {v}" for k, v in again.items()) or f"state {state}"
    finally:
        subprocess.run(["umount", "-l", disk], check=False)
    return f"full {fstype}: {LABELS[kind]}", found


def real_read_only(root, replay, kind):
    """A save onto a folder mounted read-only."""
    base = new_base(root, "ro-mount")
    case = setup(kind, base)
    subprocess.run(["mount", "--bind", case.folder, case.folder], check=True)
    subprocess.run(["mount", "-o", "remount,bind,ro", case.folder], check=True)
    try:
        _, output = plain_run(case, replay)
        found, state = check(case, output, "EROFS", "")
        if state == "new":
            found["message"] = "a read-only mount was written"
    finally:
        subprocess.run(["umount", "-l", case.folder], check=False)
    return f"read-only mount: {LABELS[kind]}", found


def real_concurrent(root, replay, pairs):
    """Two saves at once of the same hard-linked file, with versions of very
    different lengths."""
    base = new_base(root, "concurrent")
    case = setup("hardlink", base)
    scripts = {}
    for name, video in (("short", "a.wmv"), ("long", "b" * 400 + ".wmv")):
        scripts[name] = os.path.join(base, name + ".txt")
        with open(scripts[name], "w", encoding="utf-8") as f:
            f.write(METAFILE.format(video=video))
    versions = {}
    for name, path in scripts.items():
        folder = make(os.path.join(base, "ref-" + name))
        ref = Case(folder, "new")
        ref.script = path
        ref.folder = folder
        plain_run(ref, replay)
        versions[name] = read(os.path.join(folder, "target.asx"))
    problems = {}
    prefix = as_user(SAVER) + ["env", "-i"] + [f"{k}={v}" for k, v in case.env().items()]
    # The first pairs hold the short save back before it cuts the file, so
    # that the long one always comes in between; the rest run as they come.
    delayed = min(10, pairs)
    for pair in range(pairs):
        with open(case.file, "r+b") as f:
            f.truncate(0)
            f.write(OLD)
        procs = {}
        for name, path in scripts.items():
            hold = []
            if pair < delayed and name == "short":
                hold = ["strace", "-qq", "-o", "/dev/null", "-e", "trace=ftruncate",
                        "-e", "inject=ftruncate:delay_enter=400000"]
            procs[name] = subprocess.Popen(prefix + hold + [replay, path, case.folder], stdout=subprocess.PIPE,
                                           stderr=subprocess.STDOUT)
            if pair < delayed and name == "short":
                time.sleep(0.15)
        outputs = {name: p.communicate(timeout=60)[0].decode("utf-8", "replace") for name, p in procs.items()}
        data = read(case.file)
        succeeded = [n for n in outputs if told(case, outputs[n]) == "success"]
        holds = [n for n, v in versions.items() if v == data] or (["old"] if data == OLD else [])
        if not holds:
            problems.setdefault("data lost", f"pair {pair}: {len(data)} bytes that are no version")
        elif holds[0] == "old" and succeeded:
            problems.setdefault("message", f"pair {pair}: success told, old bytes kept")
        elif holds[0] != "old" and holds[0] not in succeeded:
            problems.setdefault("message", f"pair {pair}: the {holds[0]} version is there, told as failed")
        for name in outputs:
            if told(case, outputs[name]) == "nothing":
                problems.setdefault("message", f"pair {pair}: the {name} save told nothing")
        if stray := left_behind(case):
            problems.setdefault("left behind", f"pair {pair}: " + ", ".join(stray))
        if kept := kept_problems(case, "new"):
            problems.setdefault("kept", f"pair {pair}: " + "; ".join(kept))
    return f"two saves at once ({pairs} pairs)", problems


def real_stand_in(root, replay, how):
    """kelvquick where the program's folder is closed to the user, so that it
    turns to ~/kelvora, which is not a folder of the user's own alone."""
    base = new_base(root, "standin")
    case = setup("quick", base)
    make(case.installed, 0o755, owner=0)
    shared = make(os.path.join(base, "shared"), 0o777, owner=COLLEAGUE)
    stand_in = os.path.join(case.home, "kelvora")
    if how == "link":
        os.symlink(shared, stand_in)
        os.lchown(stand_in, SAVER, SAVER)
    elif how == "another user's":
        make(stand_in, 0o777, owner=COLLEAGUE)
    else:
        make(stand_in, 0o777)
    case.extra.add(stand_in)
    _, output = plain_run(case, replay)
    found = {}
    written = os.listdir(shared) + (os.listdir(stand_in) if how != "link" else [])
    if written:
        found["message"] = f"wrote {written} into a folder another user can write or own"
    if told(case, output) == "success":
        found.setdefault("message", "保存しました for a folder that is not the user's own")
    return f"stand-in ~/kelvora {how}", found


HOSTILE = ('x" onmouseover="alert(1)', "a\\nb", "CON", "aux.txt", "name.", "name ", "a<b>", "a:b")


def real_names(root, replay):
    """kelvquick given names that would become markup, break a CR LF file or
    make a folder Windows cannot hold: each is refused, and nothing is made."""
    base = new_base(root, "names")
    case = setup("quick", base)
    wrong = []
    for name in HOSTILE:
        with open(case.script, "w", encoding="utf-8") as f:
            f.write(QUICK.replace("Text1 qq", "Text1 " + name))
        _, output = plain_run(case, replay)
        made = os.listdir(case.installed)
        if made or told(case, output) != "failure":
            wrong.append(f"{name!r}: made {made}, told {told(case, output)}")
            for entry in made:
                shutil.rmtree(os.path.join(case.installed, entry), ignore_errors=True)
    return "names that are not safe everywhere", {"message": "; ".join(wrong)} if wrong else {}


# --- the whole sweep ---------------------------------------------------------------

REFERENCE = {}
KINDS = ("new", "overwrite", "symlink", "hardlink", "rofolder", "form13", "quick")
LABELS = {
    "new": "new file",
    "overwrite": "overwrite",
    "symlink": "over a symbolic link",
    "hardlink": "hard-linked file",
    "rofolder": "file in a read-only folder",
    "form13": "Form13's folder",
    "quick": "kelvquick's folder",
}
COLUMNS = ("data lost", "kept", "message", "left behind", "not recovered")


def references(root, replay):
    """The bytes a plain save of each kind writes."""
    for kind, video in (("new", VIDEO), ("new", LONG_VIDEO), ("form13", VIDEO), ("quick", VIDEO)):
        case = setup(kind, new_base(root, "ref"), video)
        _, output = plain_run(case, replay)
        if told(case, output) != "success":
            sys.exit(f"sweep: a plain {kind} save failed: {output}")
        if case.generated is None:
            REFERENCE[video] = read(case.file)
        else:
            REFERENCE[kind] = folder_contents(case)


def table(rows):
    head = ["save kind", "points", "runs", "data lost", "links/attrs", "wrong message", "left behind",
            "not recovered"]
    widths = [max(len(str(r[i])) for r in [head] + rows) for i in range(len(head))]
    for r in [head] + rows:
        print("  " + " | ".join(str(c).ljust(w) for c, w in zip(r, widths)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--replay", required=True)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--pairs", type=int, default=200)
    parser.add_argument("--only", nargs="*", default=None)
    args = parser.parse_args()
    if os.geteuid() != 0:
        print("sweep: SKIPPED: needs root, to run the saves as other users and to mount file systems")
        return 77
    if os.environ.get("KELVORA_SWEEP_NAMESPACE") != "1":
        # The mounts of the real set-ups stay in a mount namespace of their own.
        os.environ["KELVORA_SWEEP_NAMESPACE"] = "1"
        os.execvp("unshare", ["unshare", "--mount", "--propagation", "private", sys.executable] + sys.argv)
    replay = os.path.abspath(args.replay)
    started = time.monotonic()
    root = tempfile.mkdtemp(prefix="kelvora-faults-")
    os.chmod(root, 0o755)
    failures, rows, total = [], [], 0
    try:
        references(root, replay)
        kinds = [k for k in KINDS if args.only is None or k in args.only]
        jobs = []
        for kind in kinds:
            case = setup(kind, new_base(root, "list"))
            _, _, log = traced_run(case, replay, ["-e", "trace=" + TRACED])
            points = write_side_points(log)
            # An error injected into close skips the call and leaves the
            # descriptor open, with its lock; a real close frees it whatever
            # it returns. Only the kill is played there.
            jobs += [(kind, call, n, fault) for call, n in points for fault in FAULTS
                     if call != "close" or fault == "KILL"]
            rows.append([kind, len(points)])
        with concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as pool:
            results = list(pool.map(lambda j: sweep_point(root, replay, *j), jobs))
        for row in rows:
            kind = row[0]
            mine = [(point, found) for k, point, found in results if k == kind]
            row[0] = LABELS[kind]
            row += [len(mine)] + [sum(1 for _, f in mine if c in f) for c in COLUMNS]
            failures += [(LABELS[kind], point, found) for point, found in mine if found]
            total += len(mine)
        real = [lambda: real_shared(root, replay, False), lambda: real_shared(root, replay, True)]
        for fstype in ("tmpfs", "ext4"):
            if fstype == "ext4" and not shutil.which("mkfs.ext4"):
                continue
            for kind in ("new", "overwrite", "hardlink"):
                real.append(lambda f=fstype, k=kind: real_full(root, replay, f, k))
        for kind in ("new", "overwrite", "hardlink"):
            real.append(lambda k=kind: real_read_only(root, replay, k))
        real.append(lambda: real_concurrent(root, replay, args.pairs))
        real.append(lambda: real_names(root, replay))
        for how in ("link", "another user's", "writable by all"):
            real.append(lambda h=how: real_stand_in(root, replay, h))
        if args.only is None or "real" in args.only:
            for check_one in real:
                name, found = check_one()
                if found is None:
                    print(f"sweep: {name}: not run here (no loop device)")
                    continue
                total += 1
                rows.append([name, "-", 1] + [1 if c in found else 0 for c in COLUMNS])
                if found:
                    failures.append((name, "-", found))
    finally:
        shutil.rmtree(root, ignore_errors=True)
    print(f"sweep: {total} runs, {len(failures)} failed, in {time.monotonic() - started:.0f}s")
    table(rows)
    for name, point, found in failures:
        for column, what in found.items():
            print(f"FAILED {name} {point}: {column}: {what}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
