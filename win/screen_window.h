// One screen's top-level window and the windows of its controls, as the
// renderer, the window procedures and the painting share them.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "form/form.h"
#include "render/layout.h"

namespace kelvwin {

class Renderer;
struct ScreenWindow;

// A control's window id is its place in the declaration after this one.
inline constexpr int firstControlId = 1000;

// The control a window shows, for the window procedures: those of the
// frames, pictures and images drawn here, and the subclass of the fields,
// options and buttons.
struct ControlLink {
    Renderer* renderer;
    ScreenWindow* window;
    const form::ControlDef* def;
};

struct ScreenWindow {
    Renderer* renderer = nullptr;
    form::Form* form = nullptr;  // null once the screen is unloaded
    std::string screen;
    const form::ScreenDef* def = nullptr;
    HWND hwnd = nullptr;
    HWND tooltip = nullptr;
    std::map<std::string, HWND> controls;
    std::vector<std::unique_ptr<ControlLink>> links;
    std::map<COLORREF, HBRUSH> brushes;
    bool placed = false;
    // How much larger or smaller than laid out the window is drawn: for the
    // system's message font, within the work area of its monitor.
    render::Scale scale;

    ScreenWindow() = default;
    ScreenWindow(const ScreenWindow&) = delete;
    ScreenWindow& operator=(const ScreenWindow&) = delete;
    ~ScreenWindow();

    // A brush of a colour, made once for the window.
    HBRUSH brush(COLORREF c);
    // The control of a window id, or null.
    const form::ControlDef* byId(int id) const;
    // The background a control stands on: its own, its container's, the system's.
    COLORREF background(const form::ControlDef& c, COLORREF system) const;
};

COLORREF colorOf(const form::Color& c);

// A window's text, as the user sees it.
std::wstring windowText(HWND hwnd);

}  // namespace kelvwin
