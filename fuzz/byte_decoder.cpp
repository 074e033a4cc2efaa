#include "fuzz/byte_decoder.h"

#include <vector>

#include "form/form.h"

namespace fuzzing {

namespace {

// Texts the raw decoder picks by number: numbers of every shape, characters
// code page 932 has and has not, control characters, broken UTF-8, names
// that mean something to a file system, and long texts.
const std::vector<std::string>& dictionary()
{
    static const std::vector<std::string> words = [] {
        std::vector<std::string> w = {
            "",
            " ",
            "320",
            "640",
            "160",
            "101",
            "320.6",
            "-0",
            "0",
            "-320",
            "+320.6",
            ".5",
            "5.",
            "1e3",
            "99999999999999999999999",
            std::string(400, '9'),
            "-32769",
            "32767",
            "32768",
            "-",
            "+",
            ".",
            " 320 ",
            "３２０",
            "1,000",
            "NaN",
            "inf",
            "0x10",
            "abc",
            "bb",
            "kyou01",
            "kyou01.wmv",
            ".avi",
            "avi",
            "movie.asx",
            "家族",
            "ｱｲｳ",
            "ﾊﾞｰｼﾞｮﾝ",
            "😀",
            "𠮷",
            "é",
            "〜",
            "①",
            "\r\n",
            "\t",
            std::string("a\0b", 3),
            "\xC3",
            "\xFF\xFE",
            "\xE3\x81",
            "../x",
            "a/b",
            "a\\b",
            "..",
            "CON",
            "existing.htm",
            "dir",
            "bb bb",
            std::string(255, 'n'),
            std::string(256, 'n'),
        };
        std::string long1;
        for (int i = 0; i < 5000; ++i) {
            long1 += "あ";
        }
        w.push_back(long1);
        w.push_back(std::string(20000, 'A'));
        return w;
    }();
    return words;
}

}  // namespace

std::string Bytes::text()
{
    const std::uint8_t b = next();
    if (b < 0x80) {
        return dictionary()[b % dictionary().size()];
    }
    return take(b & 0x7F);
}

// Picks among what is in view now, so that most bytes lead somewhere.
Action decode(Bytes& in, form::Program& p, bool quick)
{
    Action a;
    const std::uint8_t op = in.next();
    const std::vector<std::string> visible = p.visibleScreens();
    const auto pickScreen = [&]() -> form::Form* {
        const std::uint8_t b = in.next();
        return visible.empty() ? nullptr : p.find(visible[b % visible.size()]);
    };
    const auto pickControl = [&](form::Form* f, bool textField) -> std::string {
        const std::uint8_t b = in.next();
        if (f == nullptr) {
            return "";
        }
        std::vector<std::string> names;
        for (const form::ControlDef& c : f->def().controls()) {
            if (textField ? c.kind == form::Kind::TextBox : ActionPlayer::clickable(*f, c.name)) {
                names.push_back(c.name);
            }
        }
        return names.empty() ? "" : names[b % names.size()];
    };
    switch (op % 12) {
    case 0:
    case 1:
    case 2: {
        form::Form* f = pickScreen();
        a.kind = Action::Kind::Click;
        a.control = pickControl(f, false);
        a.screen = f != nullptr ? f->name() : "";
        break;
    }
    case 3:
    case 4:
    case 5: {
        form::Form* f = pickScreen();
        a.kind = op % 12 == 3 ? Action::Kind::Type : op % 12 == 4 ? Action::Kind::Append : Action::Kind::Backspace;
        a.control = pickControl(f, true);
        a.screen = f != nullptr ? f->name() : "";
        a.text = a.kind == Action::Kind::Backspace ? "" : in.text();
        a.number = in.next() % 8;
        break;
    }
    case 6:
    case 7: {
        a.kind = Action::Kind::Answer;
        a.text = action_script::answerKinds()[in.next() % action_script::answerKinds().size()];
        a.name = in.text();
        break;
    }
    case 8: {
        form::Form* f = pickScreen();
        a.kind = op & 0x80 ? Action::Kind::Close : Action::Kind::Key;
        a.screen = f != nullptr ? f->name() : "";
        break;
    }
    case 9:
        a.kind = Action::Kind::Fail;
        a.number = 1 + in.next() % 6;
        a.error = action_script::errorNames()[in.next() % action_script::errorNames().size()].second;
        break;
    case 10:
        a.kind = Action::Kind::Program;
        a.text = quick ? "kelvora" : "quick";
        break;
    default:
        a.kind = op & 0x80 ? Action::Kind::Restart : Action::Kind::Nothing;
        break;
    }
    return a;
}

}  // namespace fuzzing
