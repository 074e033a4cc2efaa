#include "win/renderer.h"

#include <commctrl.h>
#include <imm.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <cwchar>

#include "output/windows_text.h"
#include "render/binding.h"
#include "render/layout.h"
#include "win/dpi.h"
#include "win/window_classes.h"

namespace kelvwin {

using form::ControlDef;
using form::Kind;
using output::narrow;
using output::widen;

void completeComposition(HWND field)
{
    HWND target = field != nullptr ? field : ::GetFocus();
    if (target == nullptr) {
        return;
    }
    if (HIMC context = ::ImmGetContext(target)) {
        // Asked only while it composes, the input method hands the text over
        // once (WM_IME_COMPOSITION with the result), and the field inserts
        // it where it was shown; the renderer sends none of its own.
        if (::ImmGetCompositionStringW(context, GCS_COMPSTR, nullptr, 0) > 0) {
            ::ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
        }
        ::ImmReleaseContext(target, context);
    }
}

Renderer::Renderer(form::Program& program, HINSTANCE instance)
    : program_(program), instance_(instance), pictures_(instance)
{
    registerWindowClasses(instance, screenProc, boxProc);
    dpi_ = systemDpi();
    fonts_ = std::make_unique<Fonts>(dpi_);
    program_.setObserver(this);
}

Renderer::~Renderer()
{
    program_.setObserver(nullptr);
    windows_.clear();
    dying_.clear();
}

int Renderer::px(const ScreenWindow& w, int twips) const
{
    return pixelsAt(twips, layoutDpi(w));
}

int Renderer::px(const std::string& screen, int twips) const
{
    const ScreenWindow* w = find(screen);
    return w != nullptr ? px(*w, twips) : pixelsAt(twips, dpi_);
}

int Renderer::layoutDpi(const ScreenWindow& w) const
{
    // Rounded up: glyphs grow by whole pixels, and the layout must not fall
    // behind them.
    return static_cast<int>(std::ceil(dpi_ * w.scale.layout - 1e-9));
}

render::Scale Renderer::scaleFor(const form::ScreenDef& def, HWND hwnd) const
{
    // The screens follow the font the user reads the system's messages in,
    // as dialog units follow a dialog's font. Its size is in points, apart
    // from the resolution, which dpi_ follows on its own; so is the room,
    // the work area less the frame, in pixels as laid out at 96 dpi.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    RECT work{};
    if (::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        work = monitor.rcWork;
    } else {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    }
    // Less what rounding the resolution up may add: a pixel an inch.
    const RECT frame = frameFor(0, 0, screenStyle, static_cast<UINT>(dpi_));
    const auto laidOut = [this](LONG pixels, int twips) {
        return static_cast<int>((pixels - twips / 1440 - 1) * 96 / dpi_);
    };
    const render::Area room{0, 0, laidOut(work.right - work.left - (frame.right - frame.left), def.client().width),
                            laidOut(work.bottom - work.top - (frame.bottom - frame.top), def.client().height)};
    return render::scaleFor({messageFontPoints(), render::laidOutFont.dpi}, def.client(), room);
}

ScreenWindow* Renderer::find(const std::string& screen) const
{
    auto it = windows_.find(screen);
    return it == windows_.end() ? nullptr : it->second.get();
}

HWND Renderer::window(const std::string& screen) const
{
    ScreenWindow* w = find(screen);
    return w != nullptr ? w->hwnd : nullptr;
}

HWND Renderer::control(const std::string& screen, const std::string& name) const
{
    ScreenWindow* w = find(screen);
    if (w == nullptr) {
        return nullptr;
    }
    auto it = w->controls.find(name);
    return it == w->controls.end() ? nullptr : it->second;
}

ScreenWindow* Renderer::build(form::Form& f)
{
    const form::ScreenDef& def = f.def();
    auto owned = std::make_unique<ScreenWindow>();
    ScreenWindow* win = owned.get();
    win->renderer = this;
    win->form = &f;
    win->screen = def.name();
    win->def = &def;
    win->scale = scaleFor(def, nullptr);

    const RECT frame =
        frameFor(px(*win, def.client().width), px(*win, def.client().height), screenStyle, static_cast<UINT>(dpi_));
    win->hwnd =
        ::CreateWindowExW(0, screenClass, widen(def.caption()).c_str(), screenStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                          frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance_, win);
    windows_[def.name()] = std::move(owned);
    // A window that opened on a monitor of another resolution than the last
    // one's: all is laid out at the new one (the controls below already).
    if (const UINT dpi = windowDpi(win->hwnd); dpi != 0 && static_cast<int>(dpi) != dpi_) {
        setDpi(static_cast<int>(dpi), nullptr, nullptr);
    }

    win->tooltip =
        ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, win->hwnd, nullptr, instance_, nullptr);
    ::SendMessageW(win->tooltip, TTM_SETMAXTIPWIDTH, 0, px(*win, 6000));

    // Containers first, so that their children find them. A control's id
    // is its place in the declaration.
    for (const ControlDef* created : render::creationOrder(def)) {
        const ControlDef& c = *created;
        const std::size_t index = static_cast<std::size_t>(created - def.controls().data());
        HWND parent = win->hwnd;
        if (!c.container.empty()) {
            if (auto it = win->controls.find(c.container); it != win->controls.end()) {
                parent = it->second;
            }
        }
        const auto cls = controlClass(def, c);
        if (!cls) {
            continue;
        }
        win->links.push_back(std::make_unique<ControlLink>(ControlLink{this, win, &c}));
        ControlLink* link = win->links.back().get();
        const bool box = std::wcscmp(cls->name, boxClass) == 0;
        HWND hwnd = ::CreateWindowExW(cls->exStyle, cls->name, L"", cls->style, 0, 0, 0, 0, parent,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(firstControlId + index)), instance_,
                                      box ? link : nullptr);
        ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_->get(c.fontPoints, c.bold, win->scale.fonts)),
                       FALSE);
        if (!box && c.kind != Kind::Label) {
            ::SetWindowSubclass(hwnd, controlProc, controlSubclass, reinterpret_cast<DWORD_PTR>(link));
            ::SetPropW(hwnd, linkProperty, link);
        }
        if (c.kind == Kind::TextBox) {
            // A field holds whatever the model gives it; the edit control's
            // default limit would cut typing and drops short at 30,000.
            ::SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0);
            if (c.dropName != form::DropName::None) {
                ::DragAcceptFiles(hwnd, TRUE);
            }
        }
        if (!c.tooltip.empty()) {
            std::wstring tip = widen(c.tooltip);
            TOOLINFOW ti{};
            ti.cbSize = sizeof ti;
            ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
            ti.hwnd = win->hwnd;
            ti.uId = reinterpret_cast<UINT_PTR>(hwnd);
            ti.lpszText = tip.data();
            ::SendMessageW(win->tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
        }
        win->controls[c.name] = hwnd;
    }

    // Keyboard order as declared: the z-order among siblings is the tab order.
    std::vector<const ControlDef*> tabbed;
    for (const ControlDef* c : render::tabOrder(def)) {
        if (win->controls.count(c->name) != 0) {
            tabbed.push_back(c);
        }
    }
    HWND previous = HWND_TOP;
    for (const ControlDef* c : tabbed) {
        HWND hwnd = win->controls[c->name];
        ::SetWindowPos(hwnd, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = hwnd;
    }
    // Labels and images lie beneath the other controls, a later one above an
    // earlier one, as bands behind buttons are drawn.
    for (auto it = def.controls().rbegin(); it != def.controls().rend(); ++it) {
        if (it->kind == Kind::Label || it->kind == Kind::Image) {
            if (HWND hwnd = control(def.name(), it->name)) {
                ::SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            }
        }
    }

    ++syncing_;
    for (const ControlDef& c : def.controls()) {
        syncControl(f, c.name);
    }
    --syncing_;
    if (!tabbed.empty()) {
        ::SetFocus(win->controls[tabbed.front()->name]);
    }
    return win;
}

void Renderer::syncControl(form::Form& f, const std::string& control)
{
    ScreenWindow* win = find(f.name());
    if (win == nullptr) {
        return;
    }
    const ControlDef& def = f.def().get(control);
    const form::ControlState& s = f.state(control);
    if (def.kind == Kind::Line) {
        HWND parent = def.container.empty() ? win->hwnd : this->control(f.name(), def.container);
        if (parent != nullptr) {
            ::InvalidateRect(parent, nullptr, TRUE);
        }
        return;
    }
    HWND hwnd = this->control(f.name(), control);
    if (hwnd == nullptr) {
        return;
    }
    ++syncing_;
    const std::wstring text = widen(s.text);
    if (windowText(hwnd) != text) {
        DWORD start = 0, end = 0;
        ::SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        ::SetWindowTextW(hwnd, text.c_str());
        if (def.kind == Kind::TextBox) {
            const DWORD caret = std::min<DWORD>(end, static_cast<DWORD>(text.size()));
            ::SendMessageW(hwnd, EM_SETSEL, caret, caret);
        }
    }
    if (def.kind == Kind::Option) {
        ::SendMessageW(hwnd, BM_SETCHECK, s.selected ? BST_CHECKED : BST_UNCHECKED, 0);
        // Tab stops at one option of a group: the chosen one, else the
        // first; the arrows move within it.
        const std::vector<std::string> group = render::optionGroup(f.def(), control);
        const auto chosen =
            std::find_if(group.begin(), group.end(), [&f](const std::string& o) { return f.state(o).selected; });
        const std::string& stop = chosen != group.end() ? *chosen : group.front();
        for (const std::string& member : group) {
            if (HWND other = this->control(f.name(), member)) {
                const LONG_PTR style = ::GetWindowLongPtrW(other, GWL_STYLE);
                const LONG_PTR wanted = member == stop && render::inTabOrder(f.def(), f.def().get(member))
                                            ? style | WS_TABSTOP
                                            : style & ~static_cast<LONG_PTR>(WS_TABSTOP);
                if (wanted != style) {
                    ::SetWindowLongPtrW(other, GWL_STYLE, wanted);
                }
            }
        }
    }
    --syncing_;
    ::EnableWindow(hwnd, s.enabled ? TRUE : FALSE);

    const form::Rect& r = s.rect;
    ::MoveWindow(hwnd, px(*win, r.left), px(*win, r.top), px(*win, r.width), px(*win, r.height), TRUE);
    // A control wholly outside the window's client area can never be seen;
    // it takes no space and no focus, so nobody types into it blindly. A
    // hidden container hides its children by itself, so each window follows
    // only its own state here.
    const bool inView = render::inClientArea(f.def(), def, r);
    ::ShowWindow(hwnd, s.visible && inView ? SW_SHOWNA : SW_HIDE);
    ::InvalidateRect(hwnd, nullptr, TRUE);
}

void Renderer::syncAll(const std::string& screen)
{
    render::showAll(program_, screen, [this](form::Form& f, const std::string& control) { syncControl(f, control); });
}

void Renderer::screenShown(form::Form& f)
{
    ScreenWindow* win = find(f.name());
    if (win == nullptr) {
        win = build(f);
    }
    if (!win->placed) {
        win->placed = true;
        RECT frame{};
        ::GetWindowRect(win->hwnd, &frame);
        RECT area{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        const render::Area work{area.left, area.top, area.right - area.left, area.bottom - area.top};
        const auto at = render::firstPlacement(f.def(), frame.right - frame.left, frame.bottom - frame.top, work);
        if (at) {
            ::SetWindowPos(win->hwnd, nullptr, at->x, at->y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    ::ShowWindow(win->hwnd, SW_SHOW);
    ::SetForegroundWindow(win->hwnd);
}

void Renderer::screenHidden(form::Form& f)
{
    if (HWND hwnd = window(f.name())) {
        ::ShowWindow(hwnd, SW_HIDE);
    }
}

void Renderer::screenUnloaded(form::Form& f)
{
    auto it = windows_.find(f.name());
    if (it == windows_.end()) {
        return;
    }
    // The click that unloads a screen may come from one of its own controls:
    // the window goes once that event is over.
    ::ShowWindow(it->second->hwnd, SW_HIDE);
    it->second->form = nullptr;
    dying_.push_back(std::move(it->second));
    windows_.erase(it);
}

void Renderer::collectGarbage()
{
    dying_.clear();
}

void Renderer::controlChanged(form::Form& f, const std::string& control)
{
    syncControl(f, control);
}

void Renderer::userClicked(const std::string& screen, const std::string& control)
{
    render::clickReported(
        program_, screen, control, [] { completeComposition(nullptr); },
        [this](form::Form& f, const std::string& name) { syncControl(f, name); });
}

void Renderer::userEdited(const std::string& screen, const std::string& control, HWND edit)
{
    render::textReported(program_, screen, control, narrow(windowText(edit)));
    // Taken or refused, the field shows the model's text again: a field the
    // user cannot reach goes back at once to what the model holds.
    if (form::Form* f = program_.find(screen)) {
        syncControl(*f, control);
    }
}

void Renderer::userDropped(const ControlDef& control, HWND edit, const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    const bool isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::optional<std::string> text = render::droppedText(control.dropName, narrow(path), isFolder);
    if (!text) {
        return;
    }
    // As if typed over the whole text: the edit reports the change like any
    // other, the model takes it by the field's rules, and it can be undone.
    const std::wstring typed = widen(*text);
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    ::SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(typed.c_str()));
}

void Renderer::optionCheckSet(const std::string& screen, const std::string& control, bool checked)
{
    render::optionReported(program_, screen, control, checked);
    // Every option of the screen shows the model's choice again, also when
    // the change was refused.
    syncAll(screen);
}

void Renderer::userKeyPress(const std::string& screen)
{
    render::keyPressReported(program_, screen);
}

void Renderer::userClosed(const std::string& screen)
{
    render::closeReported(program_, screen, [] { completeComposition(nullptr); });
}

}  // namespace kelvwin
