// A screen declared as data: every control with its design-time values, the
// window's caption and client size, and the handlers the screen reacts with.
// Nothing here knows about a window system; the renderers read these
// declarations, the runtime (form.h) gives them life.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace form {

class Form;

enum class Kind {
    Label,
    TextBox,
    Button,
    Option,
    Frame,
    Picture,
    Image,
    Line,
    CommonDialog,
};

struct Color {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Color&) const = default;
};

// What a handler's reference to an undeclared control, dialog or screen
// throws. The event it happened in stops there, and the program reports it
// through Platform::programmingError; it never leaves the program's own
// event handling.
class UnknownName : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

// Positions and sizes are in twips (1/1440 inch). For a Line the rectangle is
// read as its two end points: (left, top) to (left + width, top + height).
struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
};

struct Size {
    int width = 0, height = 0;
};

enum class Align { Left, Center, Right };

// Design-time settings of a save dialog (the CommonDialog control).
struct DialogDesign {
    std::string defaultExt;
    std::string filter;
    std::string initDir;
};

// What a file dropped on a field gives it: nothing (the field takes no file
// name), the file's name, the name without its extension, or a folder's name.
enum class DropName { None, FileName, BaseName, FolderName };

// How a field's text is worked out from another field's text.
using Derivation = std::string (*)(std::string_view);

// A field of a screen, found by the names of both.
struct FieldRef {
    std::string screen;
    std::string field;
    bool operator==(const FieldRef&) const = default;
};

struct ControlDef {
    std::string name;  // design-time name, "Label5(1)" for an array element
    Kind kind = Kind::Label;
    std::string text;  // caption of labels, buttons, options, frames; text of fields
    std::string tooltip;
    Rect rect;
    std::optional<Color> back;  // background colour; none means the system's
    std::optional<Color> fore;
    double fontPoints = 0;  // 0: the screen's default font size
    bool bold = false;
    Align align = Align::Left;
    bool visible = true;
    bool enabled = true;
    bool readOnly = false;
    bool border = true;                // text fields and pictures
    bool selected = false;             // option buttons at design time
    bool stretch = false;              // images drawn to the control's size
    std::string container;             // "" for the window itself, else a Frame or Picture
    std::string picture;               // name of the picture shown by an Image or Picture
    std::string prompt;                // the label that asks for this field, or names this option's group
    std::string spokenName;            // what assistive technology calls it, when not its prompt
    std::string groupName;             // what assistive technology calls an option's group no label names
    std::vector<std::string> notes;    // labels that explain a field: its step, example and hints
    std::string previewOf;             // the field whose text this one previews
    std::string computedFrom;          // the field whose text this read-only one is worked out from
    Derivation computation = nullptr;  // how, when the runtime keeps it worked out
    FieldRef mirrorOf;                 // a field of another screen whose text this one always holds
    DropName dropName = DropName::None;
    int tabIndex = -1;    // -1: not in the tab order
    DialogDesign dialog;  // CommonDialog only

    // Chained setters, so that a screen reads like its table of controls.
    ControlDef& at(int left, int top, int width, int height);
    ControlDef& tooltipText(std::string tip);
    ControlDef& backColor(std::uint8_t r, std::uint8_t g, std::uint8_t b);
    ControlDef& foreColor(std::uint8_t r, std::uint8_t g, std::uint8_t b);
    ControlDef& font(double points, bool isBold = false);
    ControlDef& centered();
    ControlDef& rightAligned();
    ControlDef& hidden();
    ControlDef& disabled();
    ControlDef& readOnlyField();
    ControlDef& noBorder();
    ControlDef& inside(std::string containerName);
    ControlDef& image(std::string pictureName, bool stretched = false);
    ControlDef& promptedBy(std::string labelName);
    ControlDef& named(std::string name);
    ControlDef& groupNamed(std::string name);
    ControlDef& describedBy(std::vector<std::string> labels);
    ControlDef& captioned(std::string caption);
    // A field that always shows another field's text: a change of either
    // copies the other field's text into it (form.h's field rules).
    ControlDef& previews(std::string field);
    // A read-only field that shows a value worked out from another field: it
    // can be focused, follows that field in the keyboard order, and its value
    // is part of what assistive technology says of that field. With `how`,
    // a change of either field writes how(field's text) into it.
    ControlDef& computedFromField(std::string field, Derivation how = nullptr);
    // A field that always holds the text of `field` on `screen`: a change of
    // either copies that text into it, loading the other screen if need be.
    ControlDef& mirrors(std::string screen, std::string field);
    ControlDef& takesDropped(DropName what);
    ControlDef& tab(int index);
    ControlDef& checked();
    ControlDef& startingIn(std::string folder);  // a dialog's initial folder
};

using Handler = std::function<void(Form&)>;

class ScreenDef {
public:
    ScreenDef(std::string name, std::string caption, Size client);

    const std::string& name() const { return name_; }
    const std::string& caption() const { return caption_; }

    // A window without a caption is still called something by assistive
    // technology: the text of this label, and these labels' texts describe it.
    void namedBy(std::string label) { nameLabel_ = std::move(label); }
    void describedBy(std::vector<std::string> labels) { descriptionLabels_ = std::move(labels); }
    const std::string& nameLabel() const { return nameLabel_; }
    const std::vector<std::string>& descriptionLabels() const { return descriptionLabels_; }
    Size client() const { return client_; }

    // Let the window system place the window, as it does with new windows.
    void placedBySystem() { systemPlaced_ = true; }
    bool isSystemPlaced() const { return systemPlaced_; }

    ControlDef& label(const std::string& name, std::string caption);
    ControlDef& text(const std::string& name, std::string text);
    ControlDef& button(const std::string& name, std::string caption);
    ControlDef& option(const std::string& name, std::string caption);
    ControlDef& frame(const std::string& name, std::string caption);
    ControlDef& picture(const std::string& name);
    ControlDef& imageBox(const std::string& name);
    ControlDef& line(const std::string& name, int x1, int y1, int x2, int y2);
    ControlDef& dialog(const std::string& name, std::string defaultExt, std::string filter);

    void onLoad(Handler h) { load_ = std::move(h); }
    void onClick(const std::string& control, Handler h) { clicks_[control] = std::move(h); }
    void onChange(const std::string& control, Handler h) { changes_[control] = std::move(h); }
    void onKeyPress(Handler h) { keyPress_ = std::move(h); }

    const std::vector<ControlDef>& controls() const { return controls_; }
    const ControlDef* find(const std::string& control) const;
    const ControlDef& get(const std::string& control) const;  // throws on unknown names
    // A control declared earlier, to adjust; throws on unknown names.
    ControlDef& control(const std::string& name);

    const Handler* loadHandler() const { return load_ ? &load_ : nullptr; }
    const Handler* clickHandler(const std::string& control) const;
    const Handler* changeHandler(const std::string& control) const;
    const Handler* keyPressHandler() const { return keyPress_ ? &keyPress_ : nullptr; }

private:
    ControlDef& add(const std::string& name, Kind kind, std::string text);

    std::string name_;
    std::string caption_;
    std::string nameLabel_;
    std::vector<std::string> descriptionLabels_;
    Size client_;
    bool systemPlaced_ = false;
    std::vector<ControlDef> controls_;
    std::map<std::string, std::size_t> index_;
    Handler load_;
    Handler keyPress_;
    std::map<std::string, Handler> clicks_;
    std::map<std::string, Handler> changes_;
};

ControlDef& paint(ControlDef& c, Color color);

}  // namespace form
