// Plays the actions of an action script (fuzz/action_script.h) on both
// programs, kelvora and kelvquick, each on a ScriptedPlatform of its own whose
// program folder, and every save dialog answer, lie in one given folder. A
// program that has ended starts afresh with the next action meant for it.
// The fuzz target checks its rules around each action; the replay tool only
// prints the messages.
//
// With an installed folder, the generators' folder is chosen as the desktop
// programs choose it: the installed folder when the user may create folders
// there (a probe is made and removed), otherwise the stand-in folder, which
// the user is told about once a run.
#pragma once

#include <memory>
#include <string>

#include "form/form.h"
#include "fuzz/action_script.h"
#include "support/scripted_platform.h"

namespace fuzzing {

using action_script::Action;

class ActionPlayer {
public:
    explicit ActionPlayer(std::string folder, std::string installed = "", std::string standIn = "");

    // restartIfEnded, then apply.
    void play(const Action& a);
    // A program that has ended starts afresh, unless the action chooses the
    // program.
    void restartIfEnded(const Action& a);
    // Runs the action on the program in front; an action that cannot be
    // done there (a screen not in view, a control that cannot take it) does
    // nothing. "fail" is left to whoever owns the file system.
    void apply(const Action& a);

    form::Program& program() { return *current().program; }
    // The platform of the program in front, with what it has been told.
    form::ScriptedPlatform& platform() { return *current().platform; }
    bool quick() const { return target_ == 1; }
    const std::string& folder() const { return folder_; }

    // The screen when it is in view.
    form::Form* visibleScreen(const std::string& name);
    // A button, option or clickable control a user can reach now.
    static bool clickable(const form::Form& f, const std::string& control);

private:
    // One program, started afresh whenever it has ended.
    struct Run {
        bool quick = false;
        std::unique_ptr<form::ScriptedPlatform> platform;
        std::unique_ptr<form::Program> program;
    };

    Run& current() { return runs_[target_]; }
    void start(Run& run);
    void answer(const Action& a);

    std::string folder_;
    std::string installed_;
    std::string standIn_;
    Run runs_[2];
    int target_ = 0;
};

}  // namespace fuzzing
