#include "fuzz/action_player.h"

#include <algorithm>

#include "app/catalog.h"
#include "output/program_folder.h"
#include "quick/quick_generator.h"

namespace fuzzing {

namespace {

bool isTextField(const form::Form& f, const std::string& control)
{
    const form::ControlDef* c = f.def().find(control);
    return c != nullptr && c->kind == form::Kind::TextBox;
}

// The field's text after the typing, pasting or backspacing.
std::string edited(std::string text, const Action& a)
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

// A scripted platform whose generators' folder follows the desktop
// programs' rule (output/program_folder.h).
class InstalledPlatform : public form::ScriptedPlatform {
public:
    InstalledPlatform(std::string installed, std::string standIn)
        : rule_(std::move(installed), std::move(standIn), form::pathSeparator,
                [this](const std::string& text) { message(nullptr, "", text); })
    {
    }
    std::string programFolder() override { return rule_.folder(); }

private:
    output::ProgramFolder rule_;
};

}  // namespace

ActionPlayer::ActionPlayer(std::string folder, std::string installed, std::string standIn)
    : folder_(std::move(folder)), installed_(std::move(installed)), standIn_(std::move(standIn))
{
    runs_[1].quick = true;
    start(runs_[0]);
    start(runs_[1]);
}

void ActionPlayer::start(Run& run)
{
    run.program.reset();
    if (installed_.empty()) {
        run.platform = std::make_unique<form::ScriptedPlatform>();
    } else {
        run.platform = std::make_unique<InstalledPlatform>(installed_, standIn_);
    }
    run.platform->folder = folder_;
    run.program =
        std::make_unique<form::Program>(run.quick ? quick::quickProgram() : app::kelvoraProgram(), *run.platform);
    run.program->start();
}

void ActionPlayer::play(const Action& a)
{
    restartIfEnded(a);
    apply(a);
}

void ActionPlayer::restartIfEnded(const Action& a)
{
    if (current().program->hasEnded() && a.kind != Action::Kind::Program) {
        start(current());
    }
}

form::Form* ActionPlayer::visibleScreen(const std::string& name)
{
    form::Form* f = program().find(name);
    return f != nullptr && f->isVisible() ? f : nullptr;
}

bool ActionPlayer::clickable(const form::Form& f, const std::string& control)
{
    const form::ControlDef* c = f.def().find(control);
    if (c == nullptr) {
        return false;
    }
    const bool pressable =
        c->kind == form::Kind::Button || c->kind == form::Kind::Option || f.def().clickHandler(control) != nullptr;
    return pressable && f.state(control).visible && f.state(control).enabled;
}

void ActionPlayer::apply(const Action& a)
{
    form::Program& p = program();
    switch (a.kind) {
    case Action::Kind::Program:
        target_ = a.text == "quick" ? 1 : 0;
        if (current().program->hasEnded()) {
            start(current());
        }
        break;
    case Action::Kind::Restart:
        start(current());
        break;
    case Action::Kind::Click:
        if (form::Form* f = visibleScreen(a.screen); f != nullptr && clickable(*f, a.control)) {
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
            p.closeWindow(a.screen);
        }
        break;
    case Action::Kind::Key:
        if (visibleScreen(a.screen) != nullptr) {
            p.keyPress(a.screen);
        }
        break;
    case Action::Kind::Answer:
        answer(a);
        break;
    case Action::Kind::Fail:
    case Action::Kind::Nothing:
        break;
    }
}

// The answers name what the fuzz target's folder holds: "dir", a folder, and
// "existing.htm", a file of the user's; "gone" is not there.
void ActionPlayer::answer(const Action& a)
{
    form::ScriptedPlatform& dialogs = platform();
    const auto inFolder = [&](const std::string& name) { return folder_ + form::pathSeparator + name; };
    if (a.text == "save") {
        std::string name = a.name.empty() ? "x" : a.name.substr(0, 300);
        std::replace(name.begin(), name.end(), '/', '_');
        std::replace(name.begin(), name.end(), '\0', '_');
        dialogs.answerSave(inFolder(name));
    } else if (a.text == "missing") {
        dialogs.answerSave(inFolder("gone") + form::pathSeparator +
                           (a.name.empty() ? "x" : "x" + std::to_string(a.name.size())));
    } else if (a.text == "folder") {
        dialogs.answerAsIs(inFolder("dir"));
    } else if (a.text == "existing") {
        dialogs.answerAsIs(inFolder("existing.htm"));
    } else if (a.text == "long255") {
        dialogs.answerAsIs(inFolder(std::string(251, 'n') + ".htm"));
    } else if (a.text == "long256") {
        dialogs.answerAsIs(inFolder(std::string(252, 'n') + ".htm"));
    } else if (a.text == "notdir") {
        dialogs.answerAsIs(inFolder("existing.htm") + form::pathSeparator + "x.htm");
    } else {
        dialogs.answerCancel();
    }
}

}  // namespace fuzzing
