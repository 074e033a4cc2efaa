// Shows the help file. The programs pass only its bare name; the viewer looks
// for it beside the program first, then in the installed data folder, and
// says so itself when it finds none.
#pragma once

#include <QString>
#include <QWidget>

namespace kelvqt {

// Where the help file is found, or an empty string.
QString findHelpFile(const QString& name);

void showHelpFile(QWidget* owner, const QString& name, int command);

}  // namespace kelvqt
