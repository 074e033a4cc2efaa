// Where the help file is. The programs pass only its bare name; it is
// looked for beside the program first, then in ../share/kelvora beside the
// program's folder (an unpacked archive or any install prefix), then in the
// data folder of the build's install prefix.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

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

// Says, in a message owned by owner, that the help file was not found (path
// empty: with the folders searched) or could not be read (at path).
void showHelpFileMissing(QWidget* owner, const QString& name, const QString& path);

}  // namespace kelvqt
