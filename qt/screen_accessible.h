// How assistive technology sees a screen's window: what it says of the
// window and of each control, and the parts that the toolkit's own objects
// would get wrong (the window, an option group's box and a surface whose
// click is an event of the screen).
#pragma once

#include <QAccessible>
#include <QString>

#include "form/form.h"

class QObject;

namespace kelvqt {

class ScreenWindow;

// The accessibility factory for those parts; null for every other object.
QAccessibleInterface* screenWindowAccessible(const QString& className, QObject* object);

// Sets the names and descriptions of the window and its controls from the
// model as it is now.
void describeScreen(form::Form& f, ScreenWindow& win);

}  // namespace kelvqt
