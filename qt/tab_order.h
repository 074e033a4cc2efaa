// The keyboard order of a screen's window, as its declaration gives it.
#pragma once

#include <QWidget>

#include "form/screen_def.h"

namespace kelvqt {

class ScreenWindow;

// Whether the keyboard's focus reaches the control at all.
void setFocusPolicyAsDeclared(QWidget* w, const form::ScreenDef& def, const form::ControlDef& c);

// Chains the window's controls in the declared order and puts the focus on
// the first.
void setTabOrderAsDeclared(const form::ScreenDef& def, ScreenWindow& win);

}  // namespace kelvqt
