// The rules every action must keep (see user_actions.h), and the look at the
// disk they compare.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "fuzz/session.h"
#include "screens/html/height_from_width.h"

namespace fuzzing {

namespace {

namespace fs = std::filesystem;

bool contains(const std::vector<std::string>& texts, const std::string& text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

bool mentions(const std::vector<std::string>& texts, const std::string& part)
{
    return std::any_of(texts.begin(), texts.end(),
                       [&](const std::string& t) { return t.find(part) != std::string::npos; });
}

}  // namespace

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

// clang-format off
std::optional<std::string> Session::checkScreens()
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
    if (quick()) {
        return std::nullopt;
    }
    const auto field = [&](const char* screen, const char* control) -> const std::string& {
        return p.find(screen)->text(control);
    };
    const auto same = [&](const char* screen, const char* a, const char* b) -> std::optional<std::string> {
        if (p.find(screen) != nullptr && field(screen, a) != field(screen, b)) {
            return std::string(screen) + " " + b + " does not show " + a;
        }
        return std::nullopt;
    };
    const auto height = [&](const char* screen, const char* width, const char* h) -> std::optional<std::string> {
        if (p.find(screen) != nullptr && field(screen, h) != screens::HeightFromWidth(field(screen, width))) {
            return std::string(screen) + " " + h + " \"" + field(screen, h).substr(0, 40) +
                   "\" is not the height of " + width + " \"" + field(screen, width).substr(0, 40) + "\"";
        }
        return std::nullopt;
    };
    std::vector<std::optional<std::string>> checks = {
        same("Form5", "Text2", "Text3"),      same("Form8", "Text2", "Text3"),
        height("Form6", "Text4", "Text6"),    height("Form9", "Text4", "Text6"),
        height("Form12", "Text16", "Text17"), height("Form13", "Text12", "Text14"),
    };
    for (int row = 1; row <= 5; ++row) {
        const std::string comment = "Text" + std::to_string(row);
        const std::string preview = "Text" + std::to_string(row + 5);
        checks.push_back(same("Form11", comment.c_str(), preview.c_str()));
        checks.push_back(same("Form12", comment.c_str(), preview.c_str()));
    }
    if (p.find("Form13") == nullptr) {
        staleMirrors_.clear();  // the next load takes every setting afresh
    }
    if (p.find("Form13") != nullptr && p.find("Form14") != nullptr) {
        for (const char* mirror : {"Text4", "Text12", "Text17"}) {
            if (staleMirrors_.count(mirror) != 0) {
                if (field("Form13", mirror) == field("Form14", mirror)) {
                    staleMirrors_.erase(mirror);  // in step again from here on
                }
                continue;
            }
            if (field("Form13", mirror) != field("Form14", mirror)) {
                checks.push_back(std::string("Form13 ") + mirror + " \"" + field("Form13", mirror).substr(0, 40) +
                                 "\" differs from the settings' \"" + field("Form14", mirror).substr(0, 40) + "\"");
            }
        }
    }
    for (const std::optional<std::string>& c : checks) {
        if (c) {
            return c;
        }
    }
    return std::nullopt;
}
// clang-format on

// The disk changes only where the user was told that a save worked: a
// file named in "…を保存しました。", a new folder of the program folder
// after "保存しました。", or what a message says could not be removed.
std::optional<std::string> Session::checkDisk(const Snapshot& before, const Snapshot& after,
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

}  // namespace fuzzing
