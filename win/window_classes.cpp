#include "win/window_classes.h"

#include <commctrl.h>

#include "render/layout.h"

namespace kelvwin {

using form::Kind;

const wchar_t* const screenClass = L"KelvoraScreen";
const wchar_t* const boxClass = L"KelvoraBox";
const wchar_t* const linkProperty = L"KelvoraControl";

void registerWindowClasses(HINSTANCE instance, WNDPROC screenProc, WNDPROC boxProc)
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = screenProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.lpszClassName = screenClass;
    ::RegisterClassExW(&wc);
    wc.lpfnWndProc = boxProc;
    wc.hIcon = nullptr;
    wc.lpszClassName = boxClass;
    ::RegisterClassExW(&wc);
}

std::optional<ControlClass> controlClass(const form::ScreenDef& screen, const form::ControlDef& c)
{
    DWORD cs = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD ex = 0;
    const wchar_t* cls = nullptr;
    if (render::inTabOrder(screen, c)) {
        cs |= WS_TABSTOP;
    }
    switch (c.kind) {
    case Kind::Label:
        cls = L"STATIC";
        cs |= SS_NOTIFY | SS_NOPREFIX | render::aligned(c.align, SS_LEFT, SS_CENTER, SS_RIGHT);
        break;
    case Kind::TextBox:
        cls = L"EDIT";
        // A preview shows another field's text and takes no typing.
        cs |= ES_AUTOHSCROLL | (c.readOnly || !c.previewOf.empty() ? ES_READONLY : 0) |
              render::aligned(c.align, ES_LEFT, ES_CENTER, ES_RIGHT);
        ex |= c.border ? WS_EX_CLIENTEDGE : 0;
        break;
    case Kind::Button:
        cls = L"BUTTON";
        cs |= c.back ? BS_OWNERDRAW : BS_PUSHBUTTON | BS_MULTILINE;
        break;
    case Kind::Option:
        // Not an automatic radio button: the model keeps the group exclusive.
        cls = L"BUTTON";
        cs |= BS_RADIOBUTTON | BS_MULTILINE;
        break;
    case Kind::Frame:
    case Kind::Picture:
    case Kind::Image:
        cls = boxClass;
        ex |= WS_EX_CONTROLPARENT;
        cs |= WS_CLIPCHILDREN;
        break;
    case Kind::Line:
    case Kind::CommonDialog:
        break;
    }
    if (cls == nullptr) {
        return std::nullopt;
    }
    return ControlClass{cls, cs, ex};
}

}  // namespace kelvwin
