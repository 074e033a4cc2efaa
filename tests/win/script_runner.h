// A driver for the smoke test under Wine: when KELVORA_TEST_SCRIPT names a
// file of actions, they are played one by one from a timer, through the real
// windows and the real common dialogs, and logged to KELVORA_TEST_LOG.
// Lines hold tab-separated fields, read by fuzz/action_script.h (blank lines
// and lines that start with "#" are skipped):
//   wait SCREEN            until the screen's window is visible
//   click SCREEN CONTROL   a button press, or a click on a label or picture
//   edit SCREEN CONTROL TEXT
//   key SCREEN
//   mark NAME              logs "mark NAME", then waits for LOG-NAME.done
//   save PATH              types PATH into the open save dialog and saves
//   ok                     logs the open message box and closes it
//   dialog                 until a message box or the save dialog is open
// The messages another program or an assistive technology may send, aimed at
// any control window of a visible screen, also one out of view:
//   settext SCREEN CONTROL TEXT     WM_SETTEXT
//   type SCREEN CONTROL TEXT        WM_CHAR for each character, at the end
//   bmclick SCREEN CONTROL          BM_CLICK
//   accpress SCREEN CONTROL         the default action of its accessible
//                                   object (AccessibleObjectFromWindow)
//   setcheck SCREEN CONTROL 0|1     BM_SETCHECK
//   drop SCREEN CONTROL PATH        WM_DROPFILES with the one file or folder
//   dpi SCREEN DPI                  WM_DPICHANGED, as on a move to a monitor
//                                   of DPI dots per inch (0: the system's)
// Checks, each logging "fail ..." when it finds the windows wrong:
//   expect SCREEN CONTROL TEXT      the window's text
//   expectchecked SCREEN CONTROL 0|1
//   expectshown SCREEN 0|1          whether the screen's window is visible
//   expectname SCREEN CONTROL NAME  the name read through MSAA
//   expectaccessible SCREEN [CONTROL...]
//                                   every field, option and button as MSAA
//                                   reads it: name, role and check state;
//                                   the listed controls may be unnamed
//   consistent SCREEN               every control window shows the model:
//                                   text, check, visibility, enabled, place
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
