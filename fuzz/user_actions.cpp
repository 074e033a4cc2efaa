// The action interpreter behind the fuzz target and the corpus replay test.
//
// A readable script starts with the line "#actions"; every further line is
// one action, lines starting with "#" are comments:
//   program kelvora | program quick     the program the next actions go to
//   restart                             a fresh run of that program
//   click Form1 Command2                a button, option or clickable frame
//   type Form13 Text1 bb                replaces the field's text (a paste)
//   append Form5 Text2 あ               types at the end of the field
//   backspace Form5 Text2 3             removes characters at the end
//   close Form13 | key frmSplash        the window's close box, a key press
//   answer cancel | save NAME | missing NAME | folder | existing
//        | long255 | long256 | notdir   how the next save dialog is answered
//   fail 2 ENOSPC                       the 2nd file-system call from now fails
// In texts, \n \r \t \0 \\ and \xHH stand for their bytes, and a text
// "*N rest" stands for rest repeated N times. An unknown or impossible
// action (a screen not in view, a control it does not have) does nothing.
//
// Without the header the bytes are read as actions directly: one byte picks
// the kind of action, the next ones the window in view, the control, the text.
#include "fuzz/user_actions.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "app/catalog.h"
#include "form/form.h"
#include "form/platform.h"
#include "output/file_system.h"
#include "quick/quick_generator.h"
#include "screens/html/height_from_width.h"

namespace fuzzing {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t maxActions = 400;
constexpr std::size_t maxRepeat = 100000;
const std::string existingBytes = "<ASX Version =\"3.0\">\r\nthe user's own file\r\n";

// ------------------------------------------------------------ actions

struct Action {
    enum class Kind { Program, Restart, Click, Type, Append, Backspace, Close, Key, Answer, Fail, Nothing };
    Kind kind = Kind::Nothing;
    std::string screen;
    std::string control;
    std::string text;  // typed text; the answer's kind; the program's name
    std::string name;  // the answer's file name
    int number = 0;    // characters removed; calls before the failure; errno
    int error = 0;
};

std::string describe(const Action& a)
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

const std::vector<std::pair<std::string, int>>& errorNames()
{
    static const std::vector<std::pair<std::string, int>> names = {
        {"ENOSPC", ENOSPC}, {"EACCES", EACCES}, {"EIO", EIO},       {"EROFS", EROFS},
        {"EDQUOT", EDQUOT}, {"EEXIST", EEXIST}, {"ENOENT", ENOENT}, {"EMFILE", EMFILE},
    };
    return names;
}

const std::vector<std::string>& answerKinds()
{
    static const std::vector<std::string> kinds = {"cancel",   "save",    "missing", "folder",
                                                   "existing", "long255", "long256", "notdir"};
    return kinds;
}

// ------------------------------------------------------------ the machine

// Answers dialogs as the script said, records every message.
class FuzzPlatform : public form::Platform {
public:
    explicit FuzzPlatform(std::string folder) : folder_(std::move(folder)) {}

    std::optional<std::string> chooseSaveFile(const form::Form&, const form::SaveDialogSettings& settings) override
    {
        if (answers_.empty()) {
            return std::nullopt;
        }
        const Action a = answers_.front();
        answers_.pop_front();
        const auto named = [&](const std::string& path) {
            return form::withDefaultExtension(path, settings.defaultExt);
        };
        if (a.text == "save") {
            std::string name = a.name.empty() ? "x" : a.name.substr(0, 300);
            std::replace(name.begin(), name.end(), '/', '_');
            std::replace(name.begin(), name.end(), '\0', '_');
            return named(folder_ + "/" + name);
        }
        if (a.text == "missing") {
            return named(folder_ + "/gone/" + (a.name.empty() ? "x" : "x" + std::to_string(a.name.size())));
        }
        if (a.text == "folder") {
            return folder_ + "/dir";
        }
        if (a.text == "existing") {
            return folder_ + "/existing.htm";
        }
        if (a.text == "long255") {
            return folder_ + "/" + std::string(251, 'n') + ".htm";
        }
        if (a.text == "long256") {
            return folder_ + "/" + std::string(252, 'n') + ".htm";
        }
        if (a.text == "notdir") {
            return folder_ + "/existing.htm/x.htm";
        }
        return std::nullopt;  // cancel
    }
    void message(const form::Form*, const std::string&, const std::string& text) override { messages.push_back(text); }
    void help(const form::Form&, const std::string&, int, const std::string&) override {}
    std::string programFolder() override { return folder_; }
    void endProgram() override {}

    void queue(const Action& answer) { answers_.push_back(answer); }

    std::vector<std::string> messages;

private:
    std::string folder_;
    std::deque<Action> answers_;
};

// The real disk, with one chosen call failing.
class FaultyDisk : public output::FileSystem {
public:
    void failAfter(int calls, int error)
    {
        countdown_ = calls;
        error_ = error;
    }
    output::FsResult createFolder(const std::string& path) override
    {
        return fails() ? output::FsResult::fromErrno(error_) : FileSystem::createFolder(path);
    }
    output::FsResult replaceFile(const std::string& path, const std::string& bytes) override
    {
        return fails() ? output::FsResult::fromErrno(error_) : FileSystem::replaceFile(path, bytes);
    }
    output::FsResult removeFile(const std::string& path) override
    {
        return fails() ? output::FsResult::fromErrno(error_) : FileSystem::removeFile(path);
    }
    output::FsResult removeFolder(const std::string& path) override
    {
        return fails() ? output::FsResult::fromErrno(error_) : FileSystem::removeFolder(path);
    }

private:
    bool fails() { return countdown_ > 0 && --countdown_ == 0; }
    int countdown_ = 0;
    int error_ = 0;
};

// Every file and folder below the root: relative path -> bytes, or nothing
// for a folder.
using Snapshot = std::map<std::string, std::optional<std::string>>;

Snapshot snapshot(const std::string& root)
{
    Snapshot s;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        const std::string path = it->path().string();
        if (it->is_directory(ec)) {
            s[path] = std::nullopt;
        } else {
            std::ifstream in(path, std::ios::binary);
            s[path] = std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    return s;
}

bool contains(const std::vector<std::string>& texts, const std::string& text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

bool mentions(const std::vector<std::string>& texts, const std::string& part)
{
    return std::any_of(texts.begin(), texts.end(),
                       [&](const std::string& t) { return t.find(part) != std::string::npos; });
}

// One program on the fuzz platform, started afresh whenever it has ended.
struct Run {
    bool quick = false;
    std::unique_ptr<FuzzPlatform> platform;
    std::unique_ptr<form::Program> program;

    void start(const std::string& folder)
    {
        program.reset();
        platform = std::make_unique<FuzzPlatform>(folder);
        if (quick) {
            program = std::make_unique<form::Program>(quick::quickProgram(), *platform);
            program->start("Form1");
        } else {
            program = std::make_unique<form::Program>(app::kelvoraProgram(), *platform);
            program->start("frmSplash");
        }
    }
};

class Session {
public:
    Session()
    {
        std::string pattern = (fs::temp_directory_path() / "kelvora-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        folder_ = pattern;
        fs::create_directory(folder_ + "/dir");
        std::ofstream(folder_ + "/existing.htm", std::ios::binary) << existingBytes;
        runs_[0].quick = false;
        runs_[1].quick = true;
        runs_[0].start(folder_);
        runs_[1].start(folder_);
    }
    ~Session()
    {
        runs_[0].program.reset();
        runs_[1].program.reset();
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    form::Program& program() { return *current().program; }
    bool quick() const { return target_ == 1; }

    // Runs one action and checks every rule; false once a rule is broken.
    bool perform(const Action& a)
    {
        ++actions_;
        if (current().program->hasEnded() && a.kind != Action::Kind::Program) {
            current().start(folder_);
        }
        current().platform->messages.clear();
        savePressed_ = false;
        const Snapshot before = snapshot(folder_);
        {
            output::FileSystemOverride faults(disk_);
            apply(a);
        }
        const Snapshot after = snapshot(folder_);
        Run& run = current();  // a program switch has changed it
        note(run, before, after);
        std::optional<std::string> broken = checkScreens();
        if (!broken && savePressed_ && !run.program->hasEnded() && run.platform->messages.empty()) {
            broken = "a press of a save button told the user nothing";
        }
        if (!broken) {
            broken = checkDisk(before, after, run.platform->messages);
        }
        if (broken) {
            violation_ = "after action " + std::to_string(actions_) + " (" + describe(a) + "): " + *broken;
        }
        return !violation_;
    }

    std::size_t actions() const { return actions_; }
    const std::optional<std::string>& violation() const { return violation_; }
    const std::set<std::string>& reached() const { return reached_; }

private:
    Run& current() { return runs_[target_]; }

    // What the action got to: screens in view, dialogs, saves, generators.
    void note(Run& run, const Snapshot& before, const Snapshot& after)
    {
        const std::string prefix = run.quick ? "quick:" : "kelvora:";
        if (!run.program->hasEnded()) {
            for (const std::string& name : run.program->visibleScreens()) {
                reached_.insert(prefix + name);
            }
        }
        for (const std::string& m : run.platform->messages) {
            if (m == "キャンセルされました") {
                reached_.insert(prefix + "cancelled");
            } else if (m.rfind("保存しました。\n", 0) == 0) {
                reached_.insert(prefix + "generated");
            } else if (m.find("を保存しました。") != std::string::npos) {
                reached_.insert(prefix + "saved");
            } else if (m.find("できませんでした") != std::string::npos) {
                reached_.insert(prefix + "failed");
            }
        }
        if (before != after) {
            reached_.insert(prefix + "disk");
        }
    }

    form::Form* visibleScreen(const std::string& name)
    {
        form::Form* f = program().find(name);
        return f != nullptr && f->isVisible() ? f : nullptr;
    }

    static bool isTextField(const form::Form& f, const std::string& control)
    {
        const form::ControlDef* c = f.def().find(control);
        return c != nullptr && c->kind == form::Kind::TextBox;
    }

    void apply(const Action& a)
    {
        form::Program& p = program();
        switch (a.kind) {
        case Action::Kind::Program:
            target_ = a.text == "quick" ? 1 : 0;
            if (current().program->hasEnded()) {
                current().start(folder_);
            }
            break;
        case Action::Kind::Restart:
            current().start(folder_);
            break;
        case Action::Kind::Click:
            if (form::Form* f = visibleScreen(a.screen); f != nullptr && clickable(*f, a.control)) {
                const std::string caption = f->def().get(a.control).text;
                savePressed_ = caption == "保存" || caption == "一発作成";
                p.click(a.screen, a.control);
            }
            break;
        case Action::Kind::Type:
        case Action::Kind::Append:
        case Action::Kind::Backspace:
            if (form::Form* f = visibleScreen(a.screen); f != nullptr && isTextField(*f, a.control)) {
                p.edit(a.screen, a.control, edited(f->text(a.control), a));
            }
            break;
        case Action::Kind::Close:
            if (visibleScreen(a.screen) != nullptr) {
                // The settings screen closed by its frame comes back with its
                // start values, but its load pushes only what it changes: the
                // generator keeps its extension and width until they are
                // changed on the settings screen again.
                if (a.screen == "Form14" && p.isLoaded("Form13")) {
                    staleMirrors_ = {"Text4", "Text12"};
                }
                p.closeWindow(a.screen);
            }
            break;
        case Action::Kind::Key:
            if (visibleScreen(a.screen) != nullptr) {
                p.keyPress(a.screen);
            }
            break;
        case Action::Kind::Answer:
            current().platform->queue(a);
            break;
        case Action::Kind::Fail:
            disk_.failAfter(a.number, a.error);
            break;
        case Action::Kind::Nothing:
            break;
        }
    }

    static std::string edited(std::string text, const Action& a)
    {
        if (a.kind == Action::Kind::Type) {
            return a.text;
        }
        if (a.kind == Action::Kind::Append) {
            return text + a.text;
        }
        for (int n = 0; n < a.number && !text.empty(); ++n) {
            // One character: its continuation bytes, then its first byte.
            while (text.size() > 1 && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) {
                text.pop_back();
            }
            text.pop_back();
        }
        return text;
    }

public:
    static bool clickable(const form::Form& f, const std::string& control)
    {
        const form::ControlDef* c = f.def().find(control);
        if (c == nullptr) {
            return false;
        }
        const bool pressable =
            c->kind == form::Kind::Button || c->kind == form::Kind::Option || f.def().clickHandler(control) != nullptr;
        return pressable && f.state(control).visible && f.state(control).enabled;
    }

private:
    // ------------------------------------------------------------ rules

    std::optional<std::string> checkScreens()
    {
        form::Program& p = program();
        if (p.hasEnded()) {
            return std::nullopt;
        }
        const std::vector<std::string> visible = p.visibleScreens();
        if (visible.empty()) {
            return "the program runs on without any window in view";
        }
        std::set<std::string> others(visible.begin(), visible.end());
        others.erase("Form14");  // the settings may stay open beside any screen
        // The settings' "戻る" shows the generator beside whatever is in
        // view when they were left open beside the top menu.
        const bool allowed = others.size() <= 1 || others == std::set<std::string>{"Form7", "Form9"} ||
                             others == std::set<std::string>{"Form1", "Form13"};
        if (!allowed || (quick() && visible.size() != 1)) {
            std::string names;
            for (const std::string& v : visible) {
                names += " " + v;
            }
            return "windows in view:" + names;
        }
        // Every field rule the screens declare holds once an action is over:
        // previews show their fields, worked-out values follow theirs, and
        // mirrors hold the fields of the screens they mirror.
        const auto quoted = [](const std::string& text) { return " \"" + text.substr(0, 40) + "\""; };
        std::vector<std::string> checks;
        bool mirrorsLoaded = false;
        for (const std::string& screen : p.loadedScreens()) {
            const form::Form& f = *p.find(screen);
            for (const form::ControlDef& c : f.def().controls()) {
                const std::string& text = f.text(c.name);
                if (!c.previewOf.empty() && text != f.text(c.previewOf)) {
                    checks.push_back(screen + " " + c.name + " does not show " + c.previewOf);
                }
                if (c.computation != nullptr && text != c.computation(f.text(c.computedFrom))) {
                    checks.push_back(screen + " " + c.name + quoted(text) + " is not worked out from " +
                                     c.computedFrom + quoted(f.text(c.computedFrom)));
                }
                if (c.mirrorOf.screen.empty()) {
                    continue;
                }
                mirrorsLoaded = true;
                const form::Form* source = p.find(c.mirrorOf.screen);
                if (source == nullptr) {
                    continue;
                }
                const std::string& held = source->text(c.mirrorOf.field);
                if (staleMirrors_.count(c.name) != 0) {
                    if (text == held) {
                        staleMirrors_.erase(c.name);  // in step again from here on
                    }
                    continue;
                }
                if (text != held) {
                    checks.push_back(screen + " " + c.name + quoted(text) + " differs from " + c.mirrorOf.screen +
                                     "'s" + quoted(held));
                }
            }
        }
        if (!mirrorsLoaded) {
            staleMirrors_.clear();  // the next load takes every setting afresh
        }
        if (!checks.empty()) {
            return checks.front();
        }
        return std::nullopt;
    }

    // The disk changes only where the user was told that a save worked: a
    // file named in "…を保存しました。", a new folder of the program folder
    // after "保存しました。", or what a message says could not be removed.
    std::optional<std::string> checkDisk(const Snapshot& before, const Snapshot& after,
                                         const std::vector<std::string>& messages)
    {
        const bool generated = std::any_of(messages.begin(), messages.end(),
                                           [](const std::string& m) { return m.rfind("保存しました。\n", 0) == 0; });
        std::set<std::string> newFolders;
        for (const auto& [path, content] : after) {
            if (!content && before.count(path) == 0) {
                newFolders.insert(path);
            }
        }
        for (const auto& [path, content] : before) {
            if (after.count(path) == 0) {
                return "\"" + path + "\", there before, is gone";
            }
        }
        for (const auto& [path, content] : after) {
            const auto old = before.find(path);
            if (old != before.end() && old->second == content) {
                continue;
            }
            const bool told = contains(messages, path + "を保存しました。") ||
                              mentions(messages, "「" + path + "」を削除できませんでした");
            const bool inNewFolder = generated && newFolders.count(fs::path(path).parent_path().string()) != 0;
            const bool newFolder = generated && !content && fs::path(path).parent_path().string() == folder_;
            if (told || inNewFolder || newFolder) {
                continue;
            }
            if (old == before.end()) {
                return "\"" + path + "\" appeared, but no save of it was reported";
            }
            return "\"" + path + "\" changed, but no save of it was reported";
        }
        for (const std::string& m : messages) {
            const std::string saved = "を保存しました。";
            if (m.size() > saved.size() && m.compare(m.size() - saved.size(), saved.size(), saved) == 0) {
                const std::string path = m.substr(0, m.size() - saved.size());
                const auto it = after.find(path);
                if (path.rfind(folder_ + "/", 0) == 0 && (it == after.end() || !it->second)) {
                    return "reported \"" + path + "\" as saved, but there is no such file";
                }
            }
        }
        return std::nullopt;
    }

    std::string folder_;
    Run runs_[2];
    int target_ = 0;
    FaultyDisk disk_;
    bool savePressed_ = false;
    std::set<std::string> staleMirrors_;  // generator mirrors left behind by a reloaded settings screen
    std::size_t actions_ = 0;
    std::optional<std::string> violation_;
    std::set<std::string> reached_;
};

// ------------------------------------------------------------ readable scripts

std::string unescape(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        switch (c) {
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case '0':
            out += '\0';
            break;
        case 'x': {
            const auto hex = [](char h) { return std::isxdigit(static_cast<unsigned char>(h)) != 0; };
            if (i + 2 < text.size() && hex(text[i + 1]) && hex(text[i + 2])) {
                out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                out += 'x';
            }
            break;
        }
        default:
            out += c;
            break;
        }
    }
    return out;
}

// "*N rest" is rest repeated N times.
std::string scriptText(const std::string& raw)
{
    if (raw.size() > 1 && raw[0] == '*') {
        const auto space = raw.find(' ');
        const std::string count = raw.substr(1, space == std::string::npos ? std::string::npos : space - 1);
        if (space != std::string::npos && !count.empty() && count.size() < 7 &&
            std::all_of(count.begin(), count.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            const std::string unit = unescape(raw.substr(space + 1));
            std::string out;
            for (std::size_t n = std::min<std::size_t>(std::stoul(count), maxRepeat); n > 0 && out.size() < 200000;
                 --n) {
                out += unit;
            }
            return out;
        }
    }
    return unescape(raw);
}

// The first `count` words of the line, and the rest after them.
std::vector<std::string> splitWords(const std::string& line, std::size_t count, std::string& rest)
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

int smallNumber(const std::string& text)
{
    if (text.empty() || text.size() > 6 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return 0;
    }
    return std::stoi(text);
}

Action parseLine(const std::string& line)
{
    Action a;
    std::string rest;
    const std::vector<std::string> head = splitWords(line, 1, rest);
    const std::string& verb = head[0];
    std::string tail;
    if (verb == "program") {
        a.kind = Action::Kind::Program;
        a.text = rest;
    } else if (verb == "restart") {
        a.kind = Action::Kind::Restart;
    } else if (verb == "click" || verb == "close" || verb == "key") {
        const auto w = splitWords(rest, 2, tail);
        a.kind = verb == "click" ? Action::Kind::Click : verb == "close" ? Action::Kind::Close : Action::Kind::Key;
        a.screen = w[0];
        a.control = w.size() > 1 ? w[1] : "";
    } else if (verb == "type" || verb == "append" || verb == "backspace") {
        const auto w = splitWords(rest, 2, tail);
        a.kind = verb == "type"     ? Action::Kind::Type
                 : verb == "append" ? Action::Kind::Append
                                    : Action::Kind::Backspace;
        a.screen = w[0];
        a.control = w.size() > 1 ? w[1] : "";
        a.text = scriptText(tail);
        a.number = smallNumber(tail);
    } else if (verb == "answer") {
        const auto w = splitWords(rest, 1, tail);
        a.kind = Action::Kind::Answer;
        a.text = w[0];
        a.name = scriptText(tail);
    } else if (verb == "fail") {
        const auto w = splitWords(rest, 1, tail);
        a.kind = Action::Kind::Fail;
        a.number = smallNumber(w[0]);
        for (const auto& [name, error] : errorNames()) {
            if (tail == name) {
                a.error = error;
            }
        }
        if (a.error == 0) {
            a.error = smallNumber(tail);
        }
    }
    return a;
}

// ------------------------------------------------------------ raw bytes

class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return pos_ >= size_; }
    std::uint8_t next() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::string take(std::size_t n)
    {
        n = std::min(n, size_ - pos_);
        std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n;
        return s;
    }
    // A word of the dictionary, or up to 127 bytes of the input as they are.
    std::string text()
    {
        const std::uint8_t b = next();
        if (b < 0x80) {
            return dictionary()[b % dictionary().size()];
        }
        return take(b & 0x7F);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// Picks among what is in view now, so that most bytes lead somewhere.
Action decode(Bytes& in, Session& session)
{
    Action a;
    const std::uint8_t op = in.next();
    form::Program& p = session.program();
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
            if (textField ? c.kind == form::Kind::TextBox : Session::clickable(*f, c.name)) {
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
        a.text = answerKinds()[in.next() % answerKinds().size()];
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
        a.error = errorNames()[in.next() % errorNames().size()].second;
        break;
    case 10:
        a.kind = Action::Kind::Program;
        a.text = session.quick() ? "kelvora" : "quick";
        break;
    default:
        a.kind = op & 0x80 ? Action::Kind::Restart : Action::Kind::Nothing;
        break;
    }
    return a;
}

}  // namespace

RunResult runUserActions(const std::uint8_t* data, std::size_t size)
{
    Session session;
    const std::string header = "#actions";
    const std::string input(reinterpret_cast<const char*>(data), size);
    if (input.rfind(header, 0) == 0) {
        std::size_t pos = 0;
        while (pos < input.size() && session.actions() < maxActions) {
            auto end = input.find('\n', pos);
            if (end == std::string::npos) {
                end = input.size();
            }
            std::string line = input.substr(pos, end - pos);
            pos = end + 1;
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (line.empty() || line[0] == '#') {
                continue;
            }
            if (!session.perform(parseLine(line))) {
                break;
            }
        }
    } else {
        Bytes in(data, size);
        while (!in.empty() && session.actions() < maxActions) {
            if (!session.perform(decode(in, session))) {
                break;
            }
        }
    }
    return {session.actions(), session.violation(), session.reached()};
}

}  // namespace fuzzing
