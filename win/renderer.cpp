#include "win/renderer.h"

#include <commctrl.h>
#include <imm.h>
#include <oleacc.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>

#include "output/windows_text.h"
#include "render/binding.h"
#include "render/layout.h"
#include "win/accessible.h"

namespace kelvwin {

using form::ControlDef;
using form::Kind;
using output::narrow;
using output::widen;

namespace {

const wchar_t* const screenClass = L"KelvoraScreen";
const wchar_t* const boxClass = L"KelvoraBox";
constexpr int firstControlId = 1000;
constexpr UINT_PTR controlSubclass = 1;
// The property that leads from a subclassed control window to its control,
// for the accessible object, which holds only the window handle.
const wchar_t* const linkProperty = L"KelvoraControl";

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

// The first of the Japanese interface fonts the machine has.
std::wstring japaneseFace()
{
    HDC dc = ::GetDC(nullptr);
    std::wstring found;
    for (const wchar_t* face : {L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic"}) {
        LOGFONTW lf{};
        lf.lfCharSet = DEFAULT_CHARSET;
        ::lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
        bool present = false;
        ::EnumFontFamiliesExW(
            dc, &lf,
            [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM flag) -> int {
                *reinterpret_cast<bool*>(flag) = true;
                return 0;
            },
            reinterpret_cast<LPARAM>(&present), 0);
        if (present) {
            found = face;
            break;
        }
    }
    ::ReleaseDC(nullptr, dc);
    if (found.empty()) {
        LOGFONTW lf{};
        ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
        found = lf.lfFaceName;
    }
    return found;
}

// A function of user32 that older Windows lack, or null. The cast goes
// through a function type of no parameters, as the compiler wants it.
template <typename F>
F user32Function(const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name)));
}

// The resolution of the monitor a window is on, where Windows tells it
// (10 and later), else 0; the programs run on older Windows too.
UINT windowDpi(HWND hwnd)
{
    using Query = UINT(WINAPI*)(HWND);
    static const auto query = user32Function<Query>("GetDpiForWindow");
    return query != nullptr && hwnd != nullptr ? query(hwnd) : 0;
}

// A window's outer size for a client area, with the caption and borders of
// the given resolution where Windows can say so.
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

const DWORD screenStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
// The font a frame, picture or image box was given, for its painting.
const wchar_t* const fontProperty = L"KelvoraFont";

}  // namespace

// The control a window shows, for the window procedures: those of the
// frames, pictures and images drawn here, and the subclass of the fields,
// options and buttons.
struct ControlLink {
    Renderer* renderer;
    ScreenWindow* window;
    const ControlDef* def;
};

struct ScreenWindow {
    Renderer* renderer = nullptr;
    form::Form* form = nullptr;
    std::string screen;
    const form::ScreenDef* def = nullptr;
    HWND hwnd = nullptr;
    HWND tooltip = nullptr;
    std::map<std::string, HWND> controls;
    std::vector<std::unique_ptr<ControlLink>> links;
    std::map<COLORREF, HBRUSH> brushes;
    bool placed = false;

    HBRUSH brush(COLORREF c)
    {
        auto it = brushes.find(c);
        if (it == brushes.end()) {
            it = brushes.emplace(c, ::CreateSolidBrush(c)).first;
        }
        return it->second;
    }
    const ControlDef* byId(int id) const
    {
        const int index = id - firstControlId;
        if (index < 0 || index >= static_cast<int>(def->controls().size())) {
            return nullptr;
        }
        return &def->controls()[static_cast<std::size_t>(index)];
    }
    // The background a control stands on: its own, its container's, the system's.
    COLORREF background(const ControlDef& c, COLORREF system) const
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
    ~ScreenWindow()
    {
        if (hwnd != nullptr) {
            ::DestroyWindow(hwnd);
        }
        for (auto& [c, b] : brushes) {
            ::DeleteObject(b);
        }
    }
};

namespace {

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

// What the input method is still composing in the focused field goes into
// the field.
void completeComposition()
{
    if (HWND focus = ::GetFocus()) {
        if (HIMC context = ::ImmGetContext(focus)) {
            ::ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
            ::ImmReleaseContext(focus, context);
        }
    }
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

Renderer::Renderer(form::Program& program, HINSTANCE instance)
    : program_(program), instance_(instance), pictures_(instance)
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

    HDC dc = ::GetDC(nullptr);
    dpi_ = ::GetDeviceCaps(dc, LOGPIXELSY);
    ::ReleaseDC(nullptr, dc);
    faceName_ = japaneseFace();
    program_.setObserver(this);
}

Renderer::~Renderer()
{
    program_.setObserver(nullptr);
    windows_.clear();
    dying_.clear();
    for (auto& [key, font] : fonts_) {
        ::DeleteObject(font);
    }
}

int Renderer::px(int twips) const
{
    return ::MulDiv(twips, dpi_, 1440);
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

HFONT Renderer::fontFor(double points, bool bold)
{
    const int tenths = static_cast<int>(std::lround((points > 0 ? points : 9.0) * 10));
    auto& font = fonts_[{tenths, bold}];
    if (font == nullptr) {
        LOGFONTW lf{};
        lf.lfHeight = -::MulDiv(tenths, dpi_, 720);
        lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
        lf.lfCharSet = DEFAULT_CHARSET;
        lf.lfQuality = CLEARTYPE_QUALITY;
        ::lstrcpynW(lf.lfFaceName, faceName_.c_str(), LF_FACESIZE);
        font = ::CreateFontIndirectW(&lf);
    }
    return font;
}

void Renderer::setDpi(int dpi, HWND moved, const RECT* suggested)
{
    if (dpi <= 0 || dpi == dpi_) {
        return;
    }
    // The screens are one program shown one at a time: they all follow the
    // monitor the user works on. The old fonts go once no control holds one.
    dpi_ = dpi;
    std::map<std::pair<int, bool>, HFONT> old;
    old.swap(fonts_);
    for (auto& [name, win] : windows_) {
        for (const ControlDef& c : win->def->controls()) {
            if (auto it = win->controls.find(c.name); it != win->controls.end()) {
                ::SendMessageW(it->second, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(c.fontPoints, c.bold)), FALSE);
            }
        }
        ::SendMessageW(win->tooltip, TTM_SETMAXTIPWIDTH, 0, px(6000));
        const RECT frame =
            frameFor(px(win->def->client().width), px(win->def->client().height), screenStyle, static_cast<UINT>(dpi));
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
        const int dx = px(win->def->client().width) - client.right;
        const int dy = px(win->def->client().height) - client.bottom;
        if (dx != 0 || dy != 0) {
            ::SetWindowPos(win->hwnd, nullptr, 0, 0, frame.right - frame.left + dx, frame.bottom - frame.top + dy,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        syncAll(name);
        ::InvalidateRect(win->hwnd, nullptr, TRUE);
    }
    for (auto& [key, font] : old) {
        ::DeleteObject(font);
    }
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

    const RECT frame = frameFor(px(def.client().width), px(def.client().height), screenStyle, static_cast<UINT>(dpi_));
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
    ::SendMessageW(win->tooltip, TTM_SETMAXTIPWIDTH, 0, px(6000));

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
        DWORD cs = WS_CHILD | WS_CLIPSIBLINGS;
        DWORD ex = 0;
        const wchar_t* cls = nullptr;
        if (render::inTabOrder(def, c)) {
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
            continue;
        }
        win->links.push_back(std::make_unique<ControlLink>(ControlLink{this, win, &c}));
        ControlLink* link = win->links.back().get();
        HWND hwnd = ::CreateWindowExW(ex, cls, L"", cs, 0, 0, 0, 0, parent,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(firstControlId + index)), instance_,
                                      cls == boxClass ? link : nullptr);
        ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(c.fontPoints, c.bold)), FALSE);
        if (cls != boxClass && c.kind != Kind::Label) {
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
    ::MoveWindow(hwnd, px(r.left), px(r.top), px(r.width), px(r.height), TRUE);
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
        const auto at = render::firstPlacement(f.def(), frame.right - frame.left, frame.bottom - frame.top, work,
                                               [this](int twips) { return px(twips); });
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
    render::clickReported(program_, screen, control, completeComposition,
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
    program_.keyPress(screen);
}

void Renderer::userClosed(const std::string& screen)
{
    program_.closeWindow(screen);
}

void Renderer::paintLines(ScreenWindow& w, HDC dc, const std::string& container)
{
    if (w.form == nullptr) {
        return;
    }
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
        HDC dc = reinterpret_cast<HDC>(wp);
        const COLORREF system = ::GetSysColor(c->kind == Kind::TextBox ? COLOR_WINDOW : COLOR_BTNFACE);
        const COLORREF back = c->kind == Kind::TextBox && !c->back ? system : w.background(*c, system);
        ::SetTextColor(dc, c->fore ? colorOf(*c->fore) : ::GetSysColor(COLOR_WINDOWTEXT));
        ::SetBkColor(dc, back);
        result = reinterpret_cast<LRESULT>(w.brush(back));
        return true;
    }
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        const ControlDef* c = w.byId(static_cast<int>(item->CtlID));
        if (c == nullptr || item->CtlType != ODT_BUTTON) {
            return false;
        }
        // A push button in its declared colour.
        HDC dc = item->hDC;
        RECT r = item->rcItem;
        const bool pressed = (item->itemState & ODS_SELECTED) != 0;
        ::FillRect(dc, &r, w.brush(w.background(*c, ::GetSysColor(COLOR_BTNFACE))));
        ::DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        RECT textRect = r;
        ::InflateRect(&textRect, -4, -3);
        if (pressed) {
            ::OffsetRect(&textRect, 1, 1);
        }
        const std::wstring text = windowText(item->hwndItem);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, (item->itemState & ODS_DISABLED) != 0 ? ::GetSysColor(COLOR_GRAYTEXT)
                           : c->fore                             ? colorOf(*c->fore)
                                                                 : RGB(0, 0, 0));
        HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(item->hwndItem, WM_GETFONT, 0, 0)));
        RECT measure = textRect;
        ::DrawTextW(dc, text.c_str(), -1, &measure, DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
        const int offset = std::max(0L, ((textRect.bottom - textRect.top) - (measure.bottom - measure.top)) / 2);
        textRect.top += offset;
        ::DrawTextW(dc, text.c_str(), -1, &textRect, DT_CENTER | DT_WORDBREAK);
        ::SelectObject(dc, old);
        if ((item->itemState & ODS_FOCUS) != 0) {
            RECT focus = r;
            ::InflateRect(&focus, -4, -4);
            ::DrawFocusRect(dc, &focus);
        }
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
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd, &ps);
        paintLines(w, dc, "");
        ::EndPaint(hwnd, &ps);
        return 0;
    }
    default:
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
}

LRESULT CALLBACK Renderer::screenProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* w = reinterpret_cast<ScreenWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
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
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* box = reinterpret_cast<ControlLink*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
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
    case WM_PAINT: {
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
            if (!c.picture.empty() &&
                !box->renderer->pictures_.draw(dc, c.picture, inner, c.stretch, box->renderer->dpi_)) {
                // A picture the program does not hold: a frame with its
                // name stands in for it, so that the gap is seen.
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
        box->renderer->paintLines(w, dc, c.name);
        ::EndPaint(hwnd, &ps);
        return 0;
    }
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
