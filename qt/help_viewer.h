// Shows the help file. The programs pass only its bare name; the viewer looks
// for it beside the program first, then in ../share/kelvora beside the
// program's folder (an unpacked archive or any install prefix), then in the
// data folder of the build's install prefix, and says so itself when it
// finds none.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <optional>

namespace kelvqt {

// The folders searched, in order, for a program that lies in programFolder.
// KELVORA_HELP_DIR, when set and not empty, is searched before all others.
QStringList helpFolders(const QString& programFolder);

// Where the help file is found in the folders, or an empty string.
QString findHelpFileIn(const QStringList& folders, const QString& name);

// Where the help file is found for the running program, or an empty string.
QString findHelpFile(const QString& name);

// Replaces the folders searched by findHelpFile; std::nullopt restores the
// usual search. For tests.
void setHelpFoldersForTesting(std::optional<QStringList> folders);

// Opens the help at its contents in a window owned by owner (one per owner:
// a second call raises it and goes back to the contents). Without a help
// file, a message owned by owner says so and the caller goes on.
void showHelpFile(QWidget* owner, const QString& name, int command);

}  // namespace kelvqt
