// The one reader of the action scripts that drive both programs from a file:
// the fuzz target's readable inputs, the replay tool of the Linux-Windows
// cross-check (tests/cross/*.txt), and, for its lines and fields, the Windows
// window driver (tests/win/script_runner.h), whose words are its own. It is
// header-only so that every build that plays scripts, the mingw one too,
// takes it without a library of its own.
//
// Grammar (bytes; a name in capitals is a field):
//   script    = { line }            each line ends in LF or CR LF, the last
//                                   one may end without
//   line      = blank | comment | action
//   blank     = nothing at all
//   comment   = "#" { byte }        the fuzz target's inputs begin "#actions"
//   action    = fields, separated by one space here and by one tab in the
//               window driver's scripts
// The actions, with what each does to the program in front:
//   program NAME                    "quick" for kelvquick, anything else for
//                                   kelvora: the program the next actions go to
//   restart                         a fresh run of that program
//   click SCREEN CONTROL            a button, option or clickable frame
//   close SCREEN                    the window's close box
//   key SCREEN                      a key press
//   type SCREEN CONTROL [TEXT]      replaces the field's text (a paste)
//   append SCREEN CONTROL [TEXT]    types at the end of the field
//   backspace SCREEN CONTROL COUNT  removes COUNT characters at the end
//   answer KIND [TEXT]              how the next save dialog is answered:
//                                   cancel; save TEXT (that name in the
//                                   folder); missing TEXT (a name in a folder
//                                   that is not there); folder, existing,
//                                   notdir (a folder, a file of the user's, a
//                                   name below that file); long255, long256
//                                   (names of 255 and 256 bytes)
//   fail COUNT ERROR                the COUNTth file-system operation from
//                                   now fails with ERROR, an errno name
//                                   (ENOSPC, EACCES, ...) or number
// TEXT is the rest of the line after its separator, spaces included:
//   TEXT      = [ "*" digits " " ] { byte | escape }
//   escape    = "\n" | "\r" | "\t" | "\0" | "\\" | "\x" hex hex
// "*N rest" stands for rest repeated N times, at most maxTextBytes in all.
// COUNT is one to six digits.
// A line that breaks the grammar (an unknown action, a missing field, an
// escape not listed, a repeat over the limit) is an error with its reason; it
// is never an exception. A well-formed action on a screen not in view or a
// control the screen does not have does nothing.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace action_script {

// The most bytes one TEXT may stand for, its repetition included.
inline constexpr std::size_t maxTextBytes = 200000;

// One line that holds an action, with its number in the file (from 1).
struct ScriptLine {
    std::size_t number = 0;
    std::string text;  // without its line end
};

// The action lines of a script; blank lines and comments are left out.
inline std::vector<ScriptLine> scriptLines(const std::string& bytes)
{
    std::vector<ScriptLine> lines;
    std::size_t pos = 0;
    for (std::size_t number = 1; pos < bytes.size(); ++number) {
        std::size_t end = bytes.find('\n', pos);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        std::string line = bytes.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line[0] != '#') {
            lines.push_back({number, std::move(line)});
        }
    }
    return lines;
}

// Every field of a line between separators; a separator at the very end
// opens no empty last field.
inline std::vector<std::string> splitFields(const std::string& line, char separator)
{
    std::vector<std::string> fields;
    std::size_t pos = 0;
    while (pos < line.size()) {
        const std::size_t end = std::min(line.find(separator, pos), line.size());
        fields.push_back(line.substr(pos, end - pos));
        pos = end + 1;
    }
    return fields;
}

// The first `count` space-separated words of the line (fewer when the line
// has fewer), and in `rest` what follows the space after the last of them.
inline std::vector<std::string> splitWords(const std::string& line, std::size_t count, std::string& rest)
{
    std::vector<std::string> words;
    std::size_t pos = 0;
    while (words.size() < count && pos <= line.size()) {
        const auto space = line.find(' ', pos);
        words.push_back(line.substr(pos, space == std::string::npos ? std::string::npos : space - pos));
        pos = space == std::string::npos ? line.size() + 1 : space + 1;
    }
    rest = pos <= line.size() ? line.substr(pos) : "";
    return words;
}

inline bool isDigits(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A COUNT: one to six digits.
inline bool readCount(const std::string& text, int& count)
{
    if (!isDigits(text) || text.size() > 6) {
        return false;
    }
    count = std::stoi(text);
    return true;
}

// A TEXT field into its bytes; false with the reason when it breaks the grammar.
inline bool decodeText(const std::string& raw, std::string& out, std::string& error)
{
    std::string body = raw;
    std::size_t repeat = 1;
    if (raw.size() > 1 && raw[0] == '*') {
        const auto space = raw.find(' ');
        const std::string count = raw.substr(1, space == std::string::npos ? std::string::npos : space - 1);
        if (space != std::string::npos && isDigits(count)) {
            // A count too long to be read stands for too many bytes anyway.
            repeat = count.size() > 7 ? maxTextBytes + 1 : std::stoul(count);
            body = raw.substr(space + 1);
        }
    }
    const auto hex = [](char h) -> int {
        return h >= '0' && h <= '9'   ? h - '0'
               : h >= 'a' && h <= 'f' ? h - 'a' + 10
               : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                      : -1;
    };
    std::string unit;
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] != '\\') {
            unit += body[i];
            continue;
        }
        if (i + 1 == body.size()) {
            error = "a backslash ends the text";
            return false;
        }
        const char c = body[++i];
        if (c == 'n') {
            unit += '\n';
        } else if (c == 'r') {
            unit += '\r';
        } else if (c == 't') {
            unit += '\t';
        } else if (c == '0') {
            unit += '\0';
        } else if (c == '\\') {
            unit += '\\';
        } else if (c == 'x' && i + 2 < body.size() && hex(body[i + 1]) >= 0 && hex(body[i + 2]) >= 0) {
            unit += static_cast<char>(hex(body[i + 1]) * 16 + hex(body[i + 2]));
            i += 2;
        } else if (c == 'x') {
            error = "\\x is not followed by two hexadecimal digits";
            return false;
        } else {
            error = std::string("unknown escape \\") + c;
            return false;
        }
    }
    if (unit.size() * repeat > maxTextBytes) {
        error = "the text repeated is more than " + std::to_string(maxTextBytes) + " bytes";
        return false;
    }
    out.clear();
    out.reserve(unit.size() * repeat);
    for (std::size_t n = 0; n < repeat && !unit.empty(); ++n) {
        out += unit;
    }
    return true;
}

// The errno names a "fail" action may give, in the fuzz target's order.
inline const std::vector<std::pair<std::string, int>>& errorNames()
{
    static const std::vector<std::pair<std::string, int>> names = {
        {"ENOSPC", ENOSPC}, {"EACCES", EACCES}, {"EIO", EIO},       {"EROFS", EROFS},
#ifdef EDQUOT
        {"EDQUOT", EDQUOT},
#endif
        {"EEXIST", EEXIST}, {"ENOENT", ENOENT}, {"EMFILE", EMFILE},
    };
    return names;
}

inline const std::vector<std::string>& answerKinds()
{
    static const std::vector<std::string> kinds = {"cancel",   "save",    "missing", "folder",
                                                   "existing", "long255", "long256", "notdir"};
    return kinds;
}

struct Action {
    enum class Kind { Program, Restart, Click, Type, Append, Backspace, Close, Key, Answer, Fail, Nothing };
    Kind kind = Kind::Nothing;
    std::string screen;
    std::string control;
    std::string text;  // typed text; the answer's kind; the program's name
    std::string name;  // the answer's file name
    int number = 0;    // characters removed; operations before the failure
    int error = 0;     // the failure's errno
};

// A line read as an action, or the reason it is none.
struct ParsedLine {
    Action action;
    std::string error;  // empty when the line is an action
};

inline ParsedLine parseAction(const std::string& line)
{
    ParsedLine parsed;
    Action& a = parsed.action;
    const auto fail = [&](std::string why) {
        parsed.action = Action{};
        parsed.error = std::move(why);
        return parsed;
    };
    std::string rest;
    const std::string verb = splitWords(line, 1, rest)[0];
    std::string tail;
    if (verb == "program") {
        if (rest.empty()) {
            return fail("program names no program");
        }
        a.kind = Action::Kind::Program;
        a.text = rest;
    } else if (verb == "restart") {
        a.kind = Action::Kind::Restart;
    } else if (verb == "close" || verb == "key") {
        a.kind = verb == "close" ? Action::Kind::Close : Action::Kind::Key;
        a.screen = splitWords(rest, 1, tail)[0];
        if (a.screen.empty() || !tail.empty()) {
            return fail(verb + " takes one screen");
        }
    } else if (verb == "click" || verb == "type" || verb == "append" || verb == "backspace") {
        const auto w = splitWords(rest, 2, tail);
        if (w.size() < 2 || w[0].empty() || w[1].empty()) {
            return fail(verb + " needs a screen and a control");
        }
        a.screen = w[0];
        a.control = w[1];
        if (verb == "click") {
            a.kind = Action::Kind::Click;
            if (!tail.empty()) {
                return fail("click takes nothing after the control");
            }
        } else if (verb == "backspace") {
            a.kind = Action::Kind::Backspace;
            if (!readCount(tail, a.number)) {
                return fail("backspace needs a count of one to six digits");
            }
        } else {
            a.kind = verb == "type" ? Action::Kind::Type : Action::Kind::Append;
            std::string why;
            if (!decodeText(tail, a.text, why)) {
                return fail(verb + ": " + why);
            }
        }
    } else if (verb == "answer") {
        const auto w = splitWords(rest, 1, tail);
        a.kind = Action::Kind::Answer;
        a.text = w[0];
        if (std::find(answerKinds().begin(), answerKinds().end(), a.text) == answerKinds().end()) {
            return fail("unknown answer \"" + a.text + "\"");
        }
        std::string why;
        if (!decodeText(tail, a.name, why)) {
            return fail("answer: " + why);
        }
    } else if (verb == "fail") {
        const auto w = splitWords(rest, 1, tail);
        a.kind = Action::Kind::Fail;
        if (!readCount(w[0], a.number)) {
            return fail("fail needs a count of one to six digits");
        }
        for (const auto& [name, error] : errorNames()) {
            if (tail == name) {
                a.error = error;
            }
        }
        if (a.error == 0 && !readCount(tail, a.error)) {
            return fail("fail needs an errno name or number, not \"" + tail + "\"");
        }
    } else {
        return fail("unknown action \"" + verb + "\"");
    }
    return parsed;
}

// The action in a few words, for the report of a broken rule.
inline std::string describe(const Action& a)
{
    switch (a.kind) {
    case Action::Kind::Program:
        return "program " + a.text;
    case Action::Kind::Restart:
        return "restart";
    case Action::Kind::Click:
        return "click " + a.screen + " " + a.control;
    case Action::Kind::Type:
        return "type " + a.screen + " " + a.control + " (" + std::to_string(a.text.size()) + " bytes)";
    case Action::Kind::Append:
        return "append " + a.screen + " " + a.control + " (" + std::to_string(a.text.size()) + " bytes)";
    case Action::Kind::Backspace:
        return "backspace " + a.screen + " " + a.control + " " + std::to_string(a.number);
    case Action::Kind::Close:
        return "close " + a.screen;
    case Action::Kind::Key:
        return "key " + a.screen;
    case Action::Kind::Answer:
        return "answer " + a.text + " " + a.name;
    case Action::Kind::Fail:
        return "fail " + std::to_string(a.number) + " errno " + std::to_string(a.error);
    case Action::Kind::Nothing:
        return "nothing";
    }
    return "?";
}

}  // namespace action_script
