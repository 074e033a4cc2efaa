#!/usr/bin/python3
"""What fcitx5 and the program say to each other, watched on the session bus.

fcitx5 sends a Qt program each composition as it changes
(UpdateFormattedPreedit), each commit (CommitString) and the input method
it switched to (CurrentIM); the program reports back where its caret is
drawn (SetCursorRect). A dbus-monitor on the session's bus sees all of it,
so the test can wait on Mozc's conversion and on the program showing it,
and can walk Mozc's candidates by the conversion each one puts in the
field. Input is switched on with fcitx5-remote, as a user's hot key does.
"""
import os
import re
import select
import subprocess
import threading
import time

INTERFACE = "org.fcitx.Fcitx.InputContext1"
HEADER = re.compile(r"^(signal|method call) .*member=(\w+)")
STRING = re.compile(r'^\s+string "(.*)"$')
INT = re.compile(r"^\s+int32 (-?\d+)$")


def is_kana_or_romaji(text):
    """Whether a composition is still being typed: hiragana or the
    full-width letters Mozc shows for romaji not yet made kana."""
    return any("\u3041" <= c <= "\u309f" or "\uff21" <= c <= "\uff5a" for c in text)


class Fcitx:
    def __init__(self, timeout=30.0):
        self.events = []
        self.lock = threading.Condition()
        self.process = subprocess.Popen(["dbus-monitor", "--session", "interface='%s'" % INTERFACE],
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        threading.Thread(target=self._read, daemon=True).start()
        self.wait_running(timeout)

    @staticmethod
    def remote(*args):
        r = subprocess.run(["fcitx5-remote", *args], capture_output=True, text=True)
        return r.stdout.strip()

    def wait_running(self, timeout):
        end = time.monotonic() + timeout
        # It says 0 until a program's field has the focus, 1 or 2 after.
        while self.remote() not in ("0", "1", "2"):
            if time.monotonic() > end:
                raise AssertionError("fcitx5 did not answer fcitx5-remote within %ds" % timeout)
            time.sleep(0.1)

    def _read(self):
        fd = self.process.stdout.fileno()
        pending, current = b"", None

        def finish():
            nonlocal current
            if current is not None:
                event = self._event(*current)
                if event is not None:
                    with self.lock:
                        event["seq"] = len(self.events) + 1
                        self.events.append(event)
                        self.lock.notify_all()
            current = None

        while True:
            ready, _, _ = select.select([fd], [], [], 0.05)
            if not ready:
                finish()  # a message is written whole: a pause ends it
                continue
            chunk = os.read(fd, 65536)
            if not chunk:
                break
            pending += chunk
            *lines, pending = pending.split(b"\n")
            for raw in lines:
                line = raw.decode("utf-8", "replace")
                header = HEADER.match(line)
                if header:
                    finish()
                    current = (header.group(1), header.group(2), [], [])
                elif current is not None:
                    s, i = STRING.match(line), INT.match(line)
                    if s:
                        current[2].append(s.group(1))
                    elif i:
                        current[3].append(int(i.group(1)))
        finish()
        with self.lock:
            self.events.append({"event": "gone", "seq": len(self.events) + 1})
            self.lock.notify_all()

    @staticmethod
    def _event(kind, member, strings, ints):
        if member == "UpdateFormattedPreedit":
            return {"event": "preedit", "text": "".join(strings)}
        if member == "CommitString":
            return {"event": "commit", "text": "".join(strings)}
        if member == "CurrentIM":
            return {"event": "im", "name": strings[1] if len(strings) > 1 else ""}
        if member.startswith("SetCursorRect") and ints:
            return {"event": "cursor", "x": ints[0]}
        if member in ("FocusIn", "FocusOut", "Reset"):
            return {"event": member}
        return None

    def mark(self):
        with self.lock:
            return len(self.events)

    def wait_event(self, what, match, since, timeout=20.0):
        end = time.monotonic() + timeout
        with self.lock:
            while True:
                for e in self.events[since:]:
                    if e["event"] == "gone":
                        raise AssertionError("the watch on fcitx5 ended while waiting for " + what)
                    if match(e):
                        return e
                left = end - time.monotonic()
                if left <= 0:
                    told = " ".join(self._brief(e) for e in self.events[since:][-40:]) or "nothing"
                    raise AssertionError("timed out waiting for %s; since then fcitx5 and the program said: %s"
                                         % (what, told))
                self.lock.wait(left)

    @staticmethod
    def _brief(e):
        kind = e["event"]
        if kind in ("preedit", "commit"):
            return "%s(%s)" % (kind, e["text"])
        if kind == "cursor":
            return "cursor@%d" % e["x"]
        if kind == "im":
            return "im(%s)" % e["name"]
        return kind

    def switch_on(self, timeout=20.0):
        """Input on for the focused field, as the user's hot key does; Mozc
        then composes hiragana (its InitialMode)."""
        end = time.monotonic() + timeout
        while True:
            self.remote("-o")
            if self.remote() == "2":
                return
            if time.monotonic() > end:
                raise AssertionError("fcitx5-remote -o did not switch input on (fcitx5-remote says %r)"
                                     % self.remote())
            time.sleep(0.1)

    def preedit(self, since, what, match, timeout=20.0):
        return self.wait_event(what, lambda e: e["event"] == "preedit" and match(e["text"]), since, timeout)

    def wait_conversion_shown(self, typing, space, what):
        """After romaji typed from `typing` and Space at `space`: until Mozc
        shows a conversion (no kana left in it) and the program has drawn
        it (it reports its caret after it)."""
        self.preedit(typing, "Mozc to compose " + what, lambda t: t != "")
        shown = self.preedit(space, "Mozc to convert " + what, lambda t: t != "" and not is_kana_or_romaji(t))
        try:
            self.wait_event("the program to draw the conversion of " + what, lambda e: e["event"] == "cursor",
                            shown["seq"], timeout=2.0)
        except AssertionError:
            pass  # a caret that stays where it was is not reported again
        return shown["text"]

    def close(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
