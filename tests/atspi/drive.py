#!/usr/bin/python3
"""Drives the real programs twice through every saving screen: once as
assistive technology does (AT-SPI: text set through EditableText, buttons
and options through their actions, windows found by role and name), once
with the keyboard and the mouse (X events; text beyond the keyboard's map is
pasted from the clipboard, as with a character picker). Every field is read
back over AT-SPI after it is filled. Both runs must write the same
bytes, show the same messages, and the bytes must be what the screens say.

Usage: drive.py BUILD_DIR WORK_DIR  (inside a session with an X display and
an accessibility bus; scripts/check-atspi.sh sets both up).
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "gui"))
from desktop import (Assistive, KeyboardAndMouse, Program, control, descendants, end_programs_on_terminate,  # noqa: E402
                     showing, text_of, wait_for)

BUILD, WORK = sys.argv[1], sys.argv[2]


def start(name):
    return Program(BUILD, name, WORK)


# ---------------------------------------------------------------- scenarios
# Each fills one screen the way a user would and saves; it returns the file
# or folder it wrote and the messages it was shown.

def open_kelvora(way):
    p = start("kelvora")
    splash = p.window("", roles=("frame",))
    frame = next(a for a in descendants(splash) if a.getRoleName() == "panel")
    way.click_surface(frame)
    return p, p.window("選択メニュー")


def fill(way, window, fields):
    for name, text in fields:
        way.set_text(control(window, "text", name), text)


def save_through_dialog(way, p, window, button, path):
    way.press(control(window, "push button", button))
    way.answer_save(p, path)
    said = way.answer_message(p)
    return said


def finish(way, p, window, button="終了"):
    way.press(control(window, "push button", button))
    p.end()


def simple_metafile(way, out):
    p, menu = open_kelvora(way)
    way.press(control(menu, "push button", "簡単メタファイル作成"))
    w = p.window("簡単メタファイル")
    fill(way, w, [("ビデオ名記入", "家族旅行.wmv")])
    said = save_through_dialog(way, p, w, "保存", out + "/meta")
    way.press(control(w, "push button", "戻る"))
    finish(way, p, p.window("選択メニュー"))
    return out + "/meta.asx", said


def press_behind_message(way, out):
    """Form2: 保存, the save dialog cancelled; while 「キャンセルされました」 is
    open, assistive technology presses 次 behind it. The modal box refuses the
    press as it refuses the mouse: the program neither ends nor moves on, and
    saves afterwards."""
    p, menu = open_kelvora(way)
    way.press(control(menu, "push button", "簡単メタファイル作成"))
    w = p.window("簡単メタファイル")
    fill(way, w, [("ビデオ名記入", "家族旅行.wmv")])
    way.press(control(w, "push button", "保存"))
    way.cancel_save(p)
    box = p.message_box()
    behind = control(w, "push button", "次")
    Assistive().press(behind)
    # Each question is a round trip through the program's event loop, which
    # has handled the press by the time it answers.
    moved_on = p.windows("ｈｔｍ作成選択")
    if p.ended() or moved_on or not showing(box):
        raise AssertionError("the press of 次 behind the message box was taken: %s"
                             % (p.ended() or "ｈｔｍ作成選択 %r, the box showing %s" % (moved_on, showing(box))))
    said = way.answer_message(p)
    if p.windows("ｈｔｍ作成選択") or not p.windows("簡単メタファイル"):
        raise AssertionError("the press of 次 behind the message box moved on once the box closed")
    said += save_through_dialog(way, p, w, "保存", out + "/meta")
    way.press(control(w, "push button", "戻る"))
    finish(way, p, p.window("選択メニュー"))
    return out + "/meta.asx", said


def simple_pages(way, out):
    """Form5 and Form6 after the simple metafile's 次."""
    p, menu = open_kelvora(way)
    way.press(control(menu, "push button", "簡単メタファイル作成"))
    way.press(control(p.window("簡単メタファイル"), "push button", "次"))
    menu = p.window("ｈｔｍ作成選択")
    way.press(control(menu, "push button", "ポップアップ形式（文字式）"))
    w = p.window("簡単ポップアップ形式")
    fill(way, w, [("保存したasxファイルの名前を記入", "kazoku.asx"), ("コメント記入", "家族の映像です。")])
    way.choose(control(w, "radio button", "左端"))
    said = save_through_dialog(way, p, w, "保存", out + "/popup")
    way.press(control(w, "push button", "戻る"))
    way.press(control(p.window("ｈｔｍ作成選択"), "push button", "エンベッド形式　（TV形式）"))
    w = p.window("簡単エンベッド[埋め込み]形式作成")
    fill(way, w, [("幅", "32"), ("asxファイル名記入", "kazoku.asx")])
    way.choose(control(w, "radio button", "html開いたら自動スタート"))
    height = control(w, "text", "高さ")
    wait_for("the height to follow the width 32 with 88", lambda: text_of(height) == "88",
             seen=lambda: "it shows %r" % text_of(height))
    said += save_through_dialog(way, p, w, "保存", out + "/embed")
    finish(way, p, w)
    return out, said


def detailed_pages(way, out):
    """Form3, then Form8 and Form9 after its 次."""
    p, menu = open_kelvora(way)
    way.press(control(menu, "push button", "詳細メタファイル作成"))
    w = p.window("詳細メタファイル作成")
    fill(way, w, [("フォルダー名記入", "wmv"), ("ビデオ名記入", "kyou01.wmv")])
    said = save_through_dialog(way, p, w, "保存", out + "/detailed")
    way.press(control(w, "push button", "次"))
    menu = p.window("詳細ｈｔｍ作成選択")
    way.press(control(menu, "push button", "ポップアップ形式（文字式）"))
    w = p.window("詳細ポップアップ形式作成")
    fill(way, w, [("asxファイルを入れるフォルダー記入", "omiyage"),
                  ("保存したasxファイルの名前を記入", "kyou01.asx"), ("コメント記入", "今日の映像")])
    way.choose(control(w, "radio button", "右端"))
    said += save_through_dialog(way, p, w, "保存", out + "/dpopup")
    way.press(control(w, "push button", "戻る"))
    way.press(control(p.window("詳細ｈｔｍ作成選択"), "push button", "エンベッド形式　（TV形式）"))
    w = p.window("詳細エンベッド形式作成")
    fill(way, w, [("幅", "640"), ("asxファイルを入れるフォルダー名記入", "baku"), ("asxファイル名記入", "kyou01.asx")])
    said += save_through_dialog(way, p, w, "保存", out + "/dembed")
    finish(way, p, w)
    return out, said


def other_pages(way, out):
    """Form11 and Form12 from the other-formats menu."""
    p, menu = open_kelvora(way)
    way.press(control(menu, "push button", "簡単メタファイル作成"))
    way.press(control(p.window("簡単メタファイル"), "push button", "次"))
    way.press(control(p.window("ｈｔｍ作成選択"), "push button", "その他"))
    way.press(control(p.window("その他の形式メニュー"), "push button", "ポップアップ上級htm"))
    w = p.window("その他　1")
    fill(way, w, [("コメント記入 1", "一つ目"), ("asxファイルにリンク 1", "one.asx"),
                  ("コメント記入 2", "二つ目"), ("asxファイルにリンク 2", "two.asx")])
    way.choose(control(w, "radio button", "右端"))
    said = save_through_dialog(way, p, w, "保存", out + "/multi")
    way.press(control(w, "push button", "戻る"))
    way.press(control(p.window("その他の形式メニュー"), "push button", "エンベッド上級htm"))
    w = p.window("その他　2")
    fill(way, w, [("幅", "480"), ("タイトルページ", "title.htm"), ("コメント記入 1", "メニュー一"),
                  ("htmファイルにリンク 1", "a.htm")])
    said += save_through_dialog(way, p, w, "保存", out + "/menu")
    finish(way, p, w)
    return out, said


def one_shot(way, out):
    """The generator with its settings changed; it writes beside the program."""
    name = "atspi" + way.name[0]
    subprocess.run(["rm", "-rf", os.path.join(BUILD, name)])
    p, menu = open_kelvora(way)
    way.press(control(menu, "push button", "diz\u3000君"))
    w = p.window("diz\u3000君")
    way.press(control(w, "push button", "設定"))
    s = p.window("一発\u3000diz君\u3000設定")
    fill(way, s, [("asxの設定\u3000拡張子", ".avi"), ("幅", "640")])
    way.choose(control(s, "radio button", "オン"))
    way.press(control(s, "push button", "戻る"))
    fill(way, w, [("例：bb.wmvは”ｂｂ”と記入。", name)])
    way.press(control(w, "push button", "一発作成"))
    said = way.answer_message(p)
    finish(way, p, w)
    return os.path.join(BUILD, name), said, name


def quick_set(way, out):
    name = "atspiq" + way.name[0]
    subprocess.run(["rm", "-rf", os.path.join(BUILD, name)])
    p = start("kelvquick")
    w = p.window("diz君")
    fill(way, w, [("ビデオファイルの拡張子抜きファイル名を記入", name)])
    way.press(control(w, "push button", "一発作成"))
    said = way.answer_message(p)
    said += way.answer_message(p)
    finish(way, p, w)
    return os.path.join(BUILD, name), said, name


def tree(path, rename=None):
    """Every file below path (or the file itself), with its bytes."""
    files = {}
    if os.path.isfile(path):
        with open(path, "rb") as f:
            return {"": f.read()}
    for root, _, names in os.walk(path):
        for n in names:
            full = os.path.join(root, n)
            with open(full, "rb") as f:
                data = f.read()
            key = os.path.relpath(full, path)
            if rename:
                key = key.replace(rename[0], rename[1])
                data = data.replace(rename[0].encode(), rename[1].encode())
            files[key] = data
    return files


def main():
    end_programs_on_terminate()
    failures = []
    scenarios = [simple_metafile, press_behind_message, simple_pages, detailed_pages, other_pages, one_shot, quick_set]
    only = os.environ.get("ATSPI_ONLY")
    if only:
        scenarios = [s for s in scenarios if s.__name__ == only]
    for scenario in scenarios:
        results = []
        for way in (Assistive(), KeyboardAndMouse()):
            out = os.path.join(WORK, scenario.__name__, way.name.replace(" ", "-"))
            os.makedirs(out, exist_ok=True)
            try:
                got = scenario(way, out)
            except Exception as e:  # report and go on with the other scenarios
                failures.append("%s through %s: %s%s" % (scenario.__name__, way.name, e, Program.unasked_ends()))
                results = None
                break
            finally:
                Program.kill_all()
            written, said = got[0], got[1]
            rename = (got[2], "NAME") if len(got) > 2 else None
            files = tree(written, rename)
            if rename:
                said = [m.replace(got[2], "NAME") for m in said]
                subprocess.run(["rm", "-rf", written])
            said = [m.replace(out, "OUT") for m in said]
            results.append((files, said))
        if results is None:
            continue
        failed = len(failures)
        (files_a, said_a), (files_b, said_b) = results
        if not files_a:
            failures.append("%s wrote nothing" % scenario.__name__)
        if files_a != files_b:
            failures.append("%s: the files differ between the two ways:\n  %r\n  %r"
                            % (scenario.__name__, files_a, files_b))
        if said_a != said_b:
            failures.append("%s: the messages differ: %r / %r" % (scenario.__name__, said_a, said_b))
        if scenario in (simple_metafile, press_behind_message):
            expected = ("<ASX Version =\"3.0\">\r\n<Entry>\r\n<Ref href =\"./家族旅行.wmv\">\r\n"
                        "</Entry></ASX>\r\n").encode("cp932")
            if files_a.get("") != expected:
                failures.append("%s wrote %r" % (scenario.__name__, files_a.get("")))
        if len(failures) == failed:
            print("atspi: %-16s %d files, the same bytes and messages both ways"
                  % (scenario.__name__, len(files_a)), flush=True)
    for f in failures:
        print("atspi: FAILED: " + f)
    print("%d passed, %d failed" % (len(scenarios) - len(failures), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
