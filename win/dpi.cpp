#include "win/dpi.h"

#include <commctrl.h>

#include <cstdlib>
#include <utility>

#include "render/layout.h"

#include "win/fonts.h"
#include "win/renderer.h"
#include "win/screen_window.h"
#include "win/window_classes.h"

namespace kelvwin {

namespace {

// A function of user32 that older Windows lack, or null. The cast goes
// through a function type of no parameters, as the compiler wants it.
template <typename F>
F user32Function(const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name)));
}

}  // namespace

int systemDpi()
{
    HDC dc = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    ::ReleaseDC(nullptr, dc);
    return dpi;
}

double messageFontPoints()
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0) ||
        metrics.lfMessageFont.lfHeight == 0) {
        return render::laidOutFont.points;
    }
    // The height is in pixels at the system's resolution: of the characters
    // when negative, of the whole cell when positive.
    return std::abs(metrics.lfMessageFont.lfHeight) * 72.0 / systemDpi();
}

UINT windowDpi(HWND hwnd)
{
    using Query = UINT(WINAPI*)(HWND);
    static const auto query = user32Function<Query>("GetDpiForWindow");
    return query != nullptr && hwnd != nullptr ? query(hwnd) : 0;
}

RECT frameFor(int width, int height, DWORD style, UINT dpi)
{
    using Adjust = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjust = user32Function<Adjust>("AdjustWindowRectExForDpi");
    RECT frame{0, 0, width, height};
    if (adjust == nullptr || !adjust(&frame, style, FALSE, 0, dpi)) {
        ::AdjustWindowRectEx(&frame, style, FALSE, 0);
    }
    return frame;
}

void Renderer::setDpi(int dpi, HWND moved, const RECT* suggested)
{
    if (dpi <= 0 || dpi == dpi_) {
        return;
    }
    // The screens are one program shown one at a time: they all follow the
    // monitor the user works on. The old fonts go once no control holds one.
    dpi_ = dpi;
    const std::unique_ptr<Fonts> old = std::exchange(fonts_, std::make_unique<Fonts>(*fonts_, dpi));
    for (auto& [name, win] : windows_) {
        // The room on the monitor it is on, at the new resolution.
        win->scale = scaleFor(*win->def, win->hwnd);
        for (const form::ControlDef& c : win->def->controls()) {
            if (auto it = win->controls.find(c.name); it != win->controls.end()) {
                ::SendMessageW(it->second, WM_SETFONT,
                               reinterpret_cast<WPARAM>(fonts_->get(c.fontPoints, c.bold, win->scale.fonts)), FALSE);
            }
        }
        ::SendMessageW(win->tooltip, TTM_SETMAXTIPWIDTH, 0, px(*win, 6000));
        const RECT frame = frameFor(px(*win, win->def->client().width), px(*win, win->def->client().height),
                                    screenStyle, static_cast<UINT>(dpi));
        RECT at{};
        ::GetWindowRect(win->hwnd, &at);
        if (suggested != nullptr && win->hwnd == moved) {
            at = *suggested;
        }
        ::SetWindowPos(win->hwnd, nullptr, at.left, at.top, frame.right - frame.left, frame.bottom - frame.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        // Where the caption and borders stay as they were (Windows before
        // the per-monitor ones, Wine), the client area is what must be right.
        RECT client{};
        ::GetClientRect(win->hwnd, &client);
        const int dx = px(*win, win->def->client().width) - client.right;
        const int dy = px(*win, win->def->client().height) - client.bottom;
        if (dx != 0 || dy != 0) {
            ::SetWindowPos(win->hwnd, nullptr, 0, 0, frame.right - frame.left + dx, frame.bottom - frame.top + dy,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        // Drawn at the new resolution, it may reach off the monitor's work
        // area where it grew: it moves in.
        RECT now{};
        ::GetWindowRect(win->hwnd, &now);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (::GetMonitorInfoW(::MonitorFromWindow(win->hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
            const RECT& w = monitor.rcWork;
            const render::Point in = render::keptInside({now.left, now.top, now.right - now.left, now.bottom - now.top},
                                                        {w.left, w.top, w.right - w.left, w.bottom - w.top});
            if (in.x != now.left || in.y != now.top) {
                ::SetWindowPos(win->hwnd, nullptr, in.x, in.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
        }
        syncAll(name);
        ::InvalidateRect(win->hwnd, nullptr, TRUE);
    }
}

}  // namespace kelvwin
