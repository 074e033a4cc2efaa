// Runs one of the programs on Windows: the platform, the renderer, the first
// screen and the message loop.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "form/form.h"

namespace kelvwin {

class Renderer;

// Something a test build attaches to the running program before its first
// screen shows, kept until the program ends. The shipped programs attach
// nothing.
using Attachment = std::function<std::shared_ptr<void>(Renderer&, HINSTANCE)>;

int runProgram(HINSTANCE instance, form::ProgramDescription description, const Attachment& attach = {});

}  // namespace kelvwin
