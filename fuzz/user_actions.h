// Turns bytes into what a user does with both programs (typing, pasting,
// clicking, closing windows, answering save dialogs) and checks after every
// action what must always hold:
//  - the generator's four mirrors (Form13) follow the settings screen (Form14);
//  - every height field holds HeightFromWidth of its width, empty when the
//    width is not a number; every preview mirror shows its source field;
//  - only the windows the screens allow are in view, and a running program
//    always has one;
//  - the disk changes only where the user was told a save succeeded: a failed
//    save changes no file that was there and leaves no file behind.
//
// An input is either a readable script (first line "#actions", then one
// action per line, see action_script.h) or raw bytes, which the fuzzer
// mutates. Both run the same actions; a script names screens and controls,
// raw bytes pick them among what is on screen at the time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>

namespace fuzzing {

struct RunResult {
    std::size_t actions = 0;               // actions run, restarts included
    std::optional<std::string> violation;  // the first broken rule, with the action
    // What the run got to, as "kelvora:Form5", "quick:Form1", "kelvora:saved",
    // "kelvora:cancelled", "kelvora:failed", "quick:generated".
    std::set<std::string> reached;
};

// Runs the input against fresh programs whose program folder, and every
// dialog answer, lie in a new temporary folder, removed afterwards.
RunResult runUserActions(const std::uint8_t* data, std::size_t size);

}  // namespace fuzzing
