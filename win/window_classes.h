// The window classes the screens are made of: the renderer's own (the
// screen's window and the box that draws frames, pictures and images), the
// standard ones each kind of control is shown by, and the styles it takes.
#pragma once

#include <windows.h>

#include <optional>

#include "form/screen_def.h"

namespace kelvwin {

// The renderer's own classes.
extern const wchar_t* const screenClass;
extern const wchar_t* const boxClass;
// A screen's window: a fixed size, minimised but never resized.
inline const DWORD screenStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// The subclass of the fields, options and buttons, and the property that
// leads from such a window to its control, for the accessible object, which
// holds only the window handle.
inline constexpr UINT_PTR controlSubclass = 1;
extern const wchar_t* const linkProperty;

// Registers the common controls and the renderer's own classes with their
// window procedures; once per process.
void registerWindowClasses(HINSTANCE instance, WNDPROC screenProc, WNDPROC boxProc);

// The class and styles of a control's window.
struct ControlClass {
    const wchar_t* name;
    DWORD style;
    DWORD exStyle;
};

// The window a control is shown by; nothing for a line (drawn by its
// container) and a dialog, which have none.
std::optional<ControlClass> controlClass(const form::ScreenDef& screen, const form::ControlDef& c);

}  // namespace kelvwin
