// The help's HTML as the help window shows it.
#pragma once

#include <QByteArray>
#include <QString>

namespace kelvqt {

// The help file's bytes as text, in the encoding the file declares (UTF-8
// when it declares none), with its full-width spaces kept.
QString helpHtml(const QByteArray& bytes);

// Full-width spaces in the text stay as they are written (the screens'
// titles hold them), where HTML would fold each into one narrow space. Tags
// and their attributes are left alone.
QString keepFullWidthSpaces(const QString& html);

}  // namespace kelvqt
