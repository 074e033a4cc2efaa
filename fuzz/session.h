// One fuzz run: both programs played by an ActionPlayer in a temporary
// folder of their own, on a file system that fails where the input says, with
// the rules of user_actions.h checked after every action (invariants.cpp).
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fuzz/action_player.h"
#include "support/faulty_file_system.h"

namespace fuzzing {

// Every file and folder below the root: relative path -> bytes, or nothing
// for a folder.
using Snapshot = std::map<std::string, std::optional<std::string>>;

Snapshot snapshot(const std::string& root);

class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    form::Program& program() { return player_->program(); }
    bool quick() const { return player_->quick(); }

    // Runs one action and checks every rule; false once a rule is broken.
    bool perform(const Action& a);

    std::size_t actions() const { return actions_; }
    const std::optional<std::string>& violation() const { return violation_; }
    const std::set<std::string>& reached() const { return reached_; }

private:
    // The action, with what the rules need to know about it.
    void apply(const Action& a);
    // What the action got to: screens in view, dialogs, saves, generators.
    void note(const std::vector<std::string>& messages, const Snapshot& before, const Snapshot& after);

    // The rules (invariants.cpp).
    std::optional<std::string> checkScreens();
    std::optional<std::string> checkDisk(const Snapshot& before, const Snapshot& after,
                                         const std::vector<std::string>& messages);

    std::string folder_;
    std::unique_ptr<ActionPlayer> player_;
    testing_support::FaultyFileSystem disk_;
    bool savePressed_ = false;
    std::set<std::string> staleMirrors_;  // generator mirrors left behind by a reloaded settings screen
    std::size_t actions_ = 0;
    std::optional<std::string> violation_;
    std::set<std::string> reached_;
};

}  // namespace fuzzing
