#include "win/renderer.h"

#include <commctrl.h>
#include <oleacc.h>
#include <shellapi.h>

#include "output/windows_text.h"
#include "render/binding.h"
#include "render/layout.h"
#include "win/accessible.h"
#include "win/painting.h"
#include "win/window_classes.h"

namespace kelvwin {

using form::ControlDef;
using form::Kind;
using output::widen;

namespace {

// The font a frame, picture or image box was given, for its painting.
const wchar_t* const fontProperty = L"KelvoraFont";

// The object a window of the renderer's own classes was made for: the last
// argument of its creation, kept from its first message on.
template <typename Made>
Made* madeFor(HWND hwnd, UINT msg, LPARAM lp)
{
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    return reinterpret_cast<Made*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// What assistive technology is told about a control window: the model's
// answers, found through the window's link to its control.
bool accessibleFacts(HWND hwnd, AccessibleFacts& facts)
{
    const auto* link = static_cast<const ControlLink*>(::GetPropW(hwnd, linkProperty));
    if (link == nullptr) {
        return false;
    }
    const form::Form* f = link->window->form;
    if (f == nullptr || !f->isLoaded()) {
        return false;
    }
    const ControlDef& c = *link->def;
    // One rule for every renderer; for an edit it matters most, since its
    // own text is its value, not its name.
    facts.name = widen(render::accessibleName(*f, c.name));
    if (const std::string description = render::accessibleDescription(*f, c.name); !description.empty()) {
        facts.description = widen(description);
    }
    switch (c.kind) {
    case Kind::TextBox:
        facts.role = ROLE_SYSTEM_TEXT;
        break;
    case Kind::Option:
        // Options are not automatic radio buttons (the model keeps the group
        // exclusive), and the standard object of Wine calls them clients.
        facts.role = ROLE_SYSTEM_RADIOBUTTON;
        facts.checked = f->selected(c.name);
        break;
    case Kind::Button:
        // Coloured buttons draw themselves, which hides their kind.
        facts.role = ROLE_SYSTEM_PUSHBUTTON;
        break;
    default:
        break;
    }
    return true;
}

// The first file of a drop, or nothing.
std::wstring firstDropped(HDROP drop)
{
    const UINT n = ::DragQueryFileW(drop, 0, nullptr, 0);
    if (n == 0) {
        return {};
    }
    std::wstring path(static_cast<std::size_t>(n) + 1, L'\0');
    path.resize(::DragQueryFileW(drop, 0, path.data(), n + 1));
    return path;
}

}  // namespace

// Messages from the controls, also when a container passes them on.
bool Renderer::handleChild(ScreenWindow& w, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)
{
    switch (msg) {
    case WM_COMMAND: {
        const ControlDef* c = w.byId(LOWORD(wp));
        if (c == nullptr || lp == 0 || w.form == nullptr) {
            return false;
        }
        const std::string screen = w.screen;
        const std::string name = c->name;
        const int code = HIWORD(wp);
        // Every change of every field, read-only or not, goes to the model's
        // rules; only the renderer's own updates are not echoed back.
        if (c->kind == Kind::TextBox && code == EN_CHANGE && syncing_ == 0) {
            userEdited(screen, name, reinterpret_cast<HWND>(lp));
        } else if ((c->kind == Kind::Button || c->kind == Kind::Option) && code == BN_CLICKED) {
            userClicked(screen, name);
        } else if (c->kind == Kind::Label && code == STN_CLICKED) {
            userClicked(screen, name);
        }
        result = 0;
        return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN: {
        const ControlDef* c = w.byId(::GetDlgCtrlID(reinterpret_cast<HWND>(lp)));
        if (c == nullptr) {
            return false;
        }
        result = reinterpret_cast<LRESULT>(controlColors(w, *c, reinterpret_cast<HDC>(wp)));
        return true;
    }
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        const ControlDef* c = w.byId(static_cast<int>(item->CtlID));
        if (c == nullptr || item->CtlType != ODT_BUTTON) {
            return false;
        }
        drawButton(w, *c, *item);
        result = TRUE;
        return true;
    }
    default:
        return false;
    }
}

LRESULT Renderer::handleScreen(ScreenWindow& w, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    LRESULT result = 0;
    if (handleChild(w, msg, wp, lp, result)) {
        return result;
    }
    switch (msg) {
    case WM_CLOSE:
        // The model decides: it unloads the screen, which hides and then
        // destroys this window.
        userClosed(w.screen);
        return 0;
    case WM_KEYDOWN:
        // A modifier or lock key alone types nothing: it is no key press of
        // the screen's (a screen reader's own keys begin with one).
        if (wp != VK_SHIFT && wp != VK_CONTROL && wp != VK_MENU && wp != VK_LWIN && wp != VK_RWIN && wp != VK_CAPITAL &&
            wp != VK_NUMLOCK && wp != VK_SCROLL) {
            userKeyPress(w.screen);
        }
        return 0;
    case 0x02E0: {  // WM_DPICHANGED: moved to a monitor of another resolution
        setDpi(HIWORD(wp), hwnd, reinterpret_cast<const RECT*>(lp));
        return 0;
    }
    case WM_PAINT:
        paintScreen(w, hwnd, layoutDpi(w));
        return 0;
    default:
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
}

LRESULT CALLBACK Renderer::screenProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* w = madeFor<ScreenWindow>(hwnd, msg, lp);
    if (w == nullptr || w->hwnd != hwnd) {
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
    return w->renderer->handleScreen(*w, hwnd, msg, wp, lp);
}

LRESULT CALLBACK Renderer::controlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref)
{
    const auto* link = reinterpret_cast<const ControlLink*>(ref);
    const ControlDef& c = *link->def;
    Renderer& renderer = *link->renderer;
    // The window of an unloaded screen waits to be destroyed; what reaches
    // it no longer concerns the model.
    const bool live = link->window->form != nullptr;
    switch (msg) {
    case WM_GETOBJECT:
        if (const LRESULT answer = answerGetObject(hwnd, wp, lp, accessibleFacts)) {
            return answer;
        }
        break;
    case WM_LBUTTONDOWN:
        // A click in a field while the input method composes in it: the
        // composition goes in where it stands, then the field puts the caret
        // at the click.
        if (c.kind == Kind::TextBox) {
            completeComposition(hwnd);
        }
        break;
    case WM_DROPFILES:
        if (c.kind == Kind::TextBox) {
            auto* drop = reinterpret_cast<HDROP>(wp);
            const std::wstring path = firstDropped(drop);
            ::DragFinish(drop);
            if (live && !path.empty()) {
                renderer.userDropped(c, hwnd, path);
            }
            return 0;
        }
        break;
    case WM_GETDLGCODE:
        // Return on a focused button is its press, as on the desktop's own
        // dialogs; the dialog manager would otherwise take the key itself.
        // The arrows on an option are the option's own.
        if (lp != 0) {
            const auto* message = reinterpret_cast<const MSG*>(lp);
            if (c.kind == Kind::Button && message->message == WM_KEYDOWN && message->wParam == VK_RETURN) {
                return ::DefSubclassProc(hwnd, msg, wp, lp) | DLGC_WANTMESSAGE;
            }
            if (c.kind == Kind::Option && message->message == WM_KEYDOWN &&
                (message->wParam == VK_UP || message->wParam == VK_DOWN || message->wParam == VK_LEFT ||
                 message->wParam == VK_RIGHT)) {
                return ::DefSubclassProc(hwnd, msg, wp, lp) | DLGC_WANTARROWS;
            }
        }
        break;
    case WM_KEYDOWN:
        // Held down, the key presses once (bit 30: it was down already).
        if (c.kind == Kind::Button && wp == VK_RETURN) {
            if ((lp & (1L << 30)) == 0 && live) {
                ::SendMessageW(hwnd, BM_CLICK, 0, 0);
            }
            return 0;
        }
        // The four arrows move through the option's group in order, wrapping
        // round, and choose the option they reach.
        if (c.kind == Kind::Option && live && (wp == VK_UP || wp == VK_DOWN || wp == VK_LEFT || wp == VK_RIGHT)) {
            const ScreenWindow& w = *link->window;
            const auto reachable = [&w](const std::string& option) {
                const auto it = w.controls.find(option);
                return it != w.controls.end() && ::IsWindowVisible(it->second) && ::IsWindowEnabled(it->second);
            };
            if (const auto next = render::optionAfter(*w.def, c.name, wp == VK_UP || wp == VK_LEFT, reachable)) {
                HWND target = w.controls.at(*next);
                ::SetFocus(target);
                ::SendMessageW(target, BM_CLICK, 0, 0);
            }
            return 0;
        }
        break;
    case BM_SETCHECK:
        // A check set from outside (another program, assistive technology)
        // is a report like a click; the renderer's own are not.
        if (c.kind == Kind::Option && renderer.syncing_ == 0 && live) {
            const LRESULT result = ::DefSubclassProc(hwnd, msg, wp, lp);
            const std::string screen = link->window->screen;
            renderer.optionCheckSet(screen, c.name, wp == BST_CHECKED);
            return result;
        }
        break;
    case WM_NCDESTROY:
        ::RemovePropW(hwnd, linkProperty);
        ::RemoveWindowSubclass(hwnd, controlProc, controlSubclass);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT CALLBACK Renderer::boxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* box = madeFor<ControlLink>(hwnd, msg, lp);
    if (box == nullptr) {
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
    ScreenWindow& w = *box->window;
    const ControlDef& c = *box->def;
    LRESULT result = 0;
    if (box->renderer->handleChild(w, msg, wp, lp, result)) {
        return result;
    }
    // A surface whose click is an event, in the keyboard order (the
    // splash's frame), is pressed by Return and Space as a button is; any
    // other key is the screen's key press.
    const bool pressable = render::pressedByKeys(*w.def, c);
    switch (msg) {
    case WM_LBUTTONDOWN:
        box->renderer->userClicked(w.screen, c.name);
        return 0;
    case WM_GETDLGCODE:
        if (pressable) {
            return DLGC_WANTALLKEYS;
        }
        break;
    case WM_KEYDOWN:
        if (pressable) {
            if (wp == VK_RETURN || wp == VK_SPACE) {
                box->renderer->userClicked(w.screen, c.name);
            } else {
                // The screen's own rule for other keys.
                ::SendMessageW(w.hwnd, WM_KEYDOWN, wp, lp);
            }
            return 0;
        }
        break;
    case WM_SETFONT:
        ::SetPropW(hwnd, fontProperty, reinterpret_cast<HANDLE>(wp));
        if (LOWORD(lp) != 0) {
            ::InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(::GetPropW(hwnd, fontProperty));
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        paintBox(w, c, hwnd, box->renderer->pictures_, box->renderer->layoutDpi(w));
        return 0;
    case WM_NCDESTROY:
        ::RemovePropW(hwnd, fontProperty);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        break;
    default:
        break;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace kelvwin
