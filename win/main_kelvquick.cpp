// kelvquick for Windows: one window; it runs until "終了" or until the window
// is closed.
#include <windows.h>

#include "quick/quick_generator.h"
#include "win/run_program.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    return kelvwin::runProgram(instance, quick::quickProgram());
}
