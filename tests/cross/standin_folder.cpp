// Presses kelvquick's 一発作成 on the Windows platform for each (ASCII) name
// on the command line, then prints the program folder it gives the
// generators; every message is printed instead of shown, as
// "message: <title>|<text>". scripts/check-install-windows.sh runs it from a
// folder the user may and may not write to.
#include "quick/quick_generator.h"
#include "support/printing_run.h"
#include "win/win_platform.h"

int main(int argc, char* argv[])
{
    test_tools::PrintingPlatform<kelvwin::WinPlatform> platform;
    return test_tools::pressEachName(platform, quick::quickProgram(), argc, argv);
}
