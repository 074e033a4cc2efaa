"""The Orca screen reader as the walk hears it: Orca runs on the programs'
accessibility bus and speaks through speech-dispatcher (dummy output); what
it says is read back from its debug log."""
import os
import re
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "gui"))
from desktop import WAIT, wait_for, xdotool  # noqa: E402

# How long an expected phrase may take. Orca speaks a whole presentation
# within milliseconds, but on a busy machine it may still be working through
# the events that came before; a phrase that is heard ends the wait at once.
HEAR = float(os.environ.get("KELVORA_ORCA_HEAR", str(WAIT)))
# How long Orca's log stays still once Orca has nothing left to do.
QUIET = 3.0


# ------------------------------------------------------------------ Orca

# A debug log record starts with a time stamp; Orca indents the further lines
# of a record that holds line breaks by 18 spaces.
RECORD = re.compile(r"^\d\d:\d\d:\d\d\.\d+ - ")
CONTINUED = "\n" + " " * 18
# An utterance, closed by the voice Orca gave it (a dict, or a list of one).
SPOKEN = re.compile(r"SPEECH OUTPUT: '(.*?)'(?: voice=\w+)? ?(?:\{'|\{\}|\[\{)[^\n]*\Z", re.S)
# The key the walk sends to learn that Orca has taken every key before it;
# nothing else presses it, and it does nothing in the programs.
SYNC_KEY = "Shift_R"
SYNC_SEEN = "PROCESS ATSPI_KEY_RELEASED_EVENT: '%s'" % SYNC_KEY


class Orca:
    """The screen reader, and everything it said so far."""

    def __init__(self, work):
        self.log = os.path.join(work, "orca-debug.log")
        self.said = []
        self._offset = 0
        self._rest = b""
        self._record = None
        self._record_taken = False
        self._syncs = 0
        self._grew = time.monotonic()
        with open(os.path.join(work, "orca-stderr.log"), "w") as err:
            self.process = subprocess.Popen(["orca", "-u", os.path.join(work, "orca"), "--debug-file", self.log],
                                            stdout=subprocess.DEVNULL, stderr=err)
        # Orca greets once its listeners are registered: from then on it hears
        # the programs' events.
        wait_for("Orca to start and greet", lambda: self._alive() and self.update() and self.said,
                 timeout=3 * WAIT, seen=self._state)

    def _alive(self):
        if self.process.poll() is not None:
            raise AssertionError("Orca ended with code %d; see orca-stderr.log" % self.process.returncode)
        return True

    def _state(self):
        return "Orca %s, its log has %d bytes" % ("runs" if self.process.poll() is None else "ended",
                                                  self._offset)

    def update(self):
        """Reads what the log gained; returns True so that probes can chain it."""
        try:
            with open(self.log, "rb") as f:
                f.seek(self._offset)
                data = f.read()
        except FileNotFoundError:
            return True
        self._offset += len(data)
        if data:
            self._grew = time.monotonic()
        data = self._rest + data
        end = data.rfind(b"\n") + 1
        self._rest = data[end:]
        for line in data[:end].decode("utf-8", "replace").split("\n")[:-1]:
            if SYNC_SEEN in line:
                self._syncs += 1
            if RECORD.match(line):
                self._record, self._record_taken = line, False
            elif self._record is not None:
                self._record += "\n" + line
            # A record that closes with its voice is complete, even while no
            # later record has come to say so.
            if self._record is not None and not self._record_taken:
                m = SPOKEN.search(self._record)
                if m:
                    self.said.append(m.group(1).replace(CONTINUED, "\n"))
                    self._record_taken = True
        return True

    def sync(self):
        """Waits until Orca has taken every key sent so far. The programs hand
        each key to the screen reader before they act on it, and Orca takes
        keys more slowly than xdotool types them; a key it takes late, after
        a window closed, makes it take the next window as already active,
        and it would not present that window when it is activated."""
        seen = self._syncs
        xdotool("key", SYNC_KEY)
        wait_for("Orca to take the keys sent before", lambda: self._alive() and self.update() and self._syncs > seen,
                 seen=self._state)

    def key(self, name, sync=True):
        """Presses a key once Orca has caught up, as a person who listens does."""
        if sync:
            self.sync()
        xdotool("key", name)

    def mark(self):
        self.update()
        return len(self.said)

    def since(self, mark):
        self.update()
        return self.said[mark:]

    def waiting(self, start, timeout):
        """Whether a wait begun at start goes on: for timeout seconds, and
        after that for as long as Orca is still working (its log grows)
        through the events that came before, up to four times as long. On a
        busy machine it may be many seconds behind the programs; a phrase it
        has not said once it has nothing left to do will not come."""
        self._alive()
        self.update()
        now = time.monotonic()
        if now < start + timeout:
            return True
        return now - self._grew < QUIET and now < start + 4 * timeout

    def wait_heard(self, mark, phrases, timeout):
        """Waits until everything said since mark holds every phrase (see
        waiting); returns the phrases heard."""
        start = time.monotonic()
        while True:
            spoken = "\n".join(self.since(mark))
            heard = {p for p in phrases if p in spoken}
            if len(heard) == len(phrases) or not self.waiting(start, timeout):
                return heard
            time.sleep(0.1)

    def wait_utterance(self, mark, utterance, timeout):
        """Waits until Orca says exactly this (a character read alone, not
        the word or line that holds it), at most timeout seconds."""
        start = time.monotonic()
        while self.waiting(start, timeout):
            if any(u.strip() == utterance for u in self.since(mark)):
                return True
            time.sleep(0.1)
        return any(u.strip() == utterance for u in self.since(mark))

    def wait_field(self, mark, name, text, timeout):
        """Waits until Orca presents a field as a listener hears it on focus:
        its name, then its text whole (the text, or the text followed by
        what Orca adds: a full stop, the word for selected). Returns what
        went wrong, or None."""
        def whole(u):
            u = u.strip()
            return u.startswith(text) and u[len(text):len(text) + 1] in ("", ".", " ")
        start = time.monotonic()
        while True:
            going_on = self.waiting(start, timeout)
            said = self.since(mark)
            at = next((i for i, u in enumerate(said) if name in u), None)
            if at is not None and at + 1 < len(said):
                if whole(said[at + 1]):
                    return None
                return "after 「%s」 Orca read 「%s」, not 「%s」 whole" % (said[at].strip(), said[at + 1].strip(), text)
            if not going_on:
                return ("Orca did not present the field by its name 「%s」" % name if at is None
                        else "Orca read nothing after 「%s」" % said[at].strip())
            time.sleep(0.1)

    def wait_window(self, mark, title, *first):
        """Waits until Orca presents a window: by its title, or by what it
        says of the control that takes the focus (first), since a screen
        reader that is behind may take that focus before the window and then
        leave the window's title out. What it said before may still be about
        the window before: on a busy machine it works through the events of
        one window while the next is shown."""
        start = time.monotonic()
        while not any(p in "\n".join(self.since(mark)) for p in (title,) + first):
            if not self.waiting(start, WAIT):
                raise AssertionError("timed out waiting for Orca to present the window %s; %s"
                                     % (title, said_text(self.since(mark))))
            time.sleep(0.1)

    def wait_any(self, mark, what, timeout=None):
        """Waits until Orca says anything after mark."""
        wait_for("Orca to present " + what, lambda: self._alive() and self.since(mark), timeout=timeout,
                 seen=lambda: "it said nothing since")

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=WAIT)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


def said_text(utterances, last=10):
    shown = [u.strip().replace("\n", " / ") for u in utterances if u.strip()]
    if len(shown) > last:
        shown = ["…"] + shown[-last:]
    return "Orca said " + (" | ".join("「%s」" % u for u in shown) if shown else "nothing")

