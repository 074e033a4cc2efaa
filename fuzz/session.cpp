#include "fuzz/session.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "output/file_system.h"

namespace fuzzing {

namespace {

namespace fs = std::filesystem;

const std::string existingBytes = "<ASX Version =\"3.0\">\r\nthe user's own file\r\n";

}  // namespace

Session::Session()
{
    std::string pattern = (fs::temp_directory_path() / "kelvora-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    folder_ = pattern;
    fs::create_directory(folder_ + "/dir");
    std::ofstream(folder_ + "/existing.htm", std::ios::binary) << existingBytes;
    player_ = std::make_unique<ActionPlayer>(folder_);
}

Session::~Session()
{
    player_.reset();
    std::error_code ec;
    fs::remove_all(folder_, ec);
}

bool Session::perform(const Action& a)
{
    ++actions_;
    player_->restartIfEnded(a);
    player_->platform().messages.clear();
    savePressed_ = false;
    const Snapshot before = snapshot(folder_);
    {
        output::FileSystemOverride faults(disk_);
        apply(a);
    }
    const Snapshot after = snapshot(folder_);
    // The program in front now, which a switch may have changed.
    const std::vector<std::string> messages = player_->platform().messageTexts();
    note(messages, before, after);
    std::optional<std::string> broken = checkScreens();
    if (!broken && savePressed_ && !program().hasEnded() && messages.empty()) {
        broken = "a press of a save button told the user nothing";
    }
    if (!broken) {
        broken = checkDisk(before, after, messages);
    }
    if (broken) {
        violation_ = "after action " + std::to_string(actions_) + " (" + describe(a) + "): " + *broken;
    }
    return !violation_;
}

void Session::apply(const Action& a)
{
    if (a.kind == Action::Kind::Fail) {
        disk_.failOperation(a.number, a.error);
        return;
    }
    if (a.kind == Action::Kind::Click) {
        if (form::Form* f = player_->visibleScreen(a.screen); f != nullptr && ActionPlayer::clickable(*f, a.control)) {
            const std::string caption = f->def().get(a.control).text;
            savePressed_ = caption == "保存" || caption == "一発作成";
        }
    }
    // The settings screen closed by its frame comes back with its start
    // values, but its load pushes only what it changes: the generator keeps
    // its extension and width until they are changed on the settings screen
    // again.
    if (a.kind == Action::Kind::Close && a.screen == "Form14" && player_->visibleScreen(a.screen) != nullptr &&
        program().isLoaded("Form13")) {
        staleMirrors_ = {"Text4", "Text12"};
    }
    player_->apply(a);
}

void Session::note(const std::vector<std::string>& messages, const Snapshot& before, const Snapshot& after)
{
    const std::string prefix = quick() ? "quick:" : "kelvora:";
    if (!program().hasEnded()) {
        for (const std::string& name : program().visibleScreens()) {
            reached_.insert(prefix + name);
        }
    }
    for (const std::string& m : messages) {
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

}  // namespace fuzzing
