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
                checks.push_back(screen + " " + c.name + quoted(text) + " is not worked out from " + c.computedFrom +
                                 quoted(f.text(c.computedFrom)));
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
                checks.push_back(screen + " " + c.name + quoted(text) + " differs from " + c.mirrorOf.screen + "'s" +
                                 quoted(held));
            }
        }
    }
    // The next load takes every setting afresh; kelvquick, in view meanwhile,
    // holds no mirrors and says nothing of kelvora's.
    if (!mirrorsLoaded && !quick()) {
        staleMirrors_.clear();
    }
    if (!checks.empty()) {
        return checks.front();
    }
    return std::nullopt;
}

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
