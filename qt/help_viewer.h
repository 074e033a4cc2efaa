// Shows the help file. The programs pass only its bare name; the viewer looks
// for it beside the program first, then in ../share/kelvora beside the
// program's folder (an unpacked archive or any install prefix), then in the
// data folder of the build's install prefix, and says so itself when it
// finds none.
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
#include <QStringList>
#include <QWidget>

#include <optional>

namespace kelvqt {

// The folders searched, in order, for a program that lies in programFolder.
QStringList helpFolders(const QString& programFolder);

// Where the help file is found in the folders, or an empty string.
QString findHelpFileIn(const QStringList& folders, const QString& name);

// Where the help file is found for the running program, or an empty string.
QString findHelpFile(const QString& name);

// Replaces the folders searched by findHelpFile; std::nullopt restores the
// usual search. For tests.
void setHelpFoldersForTesting(std::optional<QStringList> folders);

// Opens the help at its contents in a window owned by owner (one per owner:
// a second call raises it and goes back to the contents, at the size it has).
// Without a help file, a message owned by owner says so and the caller goes on.
void showHelpFile(QWidget* owner, const QString& name, int command);

// The help's HTML as the window shows it: full-width spaces in the text stay
// as they are written (the screens' titles hold them), where HTML would fold
// each into one narrow space. Tags and their attributes are left alone.
QString keepFullWidthSpaces(const QString& html);

// The size and text size a new help window opens with: what the user last
// gave one in this run, or the first-run defaults.
QSize helpWindowSize();
qreal helpTextSize();

// Forgets what the run remembered, as at start-up. For tests.
void forgetHelpWindowForTesting();

}  // namespace kelvqt
