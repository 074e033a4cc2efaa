// kelvquick: one screen that, given a video name, creates a folder of that
// name beside the program and writes a link page and a metafile into it,
// both with absolute links built from the program folder.
#pragma once

#include "form/form.h"

namespace quick {

inline constexpr const char* applicationTitle = "Mirequick";

// Form1 "diz君", the program's only screen.
const form::ScreenDef& quickScreen();

// The screens of kelvquick, found by name: Form1 alone.
form::Program::Catalog quickCatalog();

// kelvquick: its title, its one screen, and the help file it shares with kelvora.
form::ProgramDescription quickProgram();

// The click of "一発作成".
void GenerateQuickSet(form::Form& f);

}  // namespace quick
