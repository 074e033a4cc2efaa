// Runs one of the programs on Windows: the platform, the renderer, the first
// screen and the message loop.
#pragma once

#include <windows.h>

#include <string>

#include "form/form.h"

namespace kelvwin {

int runProgram(HINSTANCE instance, const std::string& title, form::Program::Catalog catalog,
               const std::string& firstScreen);

}  // namespace kelvwin
