// Runs one of the programs: the Qt application, the platform, the renderer
// and the first screen.
#pragma once

#include <string>

#include "form/form.h"

namespace kelvqt {

int runProgram(int argc, char* argv[], const std::string& title, form::Program::Catalog catalog,
               const std::string& firstScreen);

}  // namespace kelvqt
