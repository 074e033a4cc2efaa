// Runs one of the programs: the Qt application, the platform, the renderer
// and the first screen.
#pragma once

#include <string>

#include "form/form.h"

namespace kelvqt {

// Shows the program's first screen and runs until it ends.
int runProgram(int argc, char* argv[], form::ProgramDescription description);

}  // namespace kelvqt
