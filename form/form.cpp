#include "form/form.h"

#include <cstdio>
#include <stdexcept>

#include "form/path.h"

namespace form {

namespace {

// A chain of change handlers deeper than this cannot come from the screens'
// own rules, which settle in a few steps; it is cut off rather than allowed
// to exhaust the stack.
constexpr int maxChangeDepth = 200;

}  // namespace

void Platform::programmingError(const std::string& what)
{
    std::fprintf(stderr, "programming error: %s\n", what.c_str());
}

std::string withDefaultExtension(const std::string& path, const std::string& ext)
{
    if (ext.empty()) {
        return path;
    }
    // Either separator ends the folder part, on every system.
    if (path::fileName(path, path::Style::windows).find('.') != std::string::npos) {
        return path;
    }
    return path + "." + ext;
}

// ---------------------------------------------------------------- Form

Form::Form(Program& program, const ScreenDef& def) : program_(program), def_(def)
{
    for (const ControlDef& c : def.controls()) {
        if (c.kind == Kind::CommonDialog) {
            SaveDialogSettings d;
            d.defaultExt = c.dialog.defaultExt;
            d.filter = c.dialog.filter;
            d.initDir = c.dialog.initDir;
            dialogs_[c.name] = d;
        }
        controls_[c.name] = ControlState{c.text, c.rect, c.visible, c.enabled, c.selected};
    }
}

const ControlState& Form::state(const std::string& control) const
{
    auto it = controls_.find(control);
    if (it == controls_.end()) {
        throw UnknownName("no control " + control + " on " + name());
    }
    return it->second;
}

ControlState& Form::mutableState(const std::string& control)
{
    return const_cast<ControlState&>(state(control));
}

const std::string& Form::text(const std::string& control) const
{
    return state(control).text;
}

void Form::set(const std::string& control, const std::string& text)
{
    ControlState& s = mutableState(control);
    if (!loaded_ || s.text == text) {
        return;
    }
    s.text = text;
    program_.notifyControl(*this, control);
    program_.fireChange(*this, control);
}

bool Form::selected(const std::string& option) const
{
    return state(option).selected;
}

void Form::select(const std::string& option)
{
    const ControlDef& chosen = def_.get(option);
    if (!loaded_) {
        return;
    }
    for (const ControlDef& c : def_.controls()) {
        if (c.kind == Kind::Option && c.container == chosen.container && c.name != option) {
            ControlState& s = controls_[c.name];
            if (s.selected) {
                s.selected = false;
                program_.notifyControl(*this, c.name);
            }
        }
    }
    ControlState& s = mutableState(option);
    if (!s.selected) {
        s.selected = true;
        program_.notifyControl(*this, option);
    }
    program_.fireClick(*this, option);
}

void Form::deselect(const std::string& option)
{
    ControlState& s = mutableState(option);
    if (loaded_ && s.selected) {
        s.selected = false;
        program_.notifyControl(*this, option);
    }
}

const Rect& Form::rect(const std::string& control) const
{
    return state(control).rect;
}

void Form::move(const std::string& control, int left, int top)
{
    ControlState& s = mutableState(control);
    if (!loaded_ || (s.rect.left == left && s.rect.top == top)) {
        return;
    }
    s.rect.left = left;
    s.rect.top = top;
    program_.notifyControl(*this, control);
}

bool Form::controlVisible(const std::string& control) const
{
    return state(control).visible;
}

void Form::setControlVisible(const std::string& control, bool visible)
{
    ControlState& s = mutableState(control);
    if (!loaded_ || s.visible == visible) {
        return;
    }
    s.visible = visible;
    program_.notifyControl(*this, control);
}

Form& Form::screen(const std::string& name)
{
    return program_.screen(name);
}

SaveDialogSettings& Form::dialog(const std::string& control)
{
    auto it = dialogs_.find(control);
    if (it == dialogs_.end()) {
        throw UnknownName("no dialog " + control + " on " + name());
    }
    return it->second;
}

// ---------------------------------------------------------------- Program

Program::Program(ProgramDescription description, Platform& platform)
    : title_(std::move(description.title)), catalog_(std::move(description.catalog)),
      firstScreen_(std::move(description.firstScreen)), helpFile_(std::move(description.helpFile)), platform_(platform)
{
}

Program::~Program()
{
    observer_ = nullptr;
}

Form* Program::find(const std::string& name)
{
    auto it = loaded_.find(name);
    return it == loaded_.end() ? nullptr : it->second.get();
}

bool Program::isLoaded(const std::string& name) const
{
    return loaded_.count(name) != 0;
}

bool Program::isVisible(const std::string& name) const
{
    auto it = loaded_.find(name);
    return it != loaded_.end() && it->second->isVisible();
}

std::vector<std::string> Program::loadedScreens() const
{
    std::vector<std::string> names;
    for (const auto& [name, f] : loaded_) {
        names.push_back(name);
    }
    return names;
}

std::vector<std::string> Program::visibleScreens() const
{
    std::vector<std::string> names;
    for (const auto& [name, f] : loaded_) {
        if (f->isVisible()) {
            names.push_back(name);
        }
    }
    return names;
}

Form& Program::load(const std::string& name)
{
    auto entry = catalog_.find(name);
    if (entry == catalog_.end()) {
        throw UnknownName("no screen " + name);
    }
    auto created = std::make_unique<Form>(*this, entry->second());
    Form& f = *created;
    // Counts as loaded from here on, so that a reference to it from inside
    // its own load handler finds it instead of loading it again.
    loaded_[name] = std::move(created);
    if (const Handler* h = f.def().loadHandler(); h != nullptr && !ended_) {
        ++eventDepth_;
        (*h)(f);
        --eventDepth_;
    }
    return f;
}

Form& Program::screen(const std::string& name)
{
    if (Form* f = find(name)) {
        return *f;
    }
    return load(name);
}

void Program::show(const std::string& name)
{
    if (ended_) {
        return;
    }
    Form& f = screen(name);
    if (!f.isLoaded() || f.visible_) {
        return;
    }
    f.visible_ = true;
    if (observer_ != nullptr) {
        observer_->screenShown(f);
    }
}

void Program::hide(const std::string& name)
{
    if (ended_) {
        return;
    }
    Form& f = screen(name);
    if (!f.isLoaded() || !f.visible_) {
        return;
    }
    f.visible_ = false;
    if (observer_ != nullptr) {
        observer_->screenHidden(f);
    }
}

void Program::unload(const std::string& name)
{
    auto it = loaded_.find(name);
    if (it == loaded_.end()) {
        return;
    }
    std::unique_ptr<Form> f = std::move(it->second);
    loaded_.erase(it);
    f->loaded_ = false;
    f->visible_ = false;
    if (observer_ != nullptr) {
        observer_->screenUnloaded(*f);
    }
    // A handler of this screen may still be running: keep the form alive
    // until the outermost event is over.
    retired_.push_back(std::move(f));
}

void Program::switchScreen(const Steps& steps)
{
    for (const Step& step : steps.list()) {
        if (ended_) {
            return;
        }
        if (!hasScreen(step.screen)) {
            continue;  // a screen this program does not have: nothing to do
        }
        switch (step.op) {
        case Step::Op::Unload:
            unload(step.screen);
            break;
        case Step::Op::Hide:
            hide(step.screen);
            break;
        case Step::Op::Show:
            show(step.screen);
            break;
        }
    }
}

void Program::showHelp(Form& owner)
{
    platform_.help(owner, helpFile_, helpContents, "");
}

void Program::exitProgram(Form& owner)
{
    if (ended_) {
        return;
    }
    unload(owner.name());
    endNow();
}

void Program::endNow()
{
    if (ended_) {
        return;
    }
    while (!loaded_.empty()) {
        unload(loaded_.begin()->first);
    }
    ended_ = true;
    platform_.endProgram();
}

void Program::message(const Form* owner, const std::string& text)
{
    if (!ended_) {
        platform_.message(owner, title_, text);
    }
}

namespace {

// Counts one level of event handling while it lives, however it is left.
class Depth {
public:
    explicit Depth(int& depth) : depth_(depth) { ++depth_; }
    ~Depth() { --depth_; }
    Depth(const Depth&) = delete;
    Depth& operator=(const Depth&) = delete;

private:
    int& depth_;
};

}  // namespace

template <typename Fn>
void Program::dispatch(Fn&& fn)
{
    if (ended_) {
        return;
    }
    try {
        Depth event(eventDepth_);
        fn();
    } catch (const UnknownName& error) {
        platform_.programmingError(error.what());
    }
    if (eventDepth_ == 0) {
        // The program never runs on without a window the user can see.
        if (!ended_ && visibleScreens().empty()) {
            endNow();
        }
        retired_.clear();
    }
}

void Program::start()
{
    start(firstScreen_);
}

void Program::start(const std::string& screen)
{
    dispatch([&] { show(screen); });
}

void Program::click(const std::string& screen, const std::string& control)
{
    dispatch([&] {
        Form* f = find(screen);
        if (f == nullptr) {
            return;
        }
        if (f->def().get(control).kind == Kind::Option) {
            f->select(control);
        } else {
            fireClick(*f, control);
        }
    });
}

void Program::edit(const std::string& screen, const std::string& control, const std::string& text)
{
    dispatch([&] {
        if (Form* f = find(screen)) {
            f->set(control, text);
        }
    });
}

void Program::keyPress(const std::string& screen)
{
    dispatch([&] {
        if (Form* f = find(screen)) {
            if (const Handler* h = f->def().keyPressHandler()) {
                (*h)(*f);
            }
        }
    });
}

void Program::closeWindow(const std::string& screen)
{
    dispatch([&] { unload(screen); });
}

void Program::fireChange(Form& form, const std::string& control)
{
    if (ended_ || changeDepth_ >= maxChangeDepth) {
        return;
    }
    const Handler* h = form.def().changeHandler(control);
    if (h == nullptr && !hasFieldRules(form.def(), control)) {
        return;
    }
    Depth change(changeDepth_);
    Depth event(eventDepth_);
    followFieldRules(form, control);
    if (h != nullptr) {
        (*h)(form);
    }
}

void Program::fireClick(Form& form, const std::string& control)
{
    if (ended_) {
        return;
    }
    if (const Handler* h = form.def().clickHandler(control)) {
        Depth event(eventDepth_);
        (*h)(form);
    }
}

void Program::notifyControl(Form& form, const std::string& control)
{
    if (observer_ != nullptr && form.isLoaded()) {
        observer_->controlChanged(form, control);
    }
}

}  // namespace form
