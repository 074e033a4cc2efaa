// The pictures of a screen's picture and image controls, from the program's
// resources.
#pragma once

#include "form/screen_def.h"

namespace kelvqt {

class ScreenWindow;

// Shows each declared picture in its control, drawn at the control's size;
// the window's controls must have their sizes.
void showPictures(const form::ScreenDef& def, ScreenWindow& win);

}  // namespace kelvqt
