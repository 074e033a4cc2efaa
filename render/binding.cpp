#include "render/binding.h"

#include <algorithm>
#include <cstdlib>

#include "form/field_name.h"
#include "form/path.h"
#include "render/layout.h"

namespace render {

using form::ControlDef;
using form::Kind;
using form::tidyLabel;

bool inClientArea(const form::ScreenDef& screen, const ControlDef& control, const form::Rect& r)
{
    if (!control.container.empty()) {
        return true;
    }
    // A line's rectangle runs from one end to the other and may point left or up.
    const int left = std::min(r.left, r.left + r.width);
    const int top = std::min(r.top, r.top + r.height);
    const form::Size client = screen.client();
    return left < client.width && top < client.height && left + std::abs(r.width) > 0 && top + std::abs(r.height) > 0;
}

bool shown(const form::Form& f, const std::string& control)
{
    const form::ScreenDef& def = f.def();
    const ControlDef* c = &def.get(control);
    for (int depth = 0; c != nullptr && depth < 16; ++depth) {
        const form::ControlState& s = f.state(c->name);
        if (!s.visible || !inClientArea(def, *c, s.rect)) {
            return false;
        }
        c = c->container.empty() ? nullptr : def.find(c->container);
    }
    return true;
}

bool userCanEdit(const form::Form& f, const std::string& control)
{
    const ControlDef& c = f.def().get(control);
    return c.kind == Kind::TextBox && !c.readOnly && f.isLoaded() && f.isVisible() && f.state(control).enabled &&
           shown(f, control) && !f.program().isHandlingEvent() && !f.program().hasEnded();
}

std::string accessibleName(const form::Form& f, const std::string& control)
{
    const ControlDef& c = f.def().get(control);
    if (!c.spokenName.empty()) {
        return c.spokenName;
    }
    if (c.kind != Kind::TextBox) {
        // Buttons and options are read by their captions; a tooltip only
        // describes them. A frame without a caption is called by its label.
        const std::string caption = tidyLabel(f.text(control));
        if (caption.empty() && !c.prompt.empty() && c.kind != Kind::Option) {
            return tidyLabel(f.text(c.prompt));
        }
        return caption.empty() ? c.tooltip : caption;
    }
    return form::fieldName(f, control);
}

namespace {

// What is said of something, part by part: each part tidied, said once and
// apart from the others.
class Description {
public:
    void add(std::string part)
    {
        part = tidyLabel(std::move(part));
        if (!part.empty() && std::find(parts_.begin(), parts_.end(), part) == parts_.end()) {
            text_ += (text_.empty() ? "" : " ") + part;
            parts_.push_back(std::move(part));
        }
    }
    const std::string& text() const { return text_; }

private:
    std::vector<std::string> parts_;
    std::string text_;
};

}  // namespace

std::string accessibleDescription(const form::Form& f, const std::string& control)
{
    const ControlDef& c = f.def().get(control);
    Description said;
    const auto add = [&said](std::string part) { said.add(std::move(part)); };
    // What the field shows worked out from this one comes first: it is what
    // changes as the user types.
    for (const ControlDef& other : f.def().controls()) {
        if (other.computedFrom == control) {
            add(accessibleName(f, other.name) + " " + f.text(other.name));
        }
    }
    for (const std::string& label : c.notes) {
        add(f.text(label));
    }
    add(c.tooltip);
    return said.text();
}

std::vector<std::string> optionGroup(const form::ScreenDef& screen, const std::string& option)
{
    // One exclusive group: the options of one container, as the model
    // chooses between them; in the keyboard order, then as declared.
    const std::string& container = screen.get(option).container;
    std::vector<std::string> group;
    for (const ControlDef* c : tabOrder(screen)) {
        if (c->kind == Kind::Option && c->container == container) {
            group.push_back(c->name);
        }
    }
    for (const ControlDef& c : screen.controls()) {
        if (c.kind == Kind::Option && c.container == container &&
            std::find(group.begin(), group.end(), c.name) == group.end()) {
            group.push_back(c.name);
        }
    }
    return group;
}

bool pressedByKeys(const form::ScreenDef& screen, const ControlDef& c)
{
    const bool surface =
        c.kind == Kind::Label || c.kind == Kind::Frame || c.kind == Kind::Picture || c.kind == Kind::Image;
    return surface && screen.clickHandler(c.name) != nullptr && inTabOrder(screen, c);
}

std::string groupName(const form::Form& f, const std::string& option)
{
    for (const std::string& member : optionGroup(f.def(), option)) {
        const ControlDef& c = f.def().get(member);
        if (!c.prompt.empty()) {
            return tidyLabel(f.text(c.prompt));
        }
        if (!c.groupName.empty()) {
            return c.groupName;
        }
    }
    return {};
}

std::string windowName(const form::Form& f)
{
    const std::string& caption = f.def().caption();
    if (!caption.empty() || f.def().nameLabel().empty()) {
        return caption;
    }
    return tidyLabel(f.text(f.def().nameLabel()));
}

std::string windowDescription(const form::Form& f)
{
    Description said;
    for (const std::string& label : f.def().descriptionLabels()) {
        said.add(f.text(label));
    }
    return said.text();
}

std::optional<std::string> droppedText(form::DropName what, const std::string& path, bool isFolder)
{
    // A dropped path is read by the Windows rules on every system: either
    // separator ends a name. A root ("/", "C:\\") is no folder a page can
    // name.
    const std::string name = path::lastName(path, path::Style::windows);
    if (name.empty()) {
        return std::nullopt;
    }
    switch (what) {
    case form::DropName::None:
        return std::nullopt;
    case form::DropName::FolderName:
        return isFolder ? std::optional<std::string>(name) : std::nullopt;
    case form::DropName::FileName:
        return isFolder ? std::nullopt : std::optional<std::string>(name);
    case form::DropName::BaseName: {
        if (isFolder) {
            return std::nullopt;
        }
        const auto dot = name.rfind('.');
        return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    }
    }
    return std::nullopt;
}

void textReported(form::Program& program, const std::string& screen, const std::string& control,
                  const std::string& text)
{
    form::Form* f = program.find(screen);
    if (f == nullptr || f->text(control) == text || !userCanEdit(*f, control)) {
        return;
    }
    program.edit(screen, control, text);
}

void optionReported(form::Program& program, const std::string& screen, const std::string& control, bool checked)
{
    form::Form* f = program.find(screen);
    if (f == nullptr || !checked || f->selected(control)) {
        return;
    }
    const form::ControlState& s = f->state(control);
    if (!f->isVisible() || !s.enabled || !shown(*f, control) || program.isHandlingEvent()) {
        return;
    }
    program.click(screen, control);
}

void showAll(form::Program& program, const std::string& screen, const ShowControl& show)
{
    if (form::Form* f = program.find(screen)) {
        for (const ControlDef& c : f->def().controls()) {
            show(*f, c.name);
        }
    }
}

bool takesPresses(const form::Program& program)
{
    return !program.isHandlingEvent() && !program.hasEnded();
}

void clickReported(form::Program& program, const std::string& screen, const std::string& control,
                   const std::function<void()>& commitComposition, const ShowControl& show)
{
    if (takesPresses(program)) {
        commitComposition();
        program.click(screen, control);
    }
    showAll(program, screen, show);
}

void keyPressReported(form::Program& program, const std::string& screen)
{
    if (takesPresses(program)) {
        program.keyPress(screen);
    }
}

void closeReported(form::Program& program, const std::string& screen, const std::function<void()>& commitComposition)
{
    if (takesPresses(program)) {
        commitComposition();
        program.closeWindow(screen);
    }
}

}  // namespace render
