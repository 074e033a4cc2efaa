"""The walk's checks, and the keys a screen reader user presses: Tab to a
control, Return on a button, text typed or pasted, the save dialog and the
message box, each step waiting on what it needs."""
import os
import sys
import threading

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "gui"))
import pyatspi  # noqa: E402
from desktop import (children, confirm_typed, descendants, enter_text, focused_text, has, labels,  # noqa: E402
                     on_keymap, showing, text_of, wait_for, wait_text, xdotool)
from listener import HEAR, said_text  # noqa: E402


# ---------------------------------------------------------------- checks

class Checks:
    results = []

    def __init__(self, title, expected):
        self.title = title
        self.expected = dict(expected)
        self.expected["walk"] = "the keyboard walk reached its end"
        self.done = set()

    def check(self, key, ok, detail=""):
        self.done.add(key)
        Checks.results.append(ok)
        line = "orca: %s %s: %s" % ("ok    " if ok else "FAILED", self.title, self.expected[key])
        print(line + ("" if ok or not detail else "\n        " + detail), flush=True)

    def hear(self, orca, mark, expected):
        """One check for each key of expected (phrases that must all be heard
        since mark); waits once for all of them."""
        phrases = {p for ps in expected.values() for p in ps}
        heard = orca.wait_heard(mark, phrases, HEAR)
        for key, ps in expected.items():
            missing = [p for p in ps if p not in heard]
            self.check(key, not missing,
                       "missing %s; %s" % (", ".join("「%s」" % p for p in missing), said_text(orca.since(mark))))

    def wait(self, key, what, probe, seen=None):
        try:
            wait_for(what, probe, seen=seen)
            self.check(key, True)
        except AssertionError as e:
            self.check(key, False, str(e))

    def close(self, broken=None):
        if broken is not None:
            self.check("walk", False, broken)
        elif "walk" not in self.done:
            self.check("walk", True)
        for key in self.expected:
            if key not in self.done:
                self.check(key, False, "not reached")


# ---------------------------------------------------- the keyboard and focus

def focused(p):
    """The innermost control with the keyboard focus in the program."""
    found = None
    for w in children(p.app):
        if showing(w):
            for a in descendants(w):
                if has(a, pyatspi.STATE_FOCUSED):
                    found = a
    return found


def windows(p):
    return "its windows: " + ", ".join(
        "%s %r%s" % (w.getRoleName(), w.name, " (active)" if has(w, pyatspi.STATE_ACTIVE) else "")
        for w in children(p.app) if showing(w))


def describe(acc):
    return "%s %r" % (acc.getRoleName(), acc.name) if acc is not None else "nothing"


def wait_focus_moves(p, before, what):
    def moved():
        now = focused(p)
        return now is not None and (before is None or now.path != before.path)
    wait_for("%s to move the focus from %s" % (what, describe(before)), moved,
             seen=lambda: "the focus is on " + describe(focused(p)))


def tab_to(p, orca, matches, what, limit=30):
    """Tab until the focused control matches; returns it and the speech mark
    taken before the Tab that reached it (before nothing if it had the focus)."""
    mark = orca.mark()
    for _ in range(limit):
        now = wait_for("a control of %s to hold the focus" % p.name, lambda: focused(p), seen=lambda: windows(p))
        if matches(now):
            return now, mark
        mark = orca.mark()
        orca.key("Tab")
        wait_focus_moves(p, now, "Tab")
    raise AssertionError("%d Tabs did not reach %s; the focus is on %s" % (limit, what, describe(focused(p))))


def named(role, name):
    return lambda a: a.getRoleName() == role and a.name == name


def press(p, orca, button):
    """Tab to the button and press Return on it; returns the speech mark
    taken just before Return."""
    tab_to(p, orca, named("push button", button), "the button " + button)
    mark = orca.mark()
    orca.key("Return")
    return mark


def go(p, orca, button, title):
    press(p, orca, button)
    return p.window(title)


def tab_round(p, orca, start):
    """Tab through every control once, back to start, so that Orca presents
    each of them."""
    orca.key("Tab")
    wait_focus_moves(p, start, "Tab")
    tab_to(p, orca, lambda a: a.path == start.path, "back to " + describe(start))


def type_into(orca, field, text):
    """Replaces what the focused field holds by text, typed or pasted."""
    wait_for("%r to hold the focus" % field.name, lambda: has(field, pyatspi.STATE_FOCUSED))
    orca.key("ctrl+a")
    enter_text(text)
    if on_keymap(text):
        confirm_typed(field, text)
    else:
        # Pasted in one go: nothing can be still on its way. The caret stays
        # where the paste left it; moving it is a step of its own (below).
        wait_text(field, text)


def save_as(p, orca, path):
    """Answers the save dialog with keys; returns the speech mark taken
    before the message box can appear."""
    dialog = p.window("名前をつけて保存")
    field = wait_for("the save dialog's file name field to take the focus", lambda: focused_text(dialog))
    orca.key("ctrl+a")
    enter_text(path)
    # Not confirm_typed: Home would go to the completion list the dialog
    # opens under the field while a path is typed.
    wait_text(field, path, "the save dialog's file name field to read %r" % path)
    orca.sync()
    mark = orca.mark()
    xdotool("key", "Return")
    return mark


def answer(p, orca):
    """Return on the message box's button, once it has the focus."""
    box = p.message_box()
    said = labels(box)
    ok = next(a for a in descendants(box) if a.getRoleName() == "push button")
    wait_for("the message box %r to focus its button" % said, lambda: has(ok, pyatspi.STATE_FOCUSED))
    orca.key("Return")
    p.no_message_box(said)


def answers(field, timeout):
    """Whether the program still answers the accessibility bus. A field's
    text is asked of the program itself (the tree may come from a cache); a
    program that spins never replies, and the call would wait for the bus's
    own limit."""
    reply = []

    def ask():
        try:
            reply.append(text_of(field))
        except Exception:  # the bus gave up waiting: no answer either
            pass
    asking = threading.Thread(target=ask, daemon=True)
    asking.start()
    asking.join(timeout)
    return bool(reply)


def file_is(path, expected):
    def probe():
        with open(path, "rb") as f:
            return f.read() == expected
    return probe


def file_state(path):
    def seen():
        if not os.path.exists(path):
            return "there is no " + path
        with open(path, "rb") as f:
            return "it holds %r" % f.read()
    return seen

