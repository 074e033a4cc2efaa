// A driver for the smoke test under Wine: when KELVORA_TEST_SCRIPT names a
// file of actions, they are played one by one from a timer, through the real
// windows and the real common dialogs, and logged to KELVORA_TEST_LOG.
// Lines hold tab-separated fields:
//   wait SCREEN            until the screen's window is visible
//   click SCREEN CONTROL   a button press, or a click on a label or picture
//   edit SCREEN CONTROL TEXT
//   key SCREEN
//   mark NAME              logs "mark NAME", then waits for LOG-NAME.done
//   save PATH              types PATH into the open save dialog and saves
//   ok                     logs the open message box and closes it
#pragma once

#include <windows.h>

#include <memory>

namespace kelvwin {

class Renderer;

class TestHook {
public:
    // Null when no script is asked for.
    static std::unique_ptr<TestHook> fromEnvironment(Renderer& renderer, HINSTANCE instance);
    virtual ~TestHook() = default;
};

}  // namespace kelvwin
