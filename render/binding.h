// The rules every renderer follows between its widgets and the model, kept
// apart from any toolkit so that each renderer holds only what its toolkit
// needs and the rules are the same on every platform:
//  - which controls can be seen (the client-area rule),
//  - which fields the user can change,
//  - what assistive technology calls each control,
//  - what a file dropped on a field gives it,
//  - how a change or a press a widget reports reaches the model, and what
//    the renderer shows again after it.
// The model is the one truth: a renderer shows what it holds after every
// event, and hands every change it did not make itself to the functions
// below, whatever caused the change (typing, an input method, paste, drop,
// undo, the accessibility interface, a message from another program).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "form/form.h"

namespace render {

// Whether a control lies at least partly inside its window's client area.
// Controls inside a container follow their container.
bool inClientArea(const form::ScreenDef& screen, const form::ControlDef& control, const form::Rect& rect);

// Whether the control's widget is shown: visible in the model and in view.
bool shown(const form::Form& f, const std::string& control);

// Whether the user can change the field's text: a text box that is shown,
// enabled and not read-only, on a visible screen whose program is not busy
// with a dialog. Template fields and hidden mirrors never qualify, so their
// texts stay exactly as the screen holds them.
bool userCanEdit(const form::Form& f, const std::string& control);

// The name assistive technology reads for a control: its own spoken name;
// for a button or option its caption; for a field what the user calls it
// (form::fieldName, the same name the messages use).
std::string accessibleName(const form::Form& f, const std::string& control);

// What assistive technology reads as a control's description: for a field,
// the values worked out from it ("高さ 424"), then its notes (the step mark,
// the example, the hints) and its tooltip, each said once.
std::string accessibleDescription(const form::Form& f, const std::string& control);

// The options of the exclusive group `option` belongs to, in keyboard order.
std::vector<std::string> optionGroup(const form::ScreenDef& screen, const std::string& option);

// The option an arrow key moves to from `option`: the next (or, `back`, the
// previous) one of its group that `reachable` accepts, wrapping round;
// nothing when no other one is.
template <typename Reachable>
std::optional<std::string> optionAfter(const form::ScreenDef& screen, const std::string& option, bool back,
                                       Reachable reachable)
{
    const std::vector<std::string> group = optionGroup(screen, option);
    const auto n = static_cast<std::ptrdiff_t>(group.size());
    std::ptrdiff_t self = 0;
    while (self < n && group[static_cast<std::size_t>(self)] != option) {
        ++self;
    }
    for (std::ptrdiff_t step = 1; self < n && step < n; ++step) {
        const std::string& next = group[static_cast<std::size_t>(((self + (back ? -step : step)) % n + n) % n)];
        if (reachable(next)) {
            return next;
        }
    }
    return std::nullopt;
}

// Whether keys press the control as a click does: a label, frame, picture or
// image whose click is a screen event and that the keyboard reaches (the
// splash's frame).
bool pressedByKeys(const form::ScreenDef& screen, const form::ControlDef& control);

// What assistive technology calls an option's group: its label's text, or
// the name the screen gives it; empty when it has neither.
std::string groupName(const form::Form& f, const std::string& option);

// What assistive technology calls a screen's window and what it says of it:
// the caption, or for a window without one the label the screen names it by;
// the description from the labels the screen declares for it.
std::string windowName(const form::Form& f);
std::string windowDescription(const form::Form& f);

// What a field takes when the file or folder at `path` is dropped on it, or
// nothing when it takes no such drop.
std::optional<std::string> droppedText(form::DropName what, const std::string& path, bool isFolder);

// A widget reports that its text is now `text`. The model takes it as the
// user's edit when the user can edit the field; otherwise nothing changes.
// Either way the renderer then shows the model's texts again.
void textReported(form::Program& program, const std::string& screen, const std::string& control,
                  const std::string& text);

// A widget reports that an option turned checked or unchecked by a way other
// than a click (the accessibility interface, a message). A check selects it
// as a click does; an uncheck changes nothing, since an option is cleared
// only by choosing another. The renderer then shows the model's states again.
void optionReported(form::Program& program, const std::string& screen, const std::string& control, bool checked);

// How a renderer shows the model's state of one control on its widget.
using ShowControl = std::function<void(form::Form& f, const std::string& control)>;

// Shows every control of a loaded screen again, in declaration order;
// nothing when the screen is not loaded (the event before may have unloaded
// it).
void showAll(form::Program& program, const std::string& screen, const ShowControl& show);

// Whether the windows take the user's presses: not while a handler runs,
// which is also while it waits for the message box or save dialog it opened.
// Such a dialog is modal. The desktop refuses the mouse on the windows behind
// it; every other way in (keys, assistive technology, a surface's click, the
// close button) is refused here alike, so that nothing unloads the dialog's
// owner or starts a second event under the first.
bool takesPresses(const form::Program& program);

// A widget reports a press: the mouse, a key, the accessibility interface.
// The press acts on what the screen shows, so what an input method is still
// composing goes into its field first (`commitComposition`); it then cannot
// land in a dialog the press opens either. The model takes the click unless
// a dialog runs (takesPresses), and every control of the screen shows the
// model again: an option the user pressed shows the model's choice, also
// when the press did not change it or was refused.
void clickReported(form::Program& program, const std::string& screen, const std::string& control,
                   const std::function<void()>& commitComposition, const ShowControl& show);

// A key typed on a screen's window, and the window's close button: handed to
// the model unless a dialog runs; the close first has the renderer commit
// what an input method is still composing.
void keyPressReported(form::Program& program, const std::string& screen);
void closeReported(form::Program& program, const std::string& screen, const std::function<void()>& commitComposition);

}  // namespace render
