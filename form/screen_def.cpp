#include "form/screen_def.h"

#include <stdexcept>

namespace form {

ControlDef& ControlDef::at(int left, int top, int width, int height)
{
    rect = {left, top, width, height};
    return *this;
}

ControlDef& ControlDef::tooltipText(std::string tip)
{
    tooltip = std::move(tip);
    return *this;
}

ControlDef& ControlDef::backColor(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    back = Color{r, g, b};
    return *this;
}

ControlDef& ControlDef::foreColor(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    fore = Color{r, g, b};
    return *this;
}

ControlDef& ControlDef::font(double points, bool isBold)
{
    fontPoints = points;
    bold = isBold;
    return *this;
}

ControlDef& ControlDef::centered()
{
    align = Align::Center;
    return *this;
}

ControlDef& ControlDef::rightAligned()
{
    align = Align::Right;
    return *this;
}

ControlDef& ControlDef::hidden()
{
    visible = false;
    return *this;
}

ControlDef& ControlDef::disabled()
{
    enabled = false;
    return *this;
}

ControlDef& ControlDef::readOnlyField()
{
    readOnly = true;
    return *this;
}

ControlDef& ControlDef::noBorder()
{
    border = false;
    return *this;
}

ControlDef& ControlDef::inside(std::string containerName)
{
    container = std::move(containerName);
    return *this;
}

ControlDef& ControlDef::image(std::string pictureName, bool stretched)
{
    picture = std::move(pictureName);
    stretch = stretched;
    return *this;
}

ControlDef& ControlDef::promptedBy(std::string labelName)
{
    prompt = std::move(labelName);
    return *this;
}

ControlDef& ControlDef::named(std::string name)
{
    spokenName = std::move(name);
    return *this;
}

ControlDef& ControlDef::groupNamed(std::string name)
{
    groupName = std::move(name);
    return *this;
}

ControlDef& ControlDef::describedBy(std::vector<std::string> labels)
{
    notes = std::move(labels);
    return *this;
}

ControlDef& ControlDef::captioned(std::string caption)
{
    text = std::move(caption);
    return *this;
}

ControlDef& ControlDef::computedFromField(std::string field, Derivation how)
{
    computedFrom = std::move(field);
    computation = how;
    return *this;
}

ControlDef& ControlDef::mirrors(std::string screen, std::string field)
{
    mirrorOf = {std::move(screen), std::move(field)};
    return *this;
}

ControlDef& ControlDef::previews(std::string field)
{
    previewOf = std::move(field);
    return *this;
}

ControlDef& ControlDef::takesDropped(DropName what)
{
    dropName = what;
    return *this;
}

ControlDef& ControlDef::tab(int index)
{
    tabIndex = index;
    return *this;
}

ControlDef& ControlDef::startingIn(std::string folder)
{
    dialog.initDir = std::move(folder);
    return *this;
}

ControlDef& ControlDef::checked()
{
    selected = true;
    return *this;
}

ControlDef& paint(ControlDef& c, Color color)
{
    c.back = color;
    return c;
}

ScreenDef::ScreenDef(std::string name, std::string caption, Size client)
    : name_(std::move(name)), caption_(std::move(caption)), client_(client)
{
}

ControlDef& ScreenDef::add(const std::string& name, Kind kind, std::string text)
{
    if (index_.count(name) != 0) {
        throw std::logic_error("control declared twice: " + name_ + "." + name);
    }
    index_[name] = controls_.size();
    ControlDef& c = controls_.emplace_back();
    c.name = name;
    c.kind = kind;
    c.text = std::move(text);
    return c;
}

ControlDef& ScreenDef::label(const std::string& name, std::string caption)
{
    return add(name, Kind::Label, std::move(caption));
}

ControlDef& ScreenDef::text(const std::string& name, std::string text)
{
    return add(name, Kind::TextBox, std::move(text));
}

ControlDef& ScreenDef::button(const std::string& name, std::string caption)
{
    return add(name, Kind::Button, std::move(caption));
}

ControlDef& ScreenDef::option(const std::string& name, std::string caption)
{
    return add(name, Kind::Option, std::move(caption));
}

ControlDef& ScreenDef::frame(const std::string& name, std::string caption)
{
    return add(name, Kind::Frame, std::move(caption));
}

ControlDef& ScreenDef::picture(const std::string& name)
{
    return add(name, Kind::Picture, "");
}

ControlDef& ScreenDef::imageBox(const std::string& name)
{
    return add(name, Kind::Image, "");
}

ControlDef& ScreenDef::line(const std::string& name, int x1, int y1, int x2, int y2)
{
    return add(name, Kind::Line, "").at(x1, y1, x2 - x1, y2 - y1);
}

ControlDef& ScreenDef::dialog(const std::string& name, std::string defaultExt, std::string filter)
{
    ControlDef& c = add(name, Kind::CommonDialog, "");
    c.visible = false;
    c.dialog.defaultExt = std::move(defaultExt);
    c.dialog.filter = std::move(filter);
    return c;
}

const ControlDef* ScreenDef::find(const std::string& control) const
{
    auto it = index_.find(control);
    return it == index_.end() ? nullptr : &controls_[it->second];
}

const ControlDef& ScreenDef::get(const std::string& control) const
{
    const ControlDef* c = find(control);
    if (c == nullptr) {
        throw UnknownName("no control " + control + " on " + name_);
    }
    return *c;
}

ControlDef& ScreenDef::control(const std::string& name)
{
    return const_cast<ControlDef&>(get(name));
}

const Handler* ScreenDef::clickHandler(const std::string& control) const
{
    auto it = clicks_.find(control);
    return it == clicks_.end() ? nullptr : &it->second;
}

const Handler* ScreenDef::changeHandler(const std::string& control) const
{
    auto it = changes_.find(control);
    return it == changes_.end() ? nullptr : &it->second;
}

}  // namespace form
