#include "win/test_hook.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "output/windows_text.h"
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
    wchar_t buffer[4096];
    const int n = ::GetWindowTextW(hwnd, buffer, 4096);
    return narrow(std::wstring(buffer, static_cast<std::size_t>(n)));
}

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
    ScriptRunner(Renderer& renderer, HINSTANCE instance, std::vector<std::vector<std::string>> actions,
                 std::string log)
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
        if (op == "wait" || op == "key") {
            target = renderer_.window(arg(1));
            ready = target != nullptr && ::IsWindowVisible(target);
        } else if (op == "click" || op == "edit") {
            target = renderer_.control(arg(1), arg(2));
            ready = target != nullptr && ::IsWindowVisible(target);
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
    std::ifstream in(widen(script).c_str());
    std::vector<std::vector<std::string>> actions;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::vector<std::string> fields;
        std::stringstream fieldStream(line);
        std::string field;
        while (std::getline(fieldStream, field, '\t')) {
            fields.push_back(field);
        }
        actions.push_back(fields);
    }
    std::string log = environment(L"KELVORA_TEST_LOG");
    if (log.empty()) {
        log = script + ".log";
    }
    return std::make_unique<ScriptRunner>(renderer, instance, std::move(actions), log);
}

}  // namespace kelvwin
