#include "win/painting.h"

#include <algorithm>

#include "output/windows_text.h"
#include "win/dpi.h"

namespace kelvwin {

using form::ControlDef;
using form::Kind;
using output::widen;

namespace {

// The visible lines that lie in a container ("" for the window itself).
void paintLines(const ScreenWindow& w, HDC dc, const std::string& container, int dpi)
{
    if (w.form == nullptr) {
        return;
    }
    const auto px = [dpi](int twips) { return pixelsAt(twips, dpi); };
    for (const ControlDef& c : w.def->controls()) {
        if (c.kind != Kind::Line || c.container != container) {
            continue;
        }
        const form::ControlState& s = w.form->state(c.name);
        if (!s.visible) {
            continue;
        }
        HPEN pen = ::CreatePen(PS_SOLID, 1, colorOf(c.fore.value_or(form::Color{0, 0, 0})));
        HGDIOBJ old = ::SelectObject(dc, pen);
        ::MoveToEx(dc, px(s.rect.left), px(s.rect.top), nullptr);
        ::LineTo(dc, px(s.rect.left + s.rect.width), px(s.rect.top + s.rect.height));
        ::SelectObject(dc, old);
        ::DeleteObject(pen);
    }
}

}  // namespace

void paintScreen(const ScreenWindow& w, HWND hwnd, int dpi)
{
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd, &ps);
    paintLines(w, dc, "", dpi);
    ::EndPaint(hwnd, &ps);
}

void paintBox(ScreenWindow& w, const ControlDef& c, HWND hwnd, Pictures& pictures, int dpi)
{
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd, &ps);
    RECT r;
    ::GetClientRect(hwnd, &r);
    ::FillRect(dc, &r, w.brush(w.background(c, ::GetSysColor(COLOR_BTNFACE))));
    HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    ::SetBkMode(dc, TRANSPARENT);
    if (c.kind == Kind::Frame) {
        // A group box: an etched frame with the caption on its top edge.
        const std::wstring caption = w.form ? widen(w.form->text(c.name)) : L"";
        TEXTMETRICW tm{};
        ::GetTextMetricsW(dc, &tm);
        RECT edge = r;
        edge.top += tm.tmHeight / 2;
        ::DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
        if (!caption.empty()) {
            SIZE size{};
            ::GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
            RECT label{8, 0, std::min<LONG>(8 + size.cx + 4, r.right - 4), tm.tmHeight};
            ::FillRect(dc, &label, w.brush(w.background(c, ::GetSysColor(COLOR_BTNFACE))));
            ::SetTextColor(dc, c.fore ? colorOf(*c.fore) : ::GetSysColor(COLOR_WINDOWTEXT));
            ::DrawTextW(dc, caption.c_str(), -1, &label, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
    } else {
        if (c.kind == Kind::Picture && c.border) {
            ::DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
        }
        RECT inner = r;
        if (c.kind == Kind::Picture && c.border) {
            ::InflateRect(&inner, -2, -2);
        }
        if (!c.picture.empty() && !pictures.draw(dc, c.picture, inner, c.stretch, dpi)) {
            // A picture the program does not hold: a frame with its name
            // stands in for it, so that the gap is seen.
            ::InflateRect(&inner, -1, -1);
            HPEN pen = ::CreatePen(PS_DOT, 1, RGB(128, 128, 128));
            HGDIOBJ oldPen = ::SelectObject(dc, pen);
            HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
            ::Rectangle(dc, inner.left, inner.top, inner.right, inner.bottom);
            ::SelectObject(dc, oldBrush);
            ::SelectObject(dc, oldPen);
            ::DeleteObject(pen);
            ::SetTextColor(dc, RGB(128, 128, 128));
            const std::wstring name = widen(c.picture);
            ::DrawTextW(dc, name.c_str(), -1, &inner, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    }
    ::SelectObject(dc, oldFont);
    paintLines(w, dc, c.name, dpi);
    ::EndPaint(hwnd, &ps);
}

void drawButton(ScreenWindow& w, const ControlDef& c, const DRAWITEMSTRUCT& item)
{
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    ::FillRect(dc, &r, w.brush(w.background(c, ::GetSysColor(COLOR_BTNFACE))));
    ::DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    RECT textRect = r;
    ::InflateRect(&textRect, -4, -3);
    if (pressed) {
        ::OffsetRect(&textRect, 1, 1);
    }
    const std::wstring text = windowText(item.hwndItem);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, (item.itemState & ODS_DISABLED) != 0 ? ::GetSysColor(COLOR_GRAYTEXT)
                       : c.fore                             ? colorOf(*c.fore)
                                                            : RGB(0, 0, 0));
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
    RECT measure = textRect;
    ::DrawTextW(dc, text.c_str(), -1, &measure, DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
    const int offset = std::max(0L, ((textRect.bottom - textRect.top) - (measure.bottom - measure.top)) / 2);
    textRect.top += offset;
    ::DrawTextW(dc, text.c_str(), -1, &textRect, DT_CENTER | DT_WORDBREAK);
    ::SelectObject(dc, old);
    if ((item.itemState & ODS_FOCUS) != 0) {
        RECT focus = r;
        ::InflateRect(&focus, -4, -4);
        ::DrawFocusRect(dc, &focus);
    }
}

HBRUSH controlColors(ScreenWindow& w, const ControlDef& c, HDC dc)
{
    const COLORREF system = ::GetSysColor(c.kind == Kind::TextBox ? COLOR_WINDOW : COLOR_BTNFACE);
    const COLORREF back = c.kind == Kind::TextBox && !c.back ? system : w.background(c, system);
    ::SetTextColor(dc, c.fore ? colorOf(*c.fore) : ::GetSysColor(COLOR_WINDOWTEXT));
    ::SetBkColor(dc, back);
    return w.brush(back);
}

}  // namespace kelvwin
