#include "qt/help_text.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QScrollBar>
#include <QUrl>

#include "qt/help_html.h"

namespace kelvqt {

void HelpText::setCursorInPlace(const QTextCursor& cursor)
{
    const int across = horizontalScrollBar()->value();
    const int down = verticalScrollBar()->value();
    setTextCursor(cursor);
    horizontalScrollBar()->setValue(across);
    verticalScrollBar()->setValue(down);
}

bool HelpText::focusNextPrevChild(bool next)
{
    return QTextEdit::focusNextPrevChild(next);
}

void HelpText::keyPressEvent(QKeyEvent* event)
{
    const QTextCursor caret = textCursor();
    const bool followKey = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (followKey && !caret.hasSelection() && caret.charFormat().isAnchor()) {
        const QUrl link = source().resolved(QUrl(caret.charFormat().anchorHref()));
        if (link.scheme() == QLatin1String("http") || link.scheme() == QLatin1String("https")) {
            QDesktopServices::openUrl(link);
        } else {
            setSource(link);
        }
        event->accept();
        return;
    }
    QTextBrowser::keyPressEvent(event);
}

QVariant HelpText::loadResource(int type, const QUrl& name)
{
    const QVariant loaded = QTextBrowser::loadResource(type, name);
    if (type != QTextDocument::HtmlResource || loaded.typeId() != QMetaType::QByteArray) {
        return loaded;
    }
    return helpHtml(loaded.toByteArray());
}

}  // namespace kelvqt
