"""The programs on a desktop, as the GUI stages drive them: windows and
controls found by role and accessible name over AT-SPI, as assistive
technology finds them, and X input sent with xdotool.

Nothing here sleeps for a fixed time: every step waits for the condition it
needs (a window shown, a field's text, an option checked, a box gone), with
a time limit whose message names what it waited for, so that a stage gives
the same answer on an idle machine and on one whose cores are busy.
"""
import os
import signal
import subprocess
import sys
import tempfile
import time

import pyatspi

SHOWING = pyatspi.STATE_SHOWING
# The limits are generous because a slow machine only makes a stage slower;
# a fault still fails it, with the message of the wait that ran out.
WAIT = float(os.environ.get("KELVORA_GUI_WAIT", "20"))


def wait_for(what, probe, timeout=None, seen=None):
    """probe() until it gives something true; `seen()` describes the last
    state for the message when the time runs out."""
    end = time.monotonic() + (WAIT if timeout is None else timeout)
    while True:
        try:
            found = probe()
        except Exception:  # the tree changes under us while windows come and go
            found = None
        if found:
            return found
        if time.monotonic() >= end:
            detail = ""
            if seen is not None:
                try:
                    detail = "; " + seen()
                except Exception as e:  # an unreadable state must not hide what timed out
                    detail = "; (state unreadable: %s)" % e
            raise AssertionError("timed out waiting for " + what + detail)
        time.sleep(0.1)


def end_programs_on_terminate():
    """A stage that is stopped (a time limit, ^C in a loop of runs) ends the
    programs it started: SIGTERM unwinds like an error, through the finally
    blocks that kill them."""
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))


def children(acc):
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            yield child


def has(acc, state):
    return acc.getState().contains(state)


def showing(acc):
    return has(acc, SHOWING)


def descendants(acc):
    for child in children(acc):
        if showing(child):
            yield child
            yield from descendants(child)


class Program:
    """One run of a program of the build, found on the accessibility bus by
    its name and process id."""
    running = []

    def __init__(self, build, name, cwd, env=None):
        self.name = name
        self.title = "Mirequick" if name == "kelvquick" else "Mirevant"
        # Its output is kept for the message when it ends unasked.
        self.output = tempfile.TemporaryFile()
        self.process = subprocess.Popen([os.path.join(build, name)], cwd=cwd, env=env,
                                        stdout=self.output, stderr=subprocess.STDOUT)
        Program.running.append(self)
        self.app = wait_for(name + " on the accessibility bus", self._find_app, timeout=2 * WAIT)
        if self.app == "ended":
            raise AssertionError(self.ended() + " before it showed on the accessibility bus")

    def ended(self):
        """How the program ended and the last lines it wrote, or None while
        it runs."""
        code = self.process.poll()
        if code is None:
            return None
        how = "killed by signal %d" % -code if code < 0 else "exit code %d" % code
        self.output.seek(0)
        tail = self.output.read().decode(errors="replace").strip().splitlines()[-6:]
        return "%s ended (%s)%s" % (self.name, how, "; its last output: %r" % tail if tail else "")

    @classmethod
    def unasked_ends(cls):
        """For a failure's message: the programs that ended other than with
        status 0 (which 終了 gives), since that is often the cause."""
        notes = [p.ended() for p in cls.running if p.process.poll() not in (None, 0)]
        return "".join("; " + n for n in notes)

    def _find_app(self):
        if self.process.poll() is not None:
            return "ended"  # ends the wait at once
        desktop = pyatspi.Registry.getDesktop(0)
        for app in children(desktop):
            if app.name == self.name and app.get_process_id() == self.process.pid:
                return app
        return None

    def window(self, title, roles=("frame", "dialog", "alert", "window")):
        def probe():
            for w in children(self.app):
                if w.getRoleName() in roles and showing(w) and w.name.startswith(title):
                    return w
            return None

        def seen():
            if self.ended():
                return self.ended()
            return "the program has %r; under it %r" % (
                [(w.getRoleName(), w.name, showing(w)) for w in children(self.app)],
                [labels(w) for w in children(self.app)])
        return wait_for("window " + repr(title), probe, seen=seen)

    def windows(self, title):
        return [w for w in children(self.app) if showing(w) and w.name.startswith(title)]

    def message_box(self):
        """The message box: a dialog with the program's title."""
        return self.window(self.title, roles=("dialog", "alert"))

    def no_message_box(self, said):
        """Until the box that said this is gone; another may follow it."""
        def probe():
            return not any(w.getRoleName() in ("dialog", "alert") and showing(w) and w.name == self.title
                           and labels(w) == said for w in children(self.app))
        wait_for("the message box %r to close" % said, probe, seen=lambda: self.ended() or "it is still open")

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()

    def end(self):
        try:
            self.process.wait(timeout=WAIT)
        except subprocess.TimeoutExpired:
            self.process.kill()
            raise AssertionError(self.name + " did not end on 終了")

    @classmethod
    def kill_all(cls):
        for p in cls.running:
            p.kill()
            p.output.close()
        cls.running.clear()
        release_clipboard()


def control(window, role, name):
    for acc in descendants(window):
        if acc.getRoleName() == role and acc.name == name:
            return acc
    names = sorted({(a.getRoleName(), a.name) for a in descendants(window)})
    raise AssertionError("no %s %r in %r; there are %r" % (role, name, window.name, names))


def labels(window):
    return [a.name for a in descendants(window) if a.getRoleName() == "label" and a.name]


def centre(acc, dx=None):
    x, y, w, h = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return x + (w // 2 if dx is None else dx), y + h // 2


def text_of(acc):
    t = acc.queryText()
    return t.getText(0, t.characterCount)


def caret_of(acc):
    return acc.queryText().caretOffset


def focused_text(window):
    """The text field of a window that holds the keyboard focus, if any."""
    return next((a for a in descendants(window) if a.getRoleName() == "text" and has(a, pyatspi.STATE_FOCUSED)),
                None)


def wait_text(field, expected, what=None):
    return wait_for(what or "%r to read %r" % (field.name, expected), lambda: text_of(field) == expected,
                    seen=lambda: "it reads %r" % text_of(field))


def wait_checked(option):
    wait_for("the option %r to be checked" % option.name, lambda: has(option, pyatspi.STATE_CHECKED))


def xdotool(*args):
    subprocess.run(["xdotool"] + list(args), check=True)


def click(acc, dx=None):
    x, y = centre(acc, dx)
    xdotool("mousemove", str(x), str(y), "click", "1")


def on_keymap(text):
    """Text whose every character has a key on the US map xdotool types with."""
    return all(32 <= ord(ch) < 127 for ch in text)


_clipboard_owner = None


def to_clipboard(text):
    """Puts text on the clipboard and waits until the clipboard gives it back.
    xclip owns the selection for as long as it runs; it runs in the
    foreground here, so that it is ended by its id once it is not needed."""
    global _clipboard_owner
    release_clipboard()
    _clipboard_owner = subprocess.Popen(["xclip", "-quiet", "-selection", "clipboard", "-t", "UTF8_STRING", "-i"],
                                        stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
    _clipboard_owner.stdin.write(text.encode())
    _clipboard_owner.stdin.close()

    def held():
        return subprocess.run(["xclip", "-selection", "clipboard", "-t", "UTF8_STRING", "-o"],
                              capture_output=True, timeout=WAIT).stdout.decode()
    wait_for("the clipboard to hold %r" % text, lambda: held() == text, seen=lambda: "it holds %r" % held())


def release_clipboard():
    global _clipboard_owner
    if _clipboard_owner is not None:
        _clipboard_owner.kill()
        _clipboard_owner.wait()
        _clipboard_owner = None


def enter_text(text):
    """Keys for text on the keyboard's map. Anything else is pasted: xdotool
    types such characters by remapping a spare key code for each, and a busy
    program may read the key after the code was remapped again, so
    characters went missing."""
    if on_keymap(text):
        xdotool("type", "--delay", "10", text)
    else:
        to_clipboard(text)
        xdotool("key", "ctrl+v")


def confirm_typed(field, expected):
    """Waits until the field reads what was typed; a key that went missing
    ends the wait with both texts. Then Home, which the program handles after
    every key typed before it: once the caret stands at 0, nothing typed is
    still on its way to change the field again. (The caret alone is no sign:
    it may stand at 0 before the first key arrives, when a screen reader
    holds the keys up on a busy machine.)"""
    wait_for("the keys typed into %r to arrive" % field.name, lambda: text_of(field) == expected,
             seen=lambda: "typed %r, but it reads %r" % (expected, text_of(field)))
    xdotool("key", "Home")
    wait_for("Home in %r to arrive after the typed keys" % field.name, lambda: caret_of(field) == 0,
             seen=lambda: "the caret is at %d" % caret_of(field))
    got = text_of(field)
    if got != expected:
        raise AssertionError("typed %r into %r, but it reads %r" % (expected, field.name, got))


class Assistive:
    """The way a screen reader, dictation or an on-screen keyboard works."""
    name = "assistive technology"

    def set_text(self, field, text):
        field.queryEditableText().setTextContents(text)
        got = text_of(field)
        if got != text:
            raise AssertionError("set %r into %r, but it reads %r" % (text, field.name, got))

    def press(self, button):
        action = button.queryAction()
        action.doAction(0)

    def choose(self, option):
        action = option.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        action.doAction(names.index("Toggle") if "Toggle" in names else 0)
        wait_checked(option)

    def click_surface(self, acc):
        x, y, w, h = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        pyatspi.Registry.generateMouseEvent(x + 4, y + h - 4, "b1c")

    def answer_save(self, program, path):
        dialog = program.window("名前をつけて保存")
        field = wait_for("the save dialog's file name field to take the focus", lambda: focused_text(dialog))
        field.queryEditableText().setTextContents(path)
        wait_text(field, path, "the save dialog's file name field to read %r" % path)
        save = next(a for a in descendants(dialog) if a.getRoleName() == "push button"
                    and (a.name.startswith("保存") or a.name.lower().startswith("save")))
        wait_for("the save dialog's button %r to be enabled" % save.name, lambda: has(save, pyatspi.STATE_SENSITIVE))
        self.press(save)

    def cancel_save(self, program):
        dialog = program.window("名前をつけて保存")
        cancel = next(a for a in descendants(dialog) if a.getRoleName() == "push button"
                      and (a.name.startswith("キャンセル") or a.name.lower().startswith("cancel")))
        self.press(cancel)

    def answer_message(self, program):
        box = program.message_box()
        said = labels(box)
        ok = next(a for a in descendants(box) if a.getRoleName() == "push button")
        self.press(ok)
        program.no_message_box(said)
        return said


class KeyboardAndMouse:
    """The way most users work: the mouse to point, keys to type."""
    name = "keyboard and mouse"

    def set_text(self, field, text):
        click(field)
        wait_for("%r to take the keyboard focus" % field.name, lambda: has(field, pyatspi.STATE_FOCUSED))
        xdotool("key", "ctrl+a", "BackSpace")
        wait_text(field, "", "%r to be emptied" % field.name)
        enter_text(text)
        confirm_typed(field, text)

    def press(self, button):
        click(button)

    def choose(self, option):
        click(option, dx=8)
        wait_checked(option)

    def click_surface(self, acc):
        x, y, w, h = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        xdotool("mousemove", str(x + 4), str(y + h - 4), "click", "1")

    def answer_save(self, program, path):
        dialog = program.window("名前をつけて保存")
        field = wait_for("the save dialog's file name field to take the focus", lambda: focused_text(dialog))
        xdotool("key", "ctrl+a")
        enter_text(path)
        # Not confirm_typed: Home would go to the completion list the dialog
        # opens under the field while a path is typed.
        wait_text(field, path, "the save dialog's file name field to read %r" % path)
        xdotool("key", "Return")

    def cancel_save(self, program):
        dialog = program.window("名前をつけて保存")
        wait_for("the save dialog's file name field to take the focus", lambda: focused_text(dialog))
        xdotool("key", "Escape")

    def answer_message(self, program):
        box = program.message_box()
        said = labels(box)
        ok = next(a for a in descendants(box) if a.getRoleName() == "push button")
        # Return goes to the focused button, so the box must have it first.
        wait_for("the message box %r to focus its button" % said, lambda: has(ok, pyatspi.STATE_FOCUSED))
        xdotool("key", "Return")
        program.no_message_box(said)
        return said
