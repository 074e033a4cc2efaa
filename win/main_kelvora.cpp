// kelvora for Windows: starts on the splash and runs until a "終了" or the
// last window closes.
#include <windows.h>

#include "app/catalog.h"
#include "win/run_program.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    return kelvwin::runProgram(instance, app::kelvoraProgram());
}
