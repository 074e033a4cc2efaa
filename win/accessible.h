// What assistive technology reads about a control. Each control window
// answers WM_GETOBJECT with the system's standard accessible object for it,
// wrapped so that what only the model knows replaces what the standard object
// would guess: a field's name is its prompt, not its own text; an option is
// a radio button whose check is the model's choice; a button says it is one
// even when it draws itself. MSAA clients get this object from
// AccessibleObjectFromWindow, and UI Automation's bridge for windows without
// a provider of their own reads the same.
//
// The properties of oleacc's annotation service (SetHwndPropStr) would do for
// the name alone, but Wine's oleacc does not implement it, and a name set
// once would not follow a prompt that changes; this object asks the renderer
// again at every question.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace kelvwin {

// What the renderer says about one control window at the moment of asking.
struct AccessibleFacts {
    std::optional<std::wstring> name;         // none: the standard object's (its window text)
    std::optional<std::wstring> description;  // its example, hints and the values worked out from it
    long role = 0;                            // 0: the standard object's
    std::optional<bool> checked;              // options only
};

// Fills in the facts of a control window; false once the window no longer
// shows a control (it is being destroyed, or its screen was unloaded), and
// then the standard object answers alone.
using FactsLookup = bool (*)(HWND hwnd, AccessibleFacts& facts);

// The result of WM_GETOBJECT for a control window: the wrapped object when
// the message asks for the client object (OBJID_CLIENT), otherwise 0, which
// tells the caller to pass the message on.
LRESULT answerGetObject(HWND hwnd, WPARAM wp, LPARAM lp, FactsLookup lookup);

}  // namespace kelvwin
