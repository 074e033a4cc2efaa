// How assistive technology sees the help window's parts: the body as a
// document it can read through, and the find bar's announcement as a
// notification.
#pragma once

class QWidget;

namespace kelvqt {

// Marks a widget as a notification: shown, it is said at once.
inline const char* const announcementProperty = "kelvoraAnnouncement";

// Installs the accessibility factory for the help window's parts, once in a
// run, before the first help window is made.
void installHelpAccessibility();

}  // namespace kelvqt
