#include "win/script_runner.h"

#include <oleacc.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "form/form.h"
#include "fuzz/action_script.h"
#include "output/windows_text.h"
#include "render/binding.h"
#include "win/renderer.h"

namespace kelvwin {

using output::narrow;
using output::widen;

namespace {

constexpr UINT tickMs = 200;
constexpr int patienceTicks = 150;  // how long an action waits for its window
constexpr int fileNameEdit = 1148;  // the common dialog's file name box
constexpr int oldFileNameEdit = 1152;
constexpr int messageText = 0xFFFF;

std::string environment(const wchar_t* name)
{
    wchar_t buffer[4096];
    const DWORD n = ::GetEnvironmentVariableW(name, buffer, 4096);
    return n > 0 && n < 4096 ? narrow(std::wstring(buffer, n)) : std::string();
}

std::string textOf(HWND hwnd)
{
    const int n = ::GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(hwnd, text.data(), n + 1)));
    return narrow(text);
}

// A text short enough for a log line, cut between characters.
std::string shortened(const std::string& text)
{
    constexpr std::size_t most = 120;
    if (text.size() <= most) {
        return text;
    }
    std::size_t cut = most;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return text.substr(0, cut) + "...(" + std::to_string(text.size()) + " bytes)";
}

// What MSAA reads about a window's client object.
struct Accessible {
    std::string name;
    std::string description;
    long role = 0;
    long state = 0;
};

std::optional<Accessible> readAccessible(HWND hwnd)
{
    IAccessible* acc = nullptr;
    if (FAILED(::AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                            reinterpret_cast<void**>(&acc))) ||
        acc == nullptr) {
        return std::nullopt;
    }
    VARIANT self;
    ::VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    Accessible read;
    BSTR name = nullptr;
    if (SUCCEEDED(acc->get_accName(self, &name)) && name != nullptr) {
        read.name = narrow(std::wstring(name, ::SysStringLen(name)));
        ::SysFreeString(name);
    }
    BSTR description = nullptr;
    if (SUCCEEDED(acc->get_accDescription(self, &description)) && description != nullptr) {
        read.description = narrow(std::wstring(description, ::SysStringLen(description)));
        ::SysFreeString(description);
    }
    VARIANT value;
    ::VariantInit(&value);
    if (SUCCEEDED(acc->get_accRole(self, &value)) && value.vt == VT_I4) {
        read.role = value.lVal;
    }
    ::VariantClear(&value);
    if (SUCCEEDED(acc->get_accState(self, &value)) && value.vt == VT_I4) {
        read.state = value.lVal;
    }
    ::VariantClear(&value);
    acc->Release();
    return read;
}

// A drop of one file or folder, as the shell hands it to a window.
HGLOBAL dropOf(const std::wstring& path)
{
    const SIZE_T bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GHND, bytes);
    auto* files = static_cast<DROPFILES*>(::GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    path.copy(reinterpret_cast<wchar_t*>(files + 1), path.size());
    ::GlobalUnlock(memory);
    return memory;
}

// The commands that act on a control window or check one, and those that
// check a whole screen; they need only the screen to be shown, since out of
// view fields have windows too.
const std::set<std::string> controlCommands = {
    "settext", "type", "clickend", "keys",          "bmclick",    "setcheck",          "drop",
    "return",  "down", "expect",   "expectchecked", "expectname", "expectdescription", "accpress"};
const std::set<std::string> screenCommands = {"expectaccessible", "consistent", "fits"};

// The visible dialog of this thread with the given child, or null.
HWND dialogWith(int childId)
{
    struct Search {
        int childId;
        HWND found;
    } search{childId, nullptr};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            wchar_t cls[32];
            ::GetClassNameW(hwnd, cls, 32);
            if (::IsWindowVisible(hwnd) && std::wstring(cls) == L"#32770" &&
                ::GetDlgItem(hwnd, s->childId) != nullptr) {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class ScriptRunner : public TestHook {
public:
    ScriptRunner(Renderer& renderer, HINSTANCE instance, std::vector<std::vector<std::string>> actions, std::string log)
        : renderer_(renderer), actions_(std::move(actions)), log_(std::move(log))
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = proc;
        wc.hInstance = instance;
        wc.lpszClassName = L"KelvoraTestHook";
        ::RegisterClassW(&wc);
        hwnd_ = ::CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ::SetTimer(hwnd_, 1, tickMs, nullptr);
    }
    ~ScriptRunner() override { ::DestroyWindow(hwnd_); }

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        if (msg == WM_TIMER) {
            if (auto* self = reinterpret_cast<ScriptRunner*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA))) {
                self->tick();
            }
            return 0;
        }
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }

    void write(const std::string& line)
    {
        std::ofstream(widen(log_).c_str(), std::ios::app | std::ios::binary) << line << "\n";
    }

    // Runs the next action once what it needs is there. An action that opens
    // a modal window returns only when it closes; the ticks go on meanwhile
    // and play the actions that answer it.
    void tick()
    {
        if (next_ >= actions_.size()) {
            if (next_ == actions_.size()) {
                write("done");
                ++next_;
            }
            return;
        }
        const std::vector<std::string> a = actions_[next_];
        const std::string& op = a[0];
        auto arg = [&](std::size_t i) { return i < a.size() ? a[i] : std::string(); };
        bool ready = true;
        HWND target = nullptr;
        if (op == "wait" || op == "key" || op == "dpi") {
            target = renderer_.window(arg(1));
            ready = target != nullptr && ::IsWindowVisible(target);
        } else if (op == "click" || op == "edit") {
            target = renderer_.control(arg(1), arg(2));
            ready = target != nullptr && ::IsWindowVisible(target);
        } else if (controlCommands.count(op) != 0 || screenCommands.count(op) != 0) {
            HWND screen = renderer_.window(arg(1));
            target = controlCommands.count(op) != 0 ? renderer_.control(arg(1), arg(2)) : screen;
            ready = target != nullptr && screen != nullptr && ::IsWindowVisible(screen);
        } else if (op == "mark") {
            if (!marked_) {
                write("mark " + arg(1));
                marked_ = true;
            }
            ready = ::GetFileAttributesW(widen(log_ + "-" + arg(1) + ".done").c_str()) != INVALID_FILE_ATTRIBUTES;
        } else if (op == "save") {
            target = dialogWith(fileNameEdit);
            target = target != nullptr ? target : dialogWith(oldFileNameEdit);
            ready = target != nullptr;
        } else if (op == "ok") {
            target = dialogWith(messageText);
            ready = target != nullptr;
        } else if (op == "dialog") {
            ready = dialogWith(messageText) != nullptr || dialogWith(fileNameEdit) != nullptr ||
                    dialogWith(oldFileNameEdit) != nullptr;
        }
        if (!ready) {
            if (++waited_ > patienceTicks) {
                write("timeout " + op + " " + arg(1) + " " + arg(2));
                next_ = actions_.size() + 1;
            }
            return;
        }
        waited_ = 0;
        marked_ = false;
        ++next_;
        write("run " + op + " " + arg(1) + " " + arg(2));
        if (op == "click") {
            wchar_t cls[32];
            ::GetClassNameW(target, cls, 32);
            if (std::wstring(cls) == L"Button") {
                ::SendMessageW(target, BM_CLICK, 0, 0);
            } else {
                ::SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
                ::SendMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
            }
        } else if (op == "edit") {
            ::SetWindowTextW(target, widen(arg(3)).c_str());
        } else if (op == "key") {
            ::PostMessageW(target, WM_KEYDOWN, 'Q', 0);
        } else if (op == "save") {
            write("dialog " + textOf(target));
            HWND edit = ::GetDlgItem(target, fileNameEdit);
            edit = edit != nullptr ? edit : ::GetDlgItem(target, oldFileNameEdit);
            ::SetWindowTextW(edit, widen(arg(1)).c_str());
            ::PostMessageW(target, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(target, IDOK)));
        } else if (op == "ok") {
            write("message " + textOf(target) + ": " + textOf(::GetDlgItem(target, messageText)));
            ::PostMessageW(target, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(target, IDOK)));
        } else if (op == "dpi") {
            // As Windows tells a window moved to a monitor of another
            // resolution (0: the system's), suggesting its place there.
            int dpi = std::atoi(arg(2).c_str());
            if (dpi == 0) {
                HDC dc = ::GetDC(nullptr);
                dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
                ::ReleaseDC(nullptr, dc);
            }
            RECT at{};
            ::GetWindowRect(target, &at);
            ::SendMessageW(target, 0x02E0, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&at));  // WM_DPICHANGED
        } else if (op == "wait" || op == "mark" || op == "dialog") {
            // Done once ready.
        } else if (op == "expectshown") {
            HWND screen = renderer_.window(arg(1));
            const bool shown = screen != nullptr && ::IsWindowVisible(screen);
            if (shown != (arg(2) == "1")) {
                fail("expectshown " + arg(1) + ": " + (shown ? "shown" : "not shown"));
            }
        } else if (controlCommands.count(op) != 0) {
            controlAction(op, arg(1), arg(2), arg(3), target);
        } else if (op == "expectaccessible") {
            checkAccessible(arg(1), std::set<std::string>(a.begin() + std::min<std::size_t>(a.size(), 2), a.end()));
        } else if (op == "consistent") {
            checkConsistent(arg(1));
        } else if (op == "fits") {
            checkFits(arg(1));
        } else {
            fail("unknown command " + op);
        }
    }

    void fail(const std::string& what) { write("fail " + what); }

    void controlAction(const std::string& op, const std::string& screen, const std::string& control,
                       const std::string& value, HWND target)
    {
        const std::string where = screen + " " + control;
        if (op == "settext") {
            ::SendMessageW(target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(widen(value).c_str()));
        } else if (op == "type") {
            const LRESULT end = ::GetWindowTextLengthW(target);
            ::SendMessageW(target, EM_SETSEL, static_cast<WPARAM>(end), end);
            for (wchar_t ch : widen(value)) {
                ::SendMessageW(target, WM_CHAR, ch, 1);
            }
        } else if (op == "clickend") {
            // The mouse pressed near the right end of the control, where a
            // field's caret goes to the end of a short text.
            RECT r{};
            ::GetClientRect(target, &r);
            const LPARAM at = MAKELPARAM(r.right - 3, r.bottom / 2);
            ::SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, at);
            ::SendMessageW(target, WM_LBUTTONUP, 0, at);
        } else if (op == "keys") {
            // Characters as the keyboard gives them, wherever the caret is.
            for (wchar_t ch : widen(value)) {
                ::SendMessageW(target, WM_CHAR, ch, 1);
            }
        } else if (op == "bmclick") {
            ::SendMessageW(target, BM_CLICK, 0, 0);
        } else if (op == "accpress") {
            // The default action of the control's accessible object, as a
            // screen reader or a voice command presses a button.
            IAccessible* acc = nullptr;
            VARIANT self;
            ::VariantInit(&self);
            self.vt = VT_I4;
            self.lVal = CHILDID_SELF;
            HRESULT done = ::AccessibleObjectFromWindow(target, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                                        reinterpret_cast<void**>(&acc));
            if (SUCCEEDED(done) && acc != nullptr) {
                done = acc->accDoDefaultAction(self);
                acc->Release();
            }
            if (FAILED(done)) {
                fail("accpress " + where + ": the default action failed (" + std::to_string(done) + ")");
            }
        } else if (op == "return") {
            // The key as the keyboard sends it: through the message loop,
            // to the control that has the focus.
            ::SetFocus(target);
            ::PostMessageW(target, WM_KEYDOWN, VK_RETURN, 0x001C0001);
            ::PostMessageW(target, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC01C0001));
        } else if (op == "down") {
            // The down arrow on the control, through the message loop.
            ::SetFocus(target);
            ::PostMessageW(target, WM_KEYDOWN, VK_DOWN, 0x01500001);
            ::PostMessageW(target, WM_KEYUP, VK_DOWN, static_cast<LPARAM>(0xC1500001));
        } else if (op == "setcheck") {
            ::SendMessageW(target, BM_SETCHECK, value == "1" ? BST_CHECKED : BST_UNCHECKED, 0);
        } else if (op == "drop") {
            ::SendMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(dropOf(widen(value))), 0);
        } else if (op == "expect") {
            const std::string shown = textOf(target);
            if (shown != value) {
                fail("expect " + where + ": shows \"" + shortened(shown) + "\", not \"" + shortened(value) + "\"");
            }
        } else if (op == "expectchecked") {
            const bool checked = ::SendMessageW(target, BM_GETCHECK, 0, 0) == BST_CHECKED;
            if (checked != (value == "1")) {
                fail("expectchecked " + where + ": " + (checked ? "checked" : "not checked"));
            }
        } else if (op == "expectname") {
            const std::optional<Accessible> read = readAccessible(target);
            if (!read) {
                fail("expectname " + where + ": no accessible object");
            } else if (read->name != value) {
                fail("expectname " + where + ": named \"" + read->name + "\", not \"" + value + "\"");
            }
        } else if (op == "expectdescription") {
            // The description holds the text given, among its other parts.
            const std::optional<Accessible> read = readAccessible(target);
            if (!read || read->description.find(value) == std::string::npos) {
                fail("expectdescription " + where + ": described as \"" + (read ? read->description : "") +
                     "\", without \"" + value + "\"");
            }
        }
    }

    // Every field, option and button as assistive technology reads it: by
    // the shared naming rule, never unnamed when it can be seen (but for the
    // controls listed as declaring no name); each with its role, an option
    // with the model's check.
    void checkAccessible(const std::string& screen, const std::set<std::string>& unnamed)
    {
        form::Form* f = renderer_.program().find(screen);
        if (f == nullptr) {
            fail("expectaccessible " + screen + ": not loaded");
            return;
        }
        for (const form::ControlDef& c : f->def().controls()) {
            HWND hwnd = renderer_.control(screen, c.name);
            long role = 0;
            switch (c.kind) {
            case form::Kind::TextBox:
                role = ROLE_SYSTEM_TEXT;
                break;
            case form::Kind::Option:
                role = ROLE_SYSTEM_RADIOBUTTON;
                break;
            case form::Kind::Button:
                role = ROLE_SYSTEM_PUSHBUTTON;
                break;
            default:
                continue;
            }
            const std::string name = render::accessibleName(*f, c.name);
            const std::string where = "expectaccessible " + screen + " " + c.name;
            const std::optional<Accessible> read = hwnd != nullptr ? readAccessible(hwnd) : std::nullopt;
            if (!read) {
                fail(where + ": no accessible object");
                continue;
            }
            if (read->name != name || (read->name.empty() && render::shown(*f, c.name) && unnamed.count(c.name) == 0)) {
                fail(where + ": named \"" + shortened(read->name) + "\", not \"" + shortened(name) + "\"");
            }
            if (read->role != role) {
                fail(where + ": role " + std::to_string(read->role) + ", not " + std::to_string(role));
            }
            if (c.kind == form::Kind::Option && ((read->state & STATE_SYSTEM_CHECKED) != 0) != f->selected(c.name)) {
                fail(where + ": checked state differs from the model");
            }
        }
    }

    // The one-truth rule, control by control: what each window shows is
    // what the model holds.
    void checkConsistent(const std::string& screen)
    {
        form::Form* f = renderer_.program().find(screen);
        if (f == nullptr) {
            fail("consistent " + screen + ": not loaded");
            return;
        }
        for (const form::ControlDef& c : f->def().controls()) {
            HWND hwnd = renderer_.control(screen, c.name);
            if (hwnd == nullptr) {
                continue;
            }
            const form::ControlState& s = f->state(c.name);
            const std::string where = "consistent " + screen + " " + c.name + ": ";
            if (const std::string shown = textOf(hwnd); shown != s.text) {
                fail(where + "shows \"" + shortened(shown) + "\", the model holds \"" + shortened(s.text) + "\"");
            }
            if (c.kind == form::Kind::Option &&
                (::SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED) != s.selected) {
                fail(where + "check differs from the model");
            }
            const bool visible = (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
            if (visible != (s.visible && render::inClientArea(f->def(), c, s.rect))) {
                fail(where + (visible ? "shown" : "hidden") + " against the model");
            }
            if ((::IsWindowEnabled(hwnd) != FALSE) != s.enabled) {
                fail(where + "enabled state differs from the model");
            }
            RECT r{};
            ::GetWindowRect(hwnd, &r);
            ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
            const auto px = [this, &screen](int twips) { return renderer_.px(screen, twips); };
            if (r.left != px(s.rect.left) || r.top != px(s.rect.top) || r.right - r.left != px(s.rect.width) ||
                r.bottom - r.top != px(s.rect.height)) {
                fail(where + "not at the model's place and size");
            }
        }
    }

    // Whether a control's text, drawn in its own font as the control draws
    // it, fits in it; why not otherwise.
    static std::string clipped(const form::ControlDef& c, HWND hwnd)
    {
        RECT client{};
        ::GetClientRect(hwnd, &client);
        const std::wstring text = widen(textOf(hwnd));
        HDC dc = ::GetDC(hwnd);
        HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(hwnd, WM_GETFONT, 0, 0)));
        TEXTMETRICW tm{};
        ::GetTextMetricsW(dc, &tm);
        RECT need{0, 0, client.right, 0};
        if (c.kind == form::Kind::Label) {
            // A line whose glyphs are in view is shown, though the font's
            // blank below them be cut.
            ::DrawTextW(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
            need.bottom -= tm.tmDescent;
        } else if (c.kind == form::Kind::TextBox) {
            need.right = 0;
            need.bottom = tm.tmAscent + tm.tmDescent - tm.tmInternalLeading;
        } else if (c.kind == form::Kind::Option) {
            SIZE size{};
            ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
            need.right = ::GetSystemMetrics(SM_CXMENUCHECK) + size.cx;
            need.bottom = tm.tmAscent;
        }
        ::SelectObject(dc, old);
        ::ReleaseDC(hwnd, dc);
        if (text.empty() || (need.right <= client.right && need.bottom <= client.bottom)) {
            return {};
        }
        return "needs " + std::to_string(need.right) + "x" + std::to_string(need.bottom) + ", has " +
               std::to_string(client.right) + "x" + std::to_string(client.bottom);
    }

    // At whatever font and resolution the system has: the window lies in
    // the work area, and every text shown in it can be read whole.
    void checkFits(const std::string& screen)
    {
        form::Form* f = renderer_.program().find(screen);
        HWND window = renderer_.window(screen);
        if (f == nullptr || window == nullptr) {
            fail("fits " + screen + ": not shown");
            return;
        }
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        RECT frame{};
        ::GetWindowRect(window, &frame);
        ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
        const RECT& work = monitor.rcWork;
        if (!f->def().isSystemPlaced() && (frame.left < work.left || frame.top < work.top || frame.right > work.right ||
                                           frame.bottom > work.bottom)) {
            const auto at = [](const RECT& r) {
                return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
                       std::to_string(r.bottom);
            };
            fail("fits " + screen + ": the window (" + at(frame) + ") reaches off the work area (" + at(work) + ")");
        }
        for (const form::ControlDef& c : f->def().controls()) {
            HWND hwnd = renderer_.control(screen, c.name);
            if (hwnd == nullptr || !::IsWindowVisible(hwnd) || !render::inClientArea(f->def(), c, c.rect) ||
                (c.container.empty() && (c.rect.left + c.rect.width > f->def().client().width ||
                                         c.rect.top + c.rect.height > f->def().client().height))) {
                continue;  // out of view, or laid out past the window's edge
            }
            if (const std::string why = clipped(c, hwnd); !why.empty()) {
                fail("fits " + screen + " " + c.name + ": the text is clipped: " + why);
            }
        }
    }

    Renderer& renderer_;
    std::vector<std::vector<std::string>> actions_;
    std::string log_;
    HWND hwnd_ = nullptr;
    std::size_t next_ = 0;
    int waited_ = 0;
    bool marked_ = false;
};

}  // namespace

std::unique_ptr<TestHook> TestHook::fromEnvironment(Renderer& renderer, HINSTANCE instance)
{
    const std::string script = environment(L"KELVORA_TEST_SCRIPT");
    if (script.empty()) {
        return nullptr;
    }
    std::ifstream in(widen(script).c_str(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::vector<std::string>> actions;
    for (const action_script::ScriptLine& line : action_script::scriptLines(bytes)) {
        actions.push_back(action_script::splitFields(line.text, '\t'));
    }
    std::string log = environment(L"KELVORA_TEST_LOG");
    if (log.empty()) {
        log = script + ".log";
    }
    return std::make_unique<ScriptRunner>(renderer, instance, std::move(actions), log);
}

}  // namespace kelvwin
