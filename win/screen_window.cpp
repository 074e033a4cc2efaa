#include "win/screen_window.h"

namespace kelvwin {

using form::ControlDef;

ScreenWindow::~ScreenWindow()
{
    if (hwnd != nullptr) {
        ::DestroyWindow(hwnd);
    }
    for (auto& [c, b] : brushes) {
        ::DeleteObject(b);
    }
}

HBRUSH ScreenWindow::brush(COLORREF c)
{
    auto it = brushes.find(c);
    if (it == brushes.end()) {
        it = brushes.emplace(c, ::CreateSolidBrush(c)).first;
    }
    return it->second;
}

const ControlDef* ScreenWindow::byId(int id) const
{
    const int index = id - firstControlId;
    if (index < 0 || index >= static_cast<int>(def->controls().size())) {
        return nullptr;
    }
    return &def->controls()[static_cast<std::size_t>(index)];
}

COLORREF ScreenWindow::background(const ControlDef& c, COLORREF system) const
{
    if (c.back) {
        return colorOf(*c.back);
    }
    if (!c.container.empty()) {
        if (const ControlDef* container = def->find(c.container); container && container->back) {
            return colorOf(*container->back);
        }
    }
    return system;
}

COLORREF colorOf(const form::Color& c)
{
    return RGB(c.r, c.g, c.b);
}

std::wstring windowText(HWND hwnd)
{
    const int n = ::GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(hwnd, text.data(), n + 1)));
    return text;
}

}  // namespace kelvwin
