#!/usr/bin/python3
"""Drives both programs as native Wayland clients of a compositor nested in
an X server: every screen of kelvora opened, a save answered through the
save dialog and its message box, and the maximize button of the title bar
the toolkit draws itself pressed on each kind of window (a screen, the save
dialog, the message box, kelvquick's window), then pressed again to restore
(the message box is answered while maximized instead).
A fixed-size window the compositor is told to maximize must take the size
it is given or the compositor ends the connection, and the program with it;
so after each press the program must still run, and it must save afterwards.

Controls are found and pressed over AT-SPI, which is D-Bus and so the same
on Wayland. A Wayland client does not know where its windows are, so the
title bar's buttons are found on the compositor's output: the active
window's maximize button has a mark of whole black pixels in a plain title
bar, and the pointer is sent there with X input into the compositor's
window, which its seat passes on.

Usage: drive.py BUILD_DIR WORK_DIR  (inside a session with an accessibility
bus, DISPLAY naming the X server and WAYLAND_DISPLAY the compositor;
scripts/check-wayland.sh sets all of them up).
"""
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "gui"))
from desktop import Assistive, Program, control, end_programs_on_terminate, text_of, wait_for, xdotool  # noqa: E402

BUILD, WORK = sys.argv[1], sys.argv[2]
way = Assistive()

# The title bar's maximize button is 18 pixels square. Its mark, while the
# window is not maximized, is a 11 x 9 pixel outline whose two top rows are
# drawn, 4 in from the button's left and 5 down from its top, in the window
# text's colour (black) when the window is active; while it is maximized,
# two boxes of 9 x 7, the one behind 2 to the right, the one in front 2 down.
MARK_W, MARK_H = 11, 9
RESTORE_W = 9
BUTTON_CENTRE_FROM_MARK = (5, 4)
BLACK = b"\0\0\0"


class Output:
    """The compositor's output: its window on the X server, read as pixels."""

    def __init__(self):
        tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True, check=True,
                              env=dict(os.environ, LC_ALL="C")).stdout
        found = re.search(r'(0x[0-9a-f]+) "Weston Compositor[^"]*".*?(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)',
                          tree)
        if not found:
            raise AssertionError("no window of the compositor on the X server: %r" % tree)
        window = found.group(1)
        self.width, self.height, self.x, self.y = (int(v) for v in found.groups()[1:])
        # The keyboard goes to the compositor wherever the pointer is.
        xdotool("windowfocus", "--sync", str(int(window, 16)))
        self.leave()

    def pixels(self):
        """The output's rows, each 3 bytes a pixel."""
        data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], capture_output=True,
                              check=True).stdout
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
        width = int(header.group(1))
        body = data[header.end():]
        rows = []
        for y in range(self.y, self.y + self.height):
            start = (y * width + self.x) * 3
            rows.append(body[start:start + self.width * 3])
        return rows

    def marks(self, restore=False):
        """Where the maximize button's mark is drawn black (the window is
        active): the mark of a window that is not maximized, or with
        restore, the two overlapping boxes of a maximized one. The place
        given is the top left of the mark's 11 x 9 pixels."""
        rows = self.pixels()
        found = []
        run = BLACK * (RESTORE_W if restore else MARK_W)
        for y in range(len(rows) - MARK_H):
            row, at = rows[y], rows[y].find(run)
            while at >= 0:
                x = at // 3
                if at % 3 == 0:
                    if restore and self._restore_at(rows, x - 2, y):
                        found.append((x - 2, y))
                    elif not restore and self._mark_at(rows, x, y):
                        found.append((x, y))
                at = row.find(run, at + 1)
        return found

    @staticmethod
    def _black(rows, x, y):
        return 0 <= x and rows[y][x * 3:x * 3 + 3] == BLACK

    @staticmethod
    def _plain_around(rows, x, y):
        """Whether the rows just above and below the mark are one colour,
        the title bar's, as around a button and unlike text of the window."""
        if x < 2 or y < 2 or y + MARK_H + 1 >= len(rows):
            return False
        colour = rows[y - 2][(x - 2) * 3:(x - 1) * 3]
        line = colour * (MARK_W + 4)
        return colour != BLACK and all(rows[py][(x - 2) * 3:(x + MARK_W + 2) * 3] == line
                                       for py in (y - 2, y + MARK_H + 1))

    @classmethod
    def _mark_at(cls, rows, x, y):
        if not cls._plain_around(rows, x, y):
            return False
        last = MARK_W - 1
        if not all(cls._black(rows, x + i, y + 1) and cls._black(rows, x + i, y + MARK_H - 1) for i in range(MARK_W)):
            return False
        if not all(cls._black(rows, x, y + j) and cls._black(rows, x + last, y + j) for j in range(MARK_H)):
            return False
        return not any(cls._black(rows, px, y + 4) for px in (x - 1, x + MARK_W // 2, x + MARK_W))

    @classmethod
    def _restore_at(cls, rows, x, y):
        # The box behind, 2 right, and the box in front, 2 down.
        if not cls._plain_around(rows, x, y):
            return False
        if not all(cls._black(rows, x + i, y + 2) and cls._black(rows, x + i, y + MARK_H - 1)
                   for i in range(RESTORE_W)):
            return False
        return not cls._black(rows, x + 1, y) and not cls._black(rows, x + 4, y + 5)

    def click(self, x, y):
        # The pointer first, then the button, each as its own X event.
        xdotool("mousemove", "--sync", str(self.x + x), str(self.y + y))
        xdotool("click", "1")
        self.leave()

    def leave(self):
        """The pointer out of the compositor's window (the X screen is
        larger): it covers no mark on the next look, and each click enters
        the window afresh, which the compositor's X11 backend may otherwise
        not have seen when the pointer stood inside it as it started."""
        xdotool("mousemove", "--sync", str(self.x + self.width + 8), str(self.y + self.height + 8))


def keep_shot(name):
    """The output as a picture in KELVORA_WAYLAND_SHOTS, when it is set."""
    folder = os.environ.get("KELVORA_WAYLAND_SHOTS")
    if folder:
        os.makedirs(folder, exist_ok=True)
        subprocess.run(["import", "-window", "root", os.path.join(folder, name + ".png")])


def size_of(window):
    _, _, w, h = window.queryComponent().getExtents(0)
    return w, h


def active_mark(output, p, window, restore=False):
    """Where the window's maximize button is, once it is the one active
    window on the output (and maximized, with restore)."""
    state = "maximized" if restore else "not maximized"
    last = [None]

    def probe():
        # The same place and size twice running: the toolkit draws the
        # title bar of the new state before the compositor's size arrives.
        if p.ended():
            return "ended"
        marks = output.marks(restore)
        now = (marks[0], size_of(window)) if len(marks) == 1 else None
        steady, last[0] = now is not None and now == last[0], now
        return marks[0] if steady else None

    def seen():
        keep_shot("%s-%s" % (window.name, state))
        return p.ended() or "active title bars of that state at %r" % output.marks(restore)
    mark = wait_for("%r to be drawn as the one active window, %s" % (window.name, state), probe, seen=seen)
    if mark == "ended":
        raise AssertionError(p.ended() + weston_said())
    return mark


def press_button(output, p, window, mark, maximizing):
    """A click on the button whose mark is at mark, until the title bar
    shows the other state. On a busy machine the seat may not have passed
    the pointer's arrival on to the program before the click; the click is
    made again only while the title bar still shows the mark clicked, in
    the same place."""
    state = "maximized" if maximizing else "restored"
    for _ in range(3):
        output.click(mark[0] + BUTTON_CENTRE_FROM_MARK[0], mark[1] + BUTTON_CENTRE_FROM_MARK[1])
        try:
            wait_for("the title bar of %r to show it %s" % (window.name, state),
                     lambda: p.ended() or output.marks(restore=maximizing), timeout=5)
            return
        except AssertionError:
            if p.ended() or output.marks(restore=not maximizing) != [mark]:
                raise
    raise AssertionError("three clicks on the title bar of %r did not leave it %s" % (window.name, state))


def still_running(p, what):
    """The program runs and answers: a round trip through its event loop,
    which has handled the compositor's last answer by then."""
    p.app.childCount
    if p.ended():
        raise AssertionError("%s after %s%s" % (p.ended(), what, weston_said()))


def weston_said():
    log = os.environ.get("KELVORA_WESTON_LOG")
    if not log or not os.path.exists(log):
        return ""
    with open(log, errors="replace") as f:
        lines = [line.strip() for line in f if "error" in line.lower() or "geometry" in line.lower()]
    return "; the compositor logged %r" % lines[-3:] if lines else ""


def maximize_and_restore(output, p, window, restore=True):
    """The title bar's maximize button: the window takes the output's size,
    which the compositor gave it, and the program runs on; then the same
    button restores the window to its own size. A message box is left
    maximized, to be answered as it is: its button's press repaints it."""
    own = size_of(window)
    press_button(output, p, window, active_mark(output, p, window), maximizing=True)
    wait_for("%r to take the maximized size" % window.name,
             lambda: p.ended() or size_of(window)[0] > own[0] and size_of(window)[1] > own[1],
             seen=lambda: "it is %r" % (size_of(window),))
    mark = active_mark(output, p, window, restore=True)
    still_running(p, "the maximize button of %r was pressed" % window.name)
    if not restore:
        return
    press_button(output, p, window, mark, maximizing=False)
    active_mark(output, p, window)
    wait_for("%r to have its own size %r again" % (window.name, own), lambda: p.ended() or size_of(window) == own,
             seen=lambda: "it is %r" % (size_of(window),))
    still_running(p, "the restore button of %r was pressed" % window.name)


def start_from_splash(output, p, splash):
    """Return on the splash, once it is the active window, which has the
    keyboard."""
    active_mark(output, p, splash)
    xdotool("key", "Return")


def open_screen(p, window, button, title):
    way.press(control(window, "push button", button))
    return p.window(title)


def kelvora(output):
    """Every screen of kelvora, the top menu and a screen maximized and
    restored, then a save whose dialog and message box are maximized and
    restored too."""
    p = Program(BUILD, "kelvora", WORK)
    splash = p.window("", roles=("frame",))
    maximize_and_restore(output, p, splash)
    start_from_splash(output, p, splash)
    menu = p.window("選択メニュー")
    maximize_and_restore(output, p, menu)
    opened = [splash.name, menu.name]
    paths = [
        [("簡単メタファイル作成", "簡単メタファイル"), ("次", "ｈｔｍ作成選択"),
         ("ポップアップ形式（文字式）", "簡単ポップアップ形式"), ("戻る", "ｈｔｍ作成選択"),
         ("エンベッド形式　（TV形式）", "簡単エンベッド[埋め込み]形式作成"), ("戻る", "ｈｔｍ作成選択"),
         ("その他", "その他の形式メニュー"), ("ポップアップ上級htm", "その他　1"), ("戻る", "その他の形式メニュー"),
         ("エンベッド上級htm", "その他　2")],
        [("詳細メタファイル作成", "詳細メタファイル作成"), ("次", "詳細ｈｔｍ作成選択"),
         ("ポップアップ形式（文字式）", "詳細ポップアップ形式作成"), ("戻る", "詳細ｈｔｍ作成選択"),
         ("エンベッド形式　（TV形式）", "詳細エンベッド形式作成")],
        [("diz\u3000君", "diz\u3000君"), ("設定", "一発\u3000diz君\u3000設定")],
    ]
    for path in paths:
        window = p.window("選択メニュー")
        for button, title in path:
            window = open_screen(p, window, button, title)
            opened.append(window.name)
        still_running(p, "opening " + " > ".join(title for _, title in path))
        p.kill()
        p = Program(BUILD, "kelvora", WORK)
        start_from_splash(output, p, p.window("", roles=("frame",)))

    screen = open_screen(p, p.window("選択メニュー"), "簡単メタファイル作成", "簡単メタファイル")
    maximize_and_restore(output, p, screen)
    field = control(screen, "text", "ビデオ名記入")
    way.set_text(field, "家族旅行.wmv")
    way.press(control(screen, "push button", "保存"))
    dialog = p.window("名前をつけて保存")
    maximize_and_restore(output, p, dialog)
    target = os.path.join(WORK, "meta")
    way.answer_save(p, target)
    box = p.message_box()
    maximize_and_restore(output, p, box, restore=False)
    said = way.answer_message(p)
    expected = ("<ASX Version =\"3.0\">\r\n<Entry>\r\n<Ref href =\"./家族旅行.wmv\">\r\n"
                "</Entry></ASX>\r\n").encode("cp932")
    with open(target + ".asx", "rb") as f:
        written = f.read()
    if written != expected:
        raise AssertionError("kelvora wrote %r, not %r" % (written, expected))
    if text_of(field) != "家族旅行.wmv":
        raise AssertionError("the field reads %r after the save" % text_of(field))
    way.press(control(screen, "push button", "戻る"))
    way.press(control(p.window("選択メニュー"), "push button", "終了"))
    p.end()
    return "%d screens opened, %s saved (%d bytes), the message %r" % (
        len(set(opened)), os.path.basename(target) + ".asx", len(written), said)


def kelvquick(output):
    """kelvquick's window maximized and restored, then its folder made."""
    name = "waylandq"
    folder = os.path.join(BUILD, name)
    subprocess.run(["rm", "-rf", folder])
    p = Program(BUILD, "kelvquick", WORK)
    window = p.window("diz君")
    maximize_and_restore(output, p, window)
    way.set_text(control(window, "text", "ビデオファイルの拡張子抜きファイル名を記入"), name)
    way.press(control(window, "push button", "一発作成"))
    box = p.message_box()
    maximize_and_restore(output, p, box, restore=False)
    said = way.answer_message(p)
    said += way.answer_message(p)
    way.press(control(window, "push button", "終了"))
    p.end()
    files = sorted(os.listdir(folder)) if os.path.isdir(folder) else []
    subprocess.run(["rm", "-rf", folder])
    if files != [name + ".asx", name + ".htm"]:
        raise AssertionError("kelvquick made %r in %s, not its page and metafile; it said %r" % (files, folder, said))
    return "its folder made with %s, the messages %r" % (" and ".join(files), said)


def main():
    end_programs_on_terminate()
    output = Output()
    failures = []
    scenarios = [kelvora, kelvquick]
    for scenario in scenarios:
        try:
            print("wayland: %-9s %s" % (scenario.__name__, scenario(output)), flush=True)
        except Exception as e:  # report and go on with the other program
            failures.append("%s: %s%s" % (scenario.__name__, e, Program.unasked_ends()))
        finally:
            Program.kill_all()
    for f in failures:
        print("wayland: FAILED: " + f)
    print("%d passed, %d failed" % (len(scenarios) - len(failures), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
