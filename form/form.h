// The running screens. A Form is one loaded screen with the current state of
// its controls; a Program owns the loaded forms and follows the lifecycle and
// event rules every screen relies on:
//  - a text change fires the field's change handler, whoever changed it;
//    assigning the text a field already holds fires nothing;
//  - handlers nest: an assignment inside a handler runs the field's handler
//    to completion before the assigning statement goes on;
//  - a screen is loaded on first use with its design-time values, then its
//    load handler runs; it counts as loaded before that handler runs;
//  - reading or writing a field of a screen that is not loaded loads it hidden;
//  - a handler may unload its own screen and go on running safely;
//  - the field rules a screen declares on its controls (previews, mirrors,
//    values worked out from a field) run as part of a field's change, before
//    the screen's own change handler: the changed field first takes what its
//    rule says, then the fields of its screen that follow it, then the fields
//    of other screens that mirror it. Each step is an ordinary assignment, so
//    a rule settles as soon as a field already holds what it should.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "form/platform.h"
#include "form/screen_def.h"

namespace form {

class Program;

// The screens of a program, found by name.
using Catalog = std::map<std::string, std::function<const ScreenDef&()>>;

// What a program is: its title (in every message box's title bar), its
// screens, the screen it starts with and the help file its "?" buttons open.
// Each program describes itself; this layer knows none of them.
struct ProgramDescription {
    std::string title;
    Catalog catalog;
    std::string firstScreen;
    std::string helpFile;
};

struct ControlState {
    std::string text;
    Rect rect;
    bool visible = true;
    bool enabled = true;
    bool selected = false;
};

class Form {
public:
    Form(Program& program, const ScreenDef& def);

    const std::string& name() const { return def_.name(); }
    const ScreenDef& def() const { return def_; }
    Program& program() const { return program_; }

    bool isVisible() const { return visible_; }
    // False once the screen has been unloaded; a retired form ignores writes.
    bool isLoaded() const { return loaded_; }

    const std::string& text(const std::string& control) const;
    void set(const std::string& control, const std::string& text);

    bool selected(const std::string& option) const;
    // Selects the option, clears the others of its container, runs its click handler.
    void select(const std::string& option);
    // Clears an option without touching the others and without any event.
    void deselect(const std::string& option);

    const Rect& rect(const std::string& control) const;
    void move(const std::string& control, int left, int top);
    bool controlVisible(const std::string& control) const;
    void setControlVisible(const std::string& control, bool visible);

    // The other screens, loaded hidden on first reference.
    Form& screen(const std::string& name);

    // Dialog settings of the screen's CommonDialog, kept while it stays loaded.
    SaveDialogSettings& dialog(const std::string& control = "CommonDialog1");

    const ControlState& state(const std::string& control) const;

private:
    friend class Program;
    ControlState& mutableState(const std::string& control);

    Program& program_;
    const ScreenDef& def_;
    std::map<std::string, ControlState> controls_;
    std::map<std::string, SaveDialogSettings> dialogs_;
    bool visible_ = false;
    bool loaded_ = true;
};

// What a renderer needs to hear about, so that the widgets follow the model.
class Observer {
public:
    virtual ~Observer() = default;
    virtual void screenShown(Form&) {}
    virtual void screenHidden(Form&) {}
    virtual void screenUnloaded(Form&) {}
    virtual void controlChanged(Form&, const std::string& /*control*/) {}
};

// One step of a list run by SwitchScreen.
struct Step {
    enum class Op { Unload, Hide, Show } op;
    std::string screen;
};

// Builds step lists in the order they are read: unload("A").show("B")...
class Steps {
public:
    Steps& unload(const std::string& screen) { return add(Step::Op::Unload, screen); }
    Steps& hide(const std::string& screen) { return add(Step::Op::Hide, screen); }
    Steps& show(const std::string& screen) { return add(Step::Op::Show, screen); }
    const std::vector<Step>& list() const { return steps_; }

protected:
    Steps& add(Step::Op op, const std::string& screen)
    {
        steps_.push_back({op, screen});
        return *this;
    }

private:
    std::vector<Step> steps_;
};

class Program {
public:
    using Catalog = form::Catalog;

    Program(ProgramDescription description, Platform& platform);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    const std::string& title() const { return title_; }
    const std::string& firstScreen() const { return firstScreen_; }
    Platform& platform() { return platform_; }
    void setObserver(Observer* observer) { observer_ = observer; }
    bool hasScreen(const std::string& name) const { return catalog_.count(name) != 0; }

    // The loaded screen, loading it hidden when it is not.
    Form& screen(const std::string& name);
    Form* find(const std::string& name);
    bool isLoaded(const std::string& name) const;
    bool isVisible(const std::string& name) const;
    std::vector<std::string> loadedScreens() const;
    std::vector<std::string> visibleScreens() const;

    void show(const std::string& name);
    void hide(const std::string& name);
    void unload(const std::string& name);

    // Screen operations shared by every screen's buttons.
    void switchScreen(const Steps& steps);
    void showHelp(Form& owner);
    void exitProgram(Form& owner);
    bool hasEnded() const { return ended_; }
    // True while a handler runs, also while it waits for a dialog it opened.
    bool isHandlingEvent() const { return eventDepth_ > 0; }

    // A message box with the program's title.
    void message(const Form* owner, const std::string& text);

    // What the user does. Each runs its handlers to completion; afterwards the
    // program ends if no window is left visible.
    void start();  // shows the first screen
    void start(const std::string& screen);
    void click(const std::string& screen, const std::string& control);
    void edit(const std::string& screen, const std::string& control, const std::string& text);
    void keyPress(const std::string& screen);
    void closeWindow(const std::string& screen);

    // Whether a change of the field runs anything: a field rule or the
    // screen's own change handler.
    bool reactsToChange(const std::string& screen, const std::string& control);

    // Used by Form: runs a handler inside the current event.
    void fireChange(Form& form, const std::string& control);
    void fireClick(Form& form, const std::string& control);
    void notifyControl(Form& form, const std::string& control);

    // The help viewer's command that opens a help file at its contents.
    static constexpr int helpContents = 3;

private:
    Form& load(const std::string& name);
    // The field rules of one change (field_rules.cpp).
    bool hasFieldRules(const ScreenDef& def, const std::string& control);
    void followFieldRules(Form& form, const std::string& control);
    const std::vector<FieldRef>& mirroredBy(const std::string& screen, const std::string& control);
    // Runs one user event; ends the program when no window is left.
    template <typename Fn>
    void dispatch(Fn&& fn);
    void endNow();

    std::string title_;
    Catalog catalog_;
    std::string firstScreen_;
    std::string helpFile_;
    Platform& platform_;
    Observer* observer_ = nullptr;
    std::map<std::string, std::unique_ptr<Form>> loaded_;
    std::vector<std::unique_ptr<Form>> retired_;  // unloaded during the current event
    int eventDepth_ = 0;
    int changeDepth_ = 0;
    bool ended_ = false;
    // For each field of a screen, the fields of other screens that mirror it;
    // gathered from the catalog on first use.
    std::optional<std::map<std::pair<std::string, std::string>, std::vector<FieldRef>>> mirrors_;
};

}  // namespace form
