#pragma once

#include "form/form.h"

namespace screens {

// Form14: the one-shot settings (video extension, player width, automatic
// start). Every change is pushed at once into the generator's mirrors; the
// screen is hidden, never unloaded, by its own buttons, so the settings last
// for the whole run.
const form::ScreenDef& oneShotSettingsScreen();

}  // namespace screens
