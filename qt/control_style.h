// How a declared control looks: its tip, font and colours.
#pragma once

#include <QWidget>

#include "form/screen_def.h"

namespace kelvqt {

// Gives the widget the tip, font and colours its declaration asks for;
// what it does not ask for stays as the desktop's style has it.
void styleControl(QWidget* w, const form::ControlDef& c, double fontScale = 1);

}  // namespace kelvqt
