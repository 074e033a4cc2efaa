#include "win/run_program.h"

#include <objbase.h>

#include "win/renderer.h"
#include "win/test_hook.h"
#include "win/win_platform.h"

namespace kelvwin {

int runProgram(HINSTANCE instance, const std::string& title, form::Program::Catalog catalog,
               const std::string& firstScreen)
{
    // The accessible objects of the controls are COM objects handed to
    // other programs from this thread.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    struct ComScope {
        bool owned;
        ~ComScope()
        {
            if (owned) {
                ::CoUninitialize();
            }
        }
    } comScope{SUCCEEDED(com)};

    WinPlatform platform;
    form::Program program(title, std::move(catalog), platform);
    Renderer renderer(program, instance);
    platform.setRenderer(&renderer);
    const auto hook = TestHook::fromEnvironment(renderer, instance);

    program.start(firstScreen);
    if (program.hasEnded()) {
        return 0;
    }
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // Tab and the arrow keys move between the controls of a screen; keys
        // sent to a screen's window itself are its key presses.
        HWND root = msg.hwnd != nullptr ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (root != nullptr && root != msg.hwnd && ::IsDialogMessageW(root, &msg)) {
            renderer.collectGarbage();
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
        renderer.collectGarbage();
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace kelvwin
