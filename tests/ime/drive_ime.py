#!/usr/bin/python3
"""Types Japanese into kelvora and kelvquick through a real input method,
Mozc under IBus or under fcitx5, as a Japanese user does: romaji keys,
Space to convert, Return to commit, the candidate list for a symbol, and a
conversion left pending while something else is pressed. Windows and fields
are found and read back over AT-SPI; keys and clicks go in through X with
xdotool, only keys on the keyboard's map. Under IBus the test holds IBus's
panel (ibus_panel.py) to see the candidates and to wait on the conversion;
under fcitx5 it watches what fcitx5 and the program say on the session bus
(fcitx_watch.py).

Usage: drive_ime.py BUILD_DIR WORK_DIR  (inside the session that
scripts/check-ime.sh sets up: an X display, the accessibility bus, and
ibus-daemon with Mozc as the engine at IBUS_ADDRESS, or with IME_FRAMEWORK
set to fcitx5, fcitx5 with Mozc).
"""
import os
import shutil
import sys
import time

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "gui"))
sys.path.insert(0, here)
from desktop import (Assistive, KeyboardAndMouse, Program, caret_of, click, control, descendants,  # noqa: E402
                     end_programs_on_terminate, focused_text, has, text_of, wait_for, wait_text, xdotool)
import pyatspi  # noqa: E402
from fcitx_watch import Fcitx  # noqa: E402
from ibus_panel import Panel  # noqa: E402

BUILD, WORK = sys.argv[1], sys.argv[2]
FCITX = os.environ.get("IME_FRAMEWORK", "ibus") == "fcitx5"
OUT = os.path.join(WORK, "out", "fcitx5" if FCITX else "ibus")
HOME = os.environ["HOME"]
ENV = dict(os.environ, QT_IM_MODULE="fcitx" if FCITX else "ibus", QT_QPA_PLATFORM="xcb",
           QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", LANG="ja_JP.UTF-8")
ENV.pop("QT_QPA_PLATFORM_PLUGIN_PATH", None)

panel = None
mouse, assistive = KeyboardAndMouse(), Assistive()


def metafile(video):
    return ("<ASX Version =\"3.0\">\r\n<Entry>\r\n<Ref href =\"./%s\">\r\n</Entry></ASX>\r\n" % video).encode("cp932")


# ------------------------------------------------------------------ steps

def start_screen(menu_button, title):
    """kelvora from its splash to one screen, with the mouse; returns the
    program, the window and the panel's mark from before the program
    started (everything the input method says after it is about this
    program)."""
    since = panel.mark()
    p = Program(BUILD, "kelvora", OUT, ENV)
    splash = p.window("", roles=("frame",))
    mouse.click_surface(next(a for a in descendants(splash) if a.getRoleName() == "panel"))
    click(control(p.window("選択メニュー"), "push button", menu_button))
    return p, p.window(title), since


def focus_in_hiragana(field, since):
    """Clicks the field and makes sure Mozc composes hiragana there. Mozc's
    configuration starts it active; should it start in direct input all the
    same, the mode is switched as a user does, from the panel's menu."""
    click(field)
    wait_for("%r to take the keyboard focus" % field.name, lambda: has(field, pyatspi.STATE_FOCUSED))
    if FCITX:
        panel.switch_on()
        return
    panel.wait_event("Mozc to report its input mode for the field", lambda e: Panel.mode_in(e) is not None, since)
    mode = panel.input_mode(since)
    if mode != "あ":
        print("ime: Mozc started in input mode %r; switching to hiragana from the panel" % mode, flush=True)
        mark = panel.mark()
        panel.activate("InputMode.Hiragana")
        panel.wait_mode("あ", mark)


def caret_home(field):
    xdotool("key", "Home")
    wait_for("the caret of %r at the start" % field.name, lambda: caret_of(field) == 0,
             seen=lambda: "it is at %d" % caret_of(field))


def convert(romaji):
    """Types romaji and Space; returns once the program shows Mozc's
    conversion, still uncommitted."""
    typing = panel.mark()
    xdotool("type", "--delay", "20", romaji)
    space = panel.mark()
    xdotool("key", "space")
    panel.wait_conversion_shown(typing, space, repr(romaji))


def commit(field, expected):
    xdotool("key", "Return")
    wait_text(field, expected, "%r to read %r once the conversion is committed" % (field.name, expected))


def choose_by_conversion(wanted, reading):
    """fcitx5: Space again on a conversion opens Mozc's list and moves to its
    next candidate, which the conversion in the field then shows; Down moves
    on, until the field shows `wanted`."""
    mark = panel.mark()
    xdotool("key", "space")
    shown = panel.preedit(mark, "Mozc's next candidate for " + reading, lambda t: t != "")["text"]
    for _ in range(150):
        if shown == wanted:
            return
        mark = panel.mark()
        xdotool("key", "Down")
        shown = panel.preedit(mark, "the candidate after %r for %s" % (shown, reading), lambda t: t != "")["text"]
    raise AssertionError("%r is not among Mozc's first candidates for %s" % (wanted, reading))


def open_candidates(reading):
    """Space again on a conversion opens Mozc's candidate list."""
    mark = panel.mark()
    xdotool("key", "space")
    return panel.table_since(mark, "Mozc's candidate list for " + reading)


def choose_candidate(table, wanted, reading):
    """Pages through the list until `wanted` shows, then moves the cursor on
    it with the arrow keys, each step confirmed by the list IBus shows."""
    for _ in range(20):
        if wanted in table["candidates"]:
            break
        mark = panel.mark()
        xdotool("key", "Page_Down")
        before = table["candidates"]
        table = panel.table_since(mark, "the next page of candidates for " + reading,
                                  lambda e: e["candidates"] != before)
    else:
        raise AssertionError("%r is not among Mozc's candidates for %s" % (wanted, reading))
    target = table["candidates"].index(wanted)
    for _ in range(len(table["candidates"])):
        if table["cursor"] == target:
            break
        mark = panel.mark()
        xdotool("key", "Down" if table["cursor"] < target else "Up")
        table = panel.table_since(mark, "the candidate cursor to move towards %r" % wanted)
    if table["candidates"][table["cursor"]] != wanted:
        raise AssertionError("the candidate cursor stands on %r, not on %r"
                             % (table["candidates"][table["cursor"]], wanted))


def save_dialog_field(p):
    dialog = p.window("名前をつけて保存")
    return wait_for("the save dialog's file name field to take the focus", lambda: focused_text(dialog))


def read_file(path):
    with open(path, "rb") as f:
        return f.read()


# ------------------------------------------------------------------ cases
# Each returns a line saying what it saw; a failed check raises.

def converted_before_extension(romaji):
    """Form2 opened, its video name field (.wmv) focused in hiragana, and
    romaji typed and converted at its start, not yet committed; returns the
    program, the window and the field."""
    p, w, since = start_screen("簡単メタファイル作成", "簡単メタファイル")
    field = control(w, "text", "ビデオ名記入")
    wait_text(field, ".wmv")
    focus_in_hiragana(field, since)
    caret_home(field)
    convert(romaji)
    return p, w, field


def committed_name():
    """Home, kazokuryokou, Space, Return before .wmv: the metafile names 家族旅行.wmv."""
    p, w, field = converted_before_extension("kazokuryokou")
    commit(field, "家族旅行.wmv")
    out = os.path.join(OUT, "committed")
    os.makedirs(out)
    click(control(w, "push button", "保存"))
    assistive.answer_save(p, out + "/meta")
    said = assistive.answer_message(p)
    written = read_file(out + "/meta.asx")
    if written != metafile("家族旅行.wmv"):
        raise AssertionError("meta.asx holds %r" % written)
    return "field %r, message %r, meta.asx %r" % (text_of(field), said, written)


def pending_conversion():
    """The conversion left uncommitted when 保存 is pressed through its
    AT-SPI action: the save takes the converted text, and the composition
    stays in its field instead of landing in the save dialog."""
    p, w, field = converted_before_extension("kazokuryokou")
    out = os.path.join(OUT, "pending")
    os.makedirs(out)
    assistive.press(control(w, "push button", "保存"))
    name_field = save_dialog_field(p)
    offered = text_of(name_field)
    for form in ("家族", "かぞく", "カゾク", "kazoku"):
        if form in offered:
            raise AssertionError("the composition landed in the save dialog's file name field: %r" % offered)
    assistive.answer_save(p, out + "/meta")
    said = assistive.answer_message(p)
    written = read_file(out + "/meta.asx")
    if written != metafile("家族旅行.wmv"):
        raise AssertionError("with the conversion pending meta.asx holds %r (message %r, field %r)"
                             % (written, said, text_of(field)))
    wait_text(field, "家族旅行.wmv", "%r to keep the committed conversion" % field.name)
    return "dialog offered %r, message %r, meta.asx %r" % (offered, said, written)


def yen_sign_refused():
    """えん converted to the half-width yen sign ¥, which Shift_JIS cannot
    hold: the save is refused with a message naming it, and nothing is written."""
    p, w, field = converted_before_extension("en")
    if FCITX:
        choose_by_conversion("\u00a5", "えん")
    else:
        choose_candidate(open_candidates("えん"), "\u00a5", "えん")
    commit(field, "\u00a5.wmv")
    out = os.path.join(OUT, "yen")
    os.makedirs(out)
    click(control(w, "push button", "保存"))

    def answer():
        if p.windows("名前をつけて保存"):
            return "dialog"
        if any(x.getRoleName() in ("dialog", "alert") for x in p.windows(p.title)):
            return "message"
        return None
    shown = wait_for("a message refusing the yen sign (or the save dialog)", answer)
    if shown == "dialog":
        raise AssertionError("the save dialog opened for a name holding the half-width yen sign")
    said = assistive.answer_message(p)
    if not any("「\u00a5」" in line for line in said):
        raise AssertionError("the refusal does not name 「\u00a5」: %r" % said)
    if p.windows("名前をつけて保存"):
        raise AssertionError("the save dialog opened after the refusal %r" % said)
    if os.listdir(out):
        raise AssertionError("something was written after the refusal: %r" % os.listdir(out))
    return "field %r, message %r, nothing written" % (text_of(field), said)


def generator_name():
    """diz　君: the name composed through Mozc (かぞく → 家族), then 一発作成."""
    name = "家族"
    for root in (BUILD, os.path.join(HOME, "kelvora")):
        if os.access(root, os.W_OK):
            shutil.rmtree(os.path.join(root, name), ignore_errors=True)
    p, w, since = start_screen("diz\u3000君", "diz\u3000君")
    field = control(w, "text", "例：bb.wmvは”ｂｂ”と記入。")
    focus_in_hiragana(field, since)
    caret_home(field)
    convert("kazoku")
    commit(field, name)
    click(control(w, "push button", "一発作成"))
    said = assistive.answer_message(p)
    root = BUILD
    if any("には書き込めないため" in line for line in said):
        # The build folder is not ours to write: the program says once where
        # its folders go instead, then goes on.
        root = os.path.join(HOME, "kelvora")
        if not any("「%s」" % root in line for line in said):
            raise AssertionError("the stand-in message does not name %s: %r" % (root, said))
        said += assistive.answer_message(p)
    folder = os.path.join(root, name)
    done = said[-1]
    if not done.startswith("保存しました。") or (done != "保存しました。" and folder not in done):
        raise AssertionError("the generator said %r, not that it saved %s" % (said, folder))
    try:
        asx = read_file(os.path.join(folder, name + ".asx"))
        expected = ("<ASX Version =\"3.0\"><Entry>\r\n<Ref href =\"./%s.wmv\"></Entry></ASX>\r\n" % name).encode("cp932")
        if asx != expected:
            raise AssertionError("%s.asx holds %r" % (name, asx))
        link = ("./%s.asx" % name).encode("cp932")
        for page in (name + ".htm", name + "01.htm"):
            if link not in read_file(os.path.join(folder, page)):
                raise AssertionError("%s does not link to %r" % (page, link.decode("cp932")))
        return "messages %r, %s/%s.asx %r" % (said, folder, name, asx)
    finally:
        if root == BUILD:
            shutil.rmtree(folder, ignore_errors=True)


def stays_once(field, expected, what):
    """The field reads `expected`, and still does a moment later: a copy of
    the commit the input method may send after the press lands nowhere."""
    wait_text(field, expected, "%r to read %r %s" % (field.name, expected, what))
    time.sleep(0.5)
    if text_of(field) != expected:
        raise AssertionError("%r reads %r a moment %s" % (field.name, text_of(field), what))


def save_by_mouse(p, w, out, expected_video):
    """保存 clicked with the mouse, the dialog answered; checks meta.asx."""
    os.makedirs(out)
    click(control(w, "push button", "保存"))
    assistive.answer_save(p, out + "/meta")
    said = assistive.answer_message(p)
    written = read_file(out + "/meta.asx")
    if written != metafile(expected_video):
        raise AssertionError("meta.asx holds %r (message %r)" % (written, said))
    return written


def pending_then_mouse_on_save():
    """The conversion pending, 保存 clicked with the mouse."""
    p, w, field = converted_before_extension("kazokuryokou")
    written = save_by_mouse(p, w, os.path.join(OUT, "mouse"), "家族旅行.wmv")
    stays_once(field, "家族旅行.wmv", "after the save")
    return "field %r, meta.asx %r" % (text_of(field), written)


def pending_then_label_click():
    """The conversion pending, the label （半角英入力） clicked with the mouse:
    the conversion stays in the field once; 保存 then writes it."""
    p, w, field = converted_before_extension("kazokuryokou")
    click(control(w, "label", "（半角英入力）"))
    stays_once(field, "家族旅行.wmv", "after the click on the label")
    written = save_by_mouse(p, w, os.path.join(OUT, "label"), "家族旅行.wmv")
    return "field %r, meta.asx %r" % (text_of(field), written)


def return_tab_return():
    """Return commits, Tab goes to 保存, Return presses it."""
    p, w, field = converted_before_extension("kazokuryokou")
    commit(field, "家族旅行.wmv")
    save = control(w, "push button", "保存")
    xdotool("key", "Tab")
    wait_for("保存 to take the keyboard focus", lambda: has(save, pyatspi.STATE_FOCUSED))
    out = os.path.join(OUT, "return-tab-return")
    os.makedirs(out)
    xdotool("key", "Return")
    assistive.answer_save(p, out + "/meta")
    said = assistive.answer_message(p)
    written = read_file(out + "/meta.asx")
    if written != metafile("家族旅行.wmv"):
        raise AssertionError("meta.asx holds %r (message %r)" % (written, said))
    return "field %r, meta.asx %r" % (text_of(field), written)


def pending_then_tab():
    """The conversion pending, Tab. Mozc takes Tab while it converts (the
    focus stays and the conversion stays pending, its candidate list may
    cover the buttons), so 保存 is then pressed through its AT-SPI action:
    the conversion, whichever candidate Tab left on show, goes into the
    field once and is what the save writes."""
    p, w, field = converted_before_extension("kazokuryokou")
    xdotool("key", "Tab")
    time.sleep(0.5)
    kept = has(field, pyatspi.STATE_FOCUSED)
    out = os.path.join(OUT, "tab")
    os.makedirs(out)
    assistive.press(control(w, "push button", "保存"))
    assistive.answer_save(p, out + "/meta")
    said = assistive.answer_message(p)
    shown = text_of(field)
    converted = shown[:-len(".wmv")] if shown.endswith(".wmv") else ""
    half = len(converted) // 2
    if not converted or converted.count(".wmv") or (half and converted[:half] == converted[half:]):
        raise AssertionError("after Tab and 保存 the field reads %r (message %r)" % (shown, said))
    written = read_file(out + "/meta.asx")
    if written != metafile(shown):
        raise AssertionError("meta.asx holds %r, the field reads %r" % (written, shown))
    stays_once(field, shown, "after the save")
    return "focus %s the field after Tab, field %r, meta.asx %r" % ("stayed in" if kept else "left", shown, written)


def click_in_field_then_typing():
    """The conversion pending at the start of the field, a click past the end
    of its text, then かぞく converted and committed: the first conversion
    stays where it was shown, the new one goes where the click was."""
    p, w, field = converted_before_extension("kazokuryokou")
    x, y, width, h = field.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    click(field, dx=width - 6)
    wait_text(field, "家族旅行.wmv", "%r to hold the conversion once clicked past its end" % field.name)
    wait_for("the caret of %r at the end" % field.name, lambda: caret_of(field) == len("家族旅行.wmv"),
             seen=lambda: "it is at %d" % caret_of(field))
    convert("kazoku")
    commit(field, "家族旅行.wmv家族")
    out = os.path.join(OUT, "click-in-field")
    os.makedirs(out)
    click(control(w, "push button", "保存"))

    def answer():
        if p.windows("名前をつけて保存"):
            return "dialog"
        if any(x.getRoleName() in ("dialog", "alert") for x in p.windows(p.title)):
            return "message"
        return None
    if wait_for("the save dialog or a message", answer) == "dialog":
        assistive.answer_save(p, out + "/meta")
    said = assistive.answer_message(p)
    written = read_file(out + "/meta.asx") if os.path.exists(out + "/meta.asx") else b""
    if written not in (b"", metafile("家族旅行.wmv家族")):
        raise AssertionError("meta.asx holds %r (message %r)" % (written, said))
    return "field %r, message %r, meta.asx %r" % (text_of(field), said, written)


def pending_generator_name(program):
    """The name 家族 composed and left pending, then 一発作成 pressed with the
    mouse: the folder is named 家族, nothing doubled."""
    name = "家族"
    for root in (BUILD, os.path.join(HOME, "kelvora")):
        if os.access(root, os.W_OK):
            shutil.rmtree(os.path.join(root, name), ignore_errors=True)
    if program == "kelvquick":
        since = panel.mark()
        p = Program(BUILD, "kelvquick", OUT, ENV)
        w = p.window("diz君")
        field = control(w, "text", "ビデオファイルの拡張子抜きファイル名を記入")
    else:
        p, w, since = start_screen("diz\u3000君", "diz\u3000君")
        field = control(w, "text", "例：bb.wmvは”ｂｂ”と記入。")
    focus_in_hiragana(field, since)
    xdotool("key", "ctrl+a", "BackSpace")
    wait_text(field, "", "%r to be emptied" % field.name)
    convert("kazoku")
    click(control(w, "push button", "一発作成"))
    said = assistive.answer_message(p)
    root = BUILD
    if any("には書き込めないため" in line for line in said):
        root = os.path.join(HOME, "kelvora")
        said += assistive.answer_message(p)
    folder = os.path.join(root, name)
    try:
        if not os.path.isdir(folder):
            raise AssertionError("no folder %s; the program said %r, the field reads %r"
                                 % (folder, said, text_of(field)))
        asx = read_file(os.path.join(folder, name + ".asx"))
        # kelvora's page names the video beside it, kelvquick's by its path.
        video = ("./%s.wmv" if program == "kelvora" else folder + "/%s.wmv") % name
        expected = ("<ASX Version =\"3.0\"><Entry>\r\n<Ref href =\"%s\"></Entry></ASX>\r\n" % video).encode("cp932")
        if asx != expected:
            raise AssertionError("%s.asx holds %r" % (name, asx))
        stays_once(field, name, "after 一発作成")
        return "messages %r, %s/%s.asx %r" % (said, folder, name, asx)
    finally:
        if root == BUILD:
            shutil.rmtree(folder, ignore_errors=True)


def pending_form13_name():
    return pending_generator_name("kelvora")


def pending_quick_name():
    return pending_generator_name("kelvquick")


def main():
    global panel
    end_programs_on_terminate()
    os.makedirs(OUT, exist_ok=True)
    cases = [committed_name, pending_conversion, pending_then_mouse_on_save, pending_then_label_click,
             return_tab_return, pending_then_tab, click_in_field_then_typing, yen_sign_refused, generator_name,
             pending_form13_name, pending_quick_name]
    only = os.environ.get("IME_ONLY")
    if only:
        cases = [c for c in cases if c.__name__ == only]
    failures = []
    try:
        panel = Fcitx() if FCITX else Panel()
    except AssertionError as e:
        print("ime: FAILED: " + str(e))
        print("0 passed, %d failed" % len(cases))
        return 1
    try:
        for case in cases:
            try:
                seen = case()
                print("ime: %s %-26s %s" % ("fcitx5" if FCITX else "ibus  ", case.__name__, seen), flush=True)
            except Exception as e:  # report and go on with the other cases
                failures.append("%s: %s%s" % (case.__name__, e, Program.unasked_ends()))
                print("ime: %s FAILED: %s" % ("fcitx5" if FCITX else "ibus  ", failures[-1]), flush=True)
            finally:
                Program.kill_all()
    finally:
        panel.close()
    print("%d passed, %d failed" % (len(cases) - len(failures), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
