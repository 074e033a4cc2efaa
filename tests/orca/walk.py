#!/usr/bin/python3
"""A screen reader user's walk through both programs.

Orca runs on the programs' accessibility bus and speaks through
speech-dispatcher (dummy output); what it says is read back from its debug
log. The walk uses the keyboard only (xdotool keys; text that has no key on
the map is pasted), and AT-SPI only to see where the focus is and what a
field holds, so that every step waits on a condition instead of a time.

Each expectation is one check: the prompts and examples read with each
field, the option chosen with the arrow keys, the height that follows the
width, the messages with their folder, the help's search results, and what
the keys wrote to disk. A screen whose walk breaks off counts the checks it
did not reach as failed, and the walk goes on from a fresh program.

Usage: walk.py BUILD_DIR WORK_DIR  (inside a session with an X display, an
accessibility bus and a window manager; scripts/check-orca.sh sets them up).
ORCA_ONLY=TEXT walks only the screens whose title holds TEXT (each starts
from a fresh program).
"""
import html
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "gui"))
import pyatspi  # noqa: E402
from desktop import WAIT, KeyboardAndMouse, Program, control, descendants, has, text_of, wait_for  # noqa: E402
from keys import (Checks, answer, answers, describe, file_is, file_state, focused, go, press,  # noqa: E402
                  save_as, tab_round, tab_to, type_into, wait_focus_moves)
from listener import HEAR, Orca, said_text  # noqa: E402

BUILD = os.path.realpath(sys.argv[1])
WORK = sys.argv[2]
OUT = os.path.join(WORK, "out")
# The version the build was made with, as the splash shows it.
with open(os.path.join(BUILD, "generated", "app", "version.h"), encoding="utf-8") as header:
    VERSION = re.search(r'#define KELVORA_VERSION "([^"]*)"', header.read()).group(1)
HELP_FILE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "help", "KELVORA.hlp")
KEYS = KeyboardAndMouse()


# ------------------------------------------------------------ the program

class Walk:
    def __init__(self, orca):
        self.orca = orca
        self.p = None
        self.splash_keys = None  # whether Return on the splash opened the menu

    def drop(self):
        if self.p is not None:
            self.p.kill()
        self.p = None

    def start_kelvora(self, checks=None):
        """Starts kelvora and leaves its splash with Return. Where Return does
        not open the top menu, a click does, so that the rest of the walk can
        still run; the splash's own checks say so."""
        self.drop()
        orca = self.orca
        mark = orca.mark()
        self.p = Program(BUILD, "kelvora", OUT)
        splash = self.p.window("", roles=("frame",))
        # xdotool's keys go to the active window.
        wait_for("the splash to be the active window", lambda: has(splash, pyatspi.STATE_ACTIVE))
        # A program new to Orca costs it a script of its own first, and one
        # that was just killed may still have calls of Orca's to fail.
        orca.wait_any(mark, "the splash", timeout=2 * WAIT)
        if checks is not None:
            checks.hear(orca, mark, {"name": ["Mirevant"], "version": [VERSION]})
        if self.splash_keys is not False:
            mark = orca.mark()
            # Nothing was typed yet to wait for, and the splash ends the
            # program on any key but its own.
            orca.key("Return", sync=False)

            def menu_or_end():
                if self.p.process.poll() is not None:
                    return "ended"
                return self.p.windows("選択メニュー")
            got = wait_for("Return on the splash to open 選択メニュー", menu_or_end)
            self.splash_keys = got != "ended"
            if checks is not None:
                checks.check("return", self.splash_keys,
                             "kelvora ended with code %s instead" % self.p.process.returncode)
            if self.splash_keys:
                return self.p.window("選択メニュー"), mark
            print("orca: note: the top menu is opened with a click on the splash to go on", flush=True)
            self.p = Program(BUILD, "kelvora", OUT)
            splash = self.p.window("", roles=("frame",))
        mark = orca.mark()
        KEYS.click_surface(next(a for a in descendants(splash) if a.getRoleName() == "panel"))
        return self.p.window("選択メニュー"), mark

    # The keyboard route from the top menu to each screen, to start a screen's
    # walk afresh when the walk before it broke off.
    ROUTES = {
        "簡単メタファイル": ("選択メニュー", "簡単メタファイル作成"),
        "ｈｔｍ作成選択": ("簡単メタファイル", "次"),
        "簡単ポップアップ形式": ("ｈｔｍ作成選択", "ポップアップ形式（文字式）"),
        "簡単エンベッド[埋め込み]形式作成": ("ｈｔｍ作成選択", "エンベッド形式\u3000（TV形式）"),
        "diz\u3000君": ("選択メニュー", "diz\u3000君"),
    }

    def at(self, title):
        """The program showing the screen title, reached afresh if the walk
        is elsewhere."""
        if self.p is not None and self.p.process.poll() is None and self.p.windows(title):
            return self.p.window(title)
        if title == "選択メニュー":
            return self.start_kelvora()[0]
        parent, button = self.ROUTES[title]
        self.at(parent)
        return go(self.p, self.orca, button, title)


# --------------------------------------------------------------- the walk

def open_screen(p, orca, button, title, field_name, first):
    """Return on button opens the screen title; Tab goes to its text field
    field_name, and Orca presents the window (by its title, or by first).
    Returns the window, the field and the speech mark taken before Return."""
    mark = orca.mark()
    w = go(p, orca, button, title)
    field = control(w, "text", field_name)
    tab_to(p, orca, lambda a: a.path == field.path, "the field " + field_name)
    orca.wait_window(mark, title, first)
    return w, field, mark


def splash(walk, c):
    _, mark = walk.start_kelvora(c)
    c.hear(walk.orca, mark, {"menu": ["選択メニュー"]})


splash.expected = {
    "name": "the splash is read with the program's name Mirevant",
    "version": "the splash is read with its version " + VERSION,
    "return": "Return on the splash opens 選択メニュー",
    "menu": "the top menu is announced as 選択メニュー",
}


def simple_metafile(walk, c):
    orca = walk.orca
    walk.at("選択メニュー")
    p = walk.p
    _, field, mark = open_screen(p, orca, "簡単メタファイル作成", "簡単メタファイル", "ビデオ名記入", "ビデオ名記入")
    c.hear(orca, mark, {"prompt": ["ビデオ名記入"], "example": ["例：kyou01.wmv"]})
    tab_round(p, orca, field)
    type_into(orca, field, "kyou01.wmv")
    press(p, orca, "保存")
    path = os.path.join(OUT, "kyou01.asx")
    mark = save_as(p, orca, path)
    p.message_box()
    c.hear(orca, mark, {"message": [path + "を保存しました。"]})
    answer(p, orca)
    c.wait("file", "kyou01.asx to hold the metafile", file_is(path, (
        '<ASX Version ="3.0">\r\n<Entry>\r\n<Ref href ="./kyou01.wmv">\r\n</Entry></ASX>\r\n').encode("cp932")),
        seen=file_state(path))


simple_metafile.expected = {
    "prompt": "the video name field is read with its prompt ビデオ名記入",
    "example": "the video name field is read with its example 例：kyou01.wmv",
    "message": "the save is told with the file and its folder: 「…/kyou01.asxを保存しました。」",
    "file": "kyou01.asx holds the metafile of kyou01.wmv",
}


def popup_page(walk, c):
    orca = walk.orca
    walk.at("簡単メタファイル")
    p = walk.p
    go(p, orca, "次", "ｈｔｍ作成選択")
    w, name, mark = open_screen(p, orca, "ポップアップ形式（文字式）", "簡単ポップアップ形式", "保存したasxファイルの名前を記入",
                                "保存したasxファイルの名前を記入")
    c.hear(orca, mark, {"name prompt": ["保存したasxファイルの名前を記入"],
                        "name example": ["例：hoge.asx（半角入力）"]})
    type_into(orca, name, "kyou01.asx")
    comment = control(w, "text", "コメント記入")
    _, mark = tab_to(p, orca, lambda a: a.path == comment.path, "the comment field")
    c.hear(orca, mark, {"comment prompt": ["コメント記入"],
                        "comment example": ["例：\u3000家族の映像です。クリックしてね。"]})
    type_into(orca, comment, "家族の映像です。")
    option, mark = tab_to(p, orca, lambda a: a.getRoleName() == "radio button", "the option group 位置")
    c.hear(orca, mark, {"group": ["位置"]})
    for _ in range(3):
        if option.name == "右端":
            break
        mark = orca.mark()
        orca.key("Right")
        wait_focus_moves(p, option, "Right")
        option = focused(p)
    right = control(w, "radio button", "右端")
    wait_for("右端 to be chosen with the arrow keys", lambda: has(right, pyatspi.STATE_CHECKED),
             seen=lambda: "the focus is on " + describe(focused(p)))
    c.hear(orca, mark, {"chosen": ["右端"]})
    press(p, orca, "保存")
    path = os.path.join(OUT, "popup.htm")
    mark = save_as(p, orca, path)
    p.message_box()
    c.hear(orca, mark, {"message": [path + "を保存しました。"]})
    answer(p, orca)
    c.wait("file", "popup.htm to hold the right-aligned page", file_is(path, (
        '<HTML><HEAD><TITLE></TITLE></HEAD><BODY>\r\n'
        '<P align="right"><B><A href="./kyou01.asx" target="_self">家族の映像です。</A></B></P>\r\n'
        '</BODY></HTML>\r\n').encode("cp932")), seen=file_state(path))
    # Back in the name field, Orca reads what it holds: all of it.
    _, mark = tab_to(p, orca, lambda a: a.path == name.path, "the metafile name field")
    wrong = orca.wait_field(mark, "保存したasxファイルの名前を記入", "kyou01.asx", HEAR)
    c.check("read back", wrong is None, "%s; %s" % (wrong, said_text(orca.since(mark))))
    # Reading the comment a character at a time, as a listener checks what
    # was pasted: Orca asks the field for the character and the word at the
    # caret. Last on this screen, because a program that cannot answer that
    # for Japanese text stops answering at all.
    _, mark = tab_to(p, orca, lambda a: a.path == comment.path, "the comment field")
    wait_for("Orca to present the comment field", lambda: "コメント記入" in "\n".join(orca.since(mark)),
             seen=lambda: said_text(orca.since(mark)))
    mark = orca.mark()
    orca.key("Home")
    missing = []
    if not orca.wait_utterance(mark, "家", HEAR):
        missing.append("家")
    else:
        mark = orca.mark()
        orca.key("Right")
        if not orca.wait_utterance(mark, "族", HEAR):
            missing.append("族")
    if not missing:
        c.check("caret", True)
    elif answers(comment, HEAR):
        c.check("caret", False, "missing 「%s」; %s" % (missing[0], said_text(orca.since(mark))))
    else:
        c.check("caret", False, "kelvora stopped answering the accessibility bus when Orca read the caret; "
                + said_text(orca.since(mark)))
        walk.drop()


popup_page.expected = {
    "name prompt": "the metafile name field is read with its prompt 保存したasxファイルの名前を記入",
    "name example": "the metafile name field is read with its example 例：hoge.asx（半角入力）",
    "comment prompt": "the comment field is read with its prompt コメント記入",
    "comment example": "the comment field is read with its example 例：\u3000家族の映像です。クリックしてね。",
    "group": "Tab into the options is announced as the group 位置",
    "chosen": "the option chosen with the arrow keys is read: 右端",
    "message": "the save is told with the file and its folder: 「…/popup.htmを保存しました。」",
    "file": "popup.htm aligns the link right, as chosen with the arrow keys",
    "read back": "back in the metafile name field, it is read by its name with its whole text kyou01.asx",
    "caret": "Home and Right in the Japanese comment read 家 and 族, and kelvora goes on answering",
}


def embed_page(walk, c):
    orca = walk.orca
    walk.at("簡単ポップアップ形式")
    p = walk.p
    go(p, orca, "戻る", "ｈｔｍ作成選択")
    w, width, mark = open_screen(p, orca, "エンベッド形式\u3000（TV形式）", "簡単エンベッド[埋め込み]形式作成", "幅",
                                 "幅サイズを記入すると高さは自動入力されます。")
    height = control(w, "text", "高さ")
    c.hear(orca, mark, {"width prompt": ["幅"], "width hint": ["幅サイズを記入すると高さは自動入力されます。"]})
    mark = orca.mark()
    type_into(orca, width, "480")
    wait_for("the height to follow the width 480 with 424", lambda: text_of(height) == "424",
             seen=lambda: "it shows %r" % text_of(height))
    # Orca may tell the new height with the width, and again when Tab goes
    # on to the height: read-only, but a stop of its own.
    tabbed = orca.mark()
    orca.key("Tab")
    wait_focus_moves(p, width, "Tab")
    c.hear(orca, mark, {"height": ["424"]})
    now = focused(p)
    if now.path != height.path:
        c.check("height field", False, "Tab went on to %s; %s" % (describe(now), said_text(orca.since(tabbed))))
    else:
        wrong = orca.wait_field(tabbed, "高さ", "424", HEAR)
        c.check("height field", wrong is None, "%s; %s" % (wrong, said_text(orca.since(tabbed))))
    asx = control(w, "text", "asxファイル名記入")
    _, mark = tab_to(p, orca, lambda a: a.path == asx.path, "the metafile name field")
    c.hear(orca, mark, {"asx prompt": ["asxファイル名記入"], "asx example": ["例：hoge.asx"]})


embed_page.expected = {
    "width prompt": "the width field is read with its prompt 幅",
    "width hint": "the width field is read with its hint 幅サイズを記入すると高さは自動入力されます。",
    "height": "after 480 is typed into 幅, the height 424 is read",
    "height field": "Tab from 幅 goes on to the field 高さ, read by its name with its whole value 424",
    "asx prompt": "the metafile name field is read with its prompt asxファイル名記入",
    "asx example": "the metafile name field is read with its example 例：hoge.asx",
}


def remove_tree(path):
    subprocess.run(["rm", "-rf", path], check=True)


def one_shot(walk, c):
    orca = walk.orca
    walk.at("簡単エンベッド[埋め込み]形式作成")
    p = walk.p
    go(p, orca, "戻る", "ｈｔｍ作成選択")
    go(p, orca, "topメニューに戻る", "選択メニュー")
    mark = orca.mark()
    go(p, orca, "diz\u3000君", "diz\u3000君")
    field, _ = tab_to(p, orca, lambda a: a.getRoleName() == "text", "the name field")
    orca.wait_window(mark, "diz\u3000君", "例：bb.wmvは”ｂｂ”と記入。")
    c.hear(orca, mark, {"example": ["例：bb.wmvは”ｂｂ”と記入。"]})
    folder = os.path.join(BUILD, "orcawalk")
    remove_tree(folder)
    try:
        type_into(orca, field, "orcawalk")
        mark = press(p, orca, "一発作成")
        p.message_box()
        c.hear(orca, mark, {"message": ["保存しました。", folder]})
        answer(p, orca)
        names = ["orcawalk.asx", "orcawalk.htm", "orcawalk01.htm"]
        c.wait("files", "the folder orcawalk to hold its three files",
               lambda: all(os.path.isfile(os.path.join(folder, n)) for n in names),
               seen=lambda: "it holds %r" % (os.listdir(folder) if os.path.isdir(folder) else "nothing"))
    finally:
        remove_tree(folder)


one_shot.expected = {
    "example": "the name field is read with its example 例：bb.wmvは”ｂｂ”と記入。",
    "message": "the done message 保存しました。 is read with its folder",
    "files": "the folder orcawalk holds orcawalk.asx, orcawalk.htm and orcawalk01.htm",
}


def help_text():
    with open(HELP_FILE, encoding="utf-8") as f:
        page = f.read()
    body = page[page.index("<body"):]
    return html.unescape(re.sub(r"<[^>]+>", "", body))


def sentence_of(text, word):
    """The sentence of the help that holds the word's first occurrence."""
    i = text.index(word)
    start = max(text.rfind("。", 0, i), text.rfind("\n", 0, i)) + 1
    ends = [e for e in (text.find("。", i), text.find("\n", i)) if e >= 0]
    end = min(ends)
    return text[start:end + (1 if text[end] == "。" else 0)].strip()


def help_search(walk, c):
    orca = walk.orca
    absent, present = "qzxv", "文字コード"
    text = help_text()
    if absent in text or present not in text:
        raise AssertionError("the help no longer suits the search: %r must be missing, %r there" % (absent, present))
    sentence = sentence_of(text, present)
    walk.at("diz\u3000君")
    p = walk.p
    mark = press(p, orca, "ヘルプ")
    w = p.window("ヘルプ")
    orca.wait_any(mark, "the help window")
    wait_for("the help window to be active", lambda: has(w, pyatspi.STATE_ACTIVE))
    mark = orca.mark()
    orca.key("ctrl+f")
    find = wait_for("Ctrl+F to put the focus into a text field of the help",
                    lambda: (lambda f: f if f is not None and f.getRoleName() == "text" else None)(focused(p)),
                    seen=lambda: "the focus is on " + describe(focused(p)))
    # The field is read by the label shown beside it, 「検索：」.
    c.hear(orca, mark, {"find": ["検索"]})
    mark = orca.mark()
    type_into(orca, find, absent)
    orca.key("Return")
    c.hear(orca, mark, {"absent": ["見つかりません"]})
    mark = orca.mark()
    type_into(orca, find, present)
    orca.key("Return")
    c.hear(orca, mark, {"present": [sentence]})
    walk.drop()


help_search.expected = {
    "find": "Ctrl+F in the help announces the find field",
    "absent": "a word that is not in the help is answered with 見つかりません",
    "present": "文字コード is answered with its sentence of the help",
}


def quick_set(walk, c):
    orca = walk.orca
    walk.drop()
    folder = os.path.join(BUILD, "orcaquick")
    remove_tree(folder)
    mark = orca.mark()
    p = Program(BUILD, "kelvquick", OUT)
    try:
        p.window("diz君")
        field, _ = tab_to(p, orca, lambda a: a.getRoleName() == "text", "the name field")
        orca.wait_window(mark, "diz君", "ビデオファイルの拡張子抜きファイル名を記入")
        c.hear(orca, mark, {"prompt": ["ビデオファイルの拡張子抜きファイル名を記入"]})
        type_into(orca, field, "orcaquick")
        pressed = press(p, orca, "一発作成")
        p.message_box()
        c.hear(orca, pressed, {"saved": ["保存しました。"]})
        mark = orca.mark()
        answer(p, orca)
        p.message_box()
        c.hear(orca, mark, {"done": ["完成しました。"]})
        c.hear(orca, pressed, {"folder": [folder]})
        answer(p, orca)
        asx = os.path.join(folder, "orcaquick.asx")
        c.wait("files", "the folder orcaquick to hold its page and its metafile",
               lambda: os.path.isfile(os.path.join(folder, "orcaquick.htm")) and file_is(asx, (
                   '<ASX Version ="3.0"><Entry>\r\n<Ref href ="%s/orcaquick.wmv"></Entry></ASX>\r\n'
                   % folder).encode("cp932"))(),
               seen=file_state(asx))
    finally:
        p.kill()
        remove_tree(folder)


quick_set.expected = {
    "prompt": "the name field is read with its prompt ビデオファイルの拡張子抜きファイル名を記入",
    "saved": "保存しました。 is read",
    "done": "the done message 完成しました。 is read",
    "folder": "the folder made is read with the messages",
    "files": "the folder orcaquick holds the page and the metafile with absolute links",
}

SCREENS = [
    ("splash", splash),
    ("Form2 簡単メタファイル", simple_metafile),
    ("Form5 簡単ポップアップ形式", popup_page),
    ("Form6 簡単エンベッド[埋め込み]形式作成", embed_page),
    ("Form13 diz\u3000君", one_shot),
    ("help", help_search),
    ("kelvquick", quick_set),
]


def main():
    os.makedirs(OUT, exist_ok=True)
    orca = Orca(WORK)
    walk = Walk(orca)
    chapters = []
    try:
        only = os.environ.get("ORCA_ONLY")
        for title, screen in SCREENS:
            if only and only not in title:
                continue
            chapters.append((orca.mark(), title))
            c = Checks(title, screen.expected)
            try:
                screen(walk, c)
                c.close()
            except Exception as e:  # report, then go on from a fresh program
                c.close("%s: %s" % (type(e).__name__, e))
                walk.drop()
    finally:
        walk.drop()
        Program.kill_all()
        said = orca.since(0)
        orca.stop()
    print("\norca: what Orca said, in order:")
    chapters.append((len(said), None))
    for (start, title), (end, _) in zip(chapters, chapters[1:]):
        print("  -- %s" % title)
        for u in said[start:end]:
            if u.strip():
                print("  | " + u.strip().replace("\n", " / "))
    passed = sum(Checks.results)
    failed = len(Checks.results) - passed
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
