// The body of the help window: the help's text, read with its full-width
// spaces kept.
#pragma once

#include <QTextBrowser>

namespace kelvqt {

// The keyboard works the text as a browser's caret mode does: the arrows
// move a caret, Return follows the link the caret is on, and Tab goes on to
// the window's buttons and find bar at once rather than from link to link.
class HelpText : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    // Moves the text cursor without scrolling to it.
    void setCursorInPlace(const QTextCursor& cursor);

protected:
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;
    QVariant loadResource(int type, const QUrl& name) override;
};

}  // namespace kelvqt
