// What the test tools print for the scripts that run them: every message box
// as one line "message: <title>|<text>", its line breaks made spaces; and the
// one run of kelvquick that press_quick.cpp (Qt) and
// tests/cross/standin_folder.cpp (Windows) make on their platforms.
#pragma once

#include <cstdio>
#include <string>
#include <utility>

#include "form/form.h"
#include "form/platform.h"

namespace test_tools {

inline std::string messageLine(const std::string& title, const std::string& text)
{
    std::string line = "message: " + title + "|" + text;
    for (char& c : line) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return line;
}

// A real platform whose message boxes are printed instead of shown; the
// program folder and everything else stay the platform's own.
template <class RealPlatform>
class PrintingPlatform : public RealPlatform {
public:
    using RealPlatform::RealPlatform;
    void message(const form::Form*, const std::string& title, const std::string& text) override
    {
        std::printf("%s\n", messageLine(title, text).c_str());
    }
};

// For each name on the command line: types it into kelvquick's first box and
// presses 一発作成. Then prints the program folder the platform gives the
// generators, as "folder: <path>".
inline int pressEachName(form::Platform& platform, form::ProgramDescription quickProgram, int argc, char* argv[])
{
    form::Program program(std::move(quickProgram), platform);
    program.start();
    for (int i = 1; i < argc; ++i) {
        program.edit("Form1", "Text1", argv[i]);
        program.click("Form1", "Command1");
    }
    std::printf("folder: %s\n", platform.programFolder().c_str());
    return 0;
}

}  // namespace test_tools
