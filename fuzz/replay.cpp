// Replays a readable action script (fuzz/action_script.h) on the real file
// system, with the given folder as the program folder and as the folder every
// save dialog answer lies in, and prints each message shown, one line each.
// Built for Linux and for Windows so that scripts/test-cross-check.sh can
// compare what both builds write.
//   kelvora_replay <script> <folder> [<installed folder>]
// With an installed folder, the generators make their folders as the desktop
// programs do: there when the user may create folders in it, otherwise in
// the stand-in folder $HOME/kelvora, after telling the user so (the fault
// sweep, tests/faults/, plays the write probe and the stand-in this way).
// The scripts of the cross-check take only what both systems do alike:
// program, restart, click, type, append, backspace, close, key, and the
// answers cancel and save NAME. The fault injections and the odd dialog
// answers of the fuzz target are left out, since their reasons are worded by
// each system's own error codes; a "fail" line does nothing here. A script
// that breaks the grammar is refused whole, each broken line named, before
// anything is played.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/action_player.h"
#include "fuzz/action_script.h"
#include "support/printing_run.h"

int main(int argc, char* argv[])
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: kelvora_replay <script> <folder> [<installed folder>]\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    const std::string script{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<action_script::Action> actions;
    bool broken = false;
    for (const action_script::ScriptLine& line : action_script::scriptLines(script)) {
        const action_script::ParsedLine parsed = action_script::parseAction(line.text);
        if (!parsed.error.empty()) {
            std::fprintf(stderr, "%s:%s: %s\n", argv[1], std::to_string(line.number).c_str(), parsed.error.c_str());
            broken = true;
        }
        actions.push_back(parsed.action);
    }
    if (broken) {
        return 2;
    }
    std::string installed;
    std::string standIn;
    if (argc == 4) {
        installed = argv[3];
        const char* home = std::getenv("HOME");
        standIn = std::string(home != nullptr ? home : "") + form::pathSeparator + "kelvora";
    }
    fuzzing::ActionPlayer player(argv[2], installed, standIn);
    for (const action_script::Action& action : actions) {
        player.play(action);
        for (const form::ScriptedPlatform::Message& m : player.platform().messages) {
            std::printf("%s\n", test_tools::messageLine(m.title, m.text).c_str());
        }
        player.platform().messages.clear();
    }
    return 0;
}
