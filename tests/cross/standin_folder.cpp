// Presses kelvquick's 一発作成 on the Windows platform for each (ASCII) name
// on the command line, then prints the program folder it gives the
// generators; every message is printed instead of shown, as
// "message: <title>|<text>". scripts/check-install-windows.sh runs it from a
// folder the user may and may not write to.
#include <cstdio>
#include <string>

#include "form/form.h"
#include "quick/quick_generator.h"
#include "win/win_platform.h"

namespace {

class PrintingPlatform : public kelvwin::WinPlatform {
public:
    void message(const form::Form*, const std::string& title, const std::string& text) override
    {
        std::printf("message: %s|%s\n", title.c_str(), text.c_str());
    }
};

}  // namespace

int main(int argc, char* argv[])
{
    PrintingPlatform platform;
    form::Program program(quick::quickProgram(), platform);
    program.start("Form1");
    for (int i = 1; i < argc; ++i) {
        program.edit("Form1", "Text1", argv[i]);
        program.click("Form1", "Command1");
    }
    std::printf("folder: %s\n", platform.programFolder().c_str());
    return 0;
}
