// Shows the help file (help_file.h says where it is looked for) in a help
// window, or says itself that it finds none.
//
// The help window works as people expect one to: back, forward and 目次
// buttons (Alt+Left, Alt+Right), find in the page (Ctrl+F, F3, Shift+F3,
// wrapping around, 「見つかりません」 shown in the window), text size
// (Ctrl+plus, Ctrl+minus) and Esc to close. Esc in the find field closes the
// find bar first. The size the user gives the window and the text size are
// kept in memory for the rest of the run; nothing is written anywhere.
#pragma once

#include <QSize>
#include <QString>
#include <QWidget>

namespace kelvqt {

// Opens the help at its contents in a window owned by owner (one per owner:
// a second call raises it and goes back to the contents, at the size it has).
// Without a help file, a message owned by owner says so and the caller goes on.
void showHelpFile(QWidget* owner, const QString& name, int command);

// The size a new help window opens with: what the user last gave one in this
// run, or the first-run default.
QSize helpWindowSize();

// Forgets what the run remembered, as at start-up. For tests.
void forgetHelpWindowForTesting();

}  // namespace kelvqt
