#include "win/run_program.h"

#include <objbase.h>

#include "win/renderer.h"
#include "win/win_platform.h"

namespace kelvwin {

int runProgram(HINSTANCE instance, form::ProgramDescription description, const Attachment& attach)
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
    form::Program program(std::move(description), platform);
    Renderer renderer(program, instance);
    platform.setRenderer(&renderer);
    const std::shared_ptr<void> attached = attach ? attach(renderer, instance) : nullptr;

    program.start();
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
