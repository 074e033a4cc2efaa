// The operations every screen's buttons use to move between screens, open
// the help and end the program.
#pragma once

#include "form/form.h"

namespace form {

// Runs a list of unload, hide and show steps in order. A list may unload the
// screen whose button is being handled; the remaining steps still run.
inline void SwitchScreen(form::Form& from, const form::Steps& steps)
{
    from.program().switchScreen(steps);
}

// Opens the program's help file at its contents, owned by the screen.
inline void ShowHelp(form::Form& owner)
{
    owner.program().showHelp(owner);
}

// Unloads the screen, then ends the program at once.
inline void ExitProgram(form::Form& owner)
{
    owner.program().exitProgram(owner);
}

}  // namespace form
