#include "qt/help_find_bar.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTextBlock>
#include <QTimer>

#include "qt/help_accessible.h"
#include "qt/help_button.h"
#include "qt/help_text.h"
#include "qt/spoken_text.h"

namespace kelvqt {

namespace {

// The sentence of a paragraph that holds the match: what a reader who
// cannot see the mark needs to hear of it.
QString sentenceAround(const QTextCursor& match)
{
    const QString paragraph = match.block().text();
    const int from = match.selectionStart() - match.block().position();
    const int to = match.selectionEnd() - match.block().position();
    const int start = from > 0 ? paragraph.lastIndexOf(QStringLiteral("。"), from - 1) + 1 : 0;
    const int stop = paragraph.indexOf(QStringLiteral("。"), to);
    return paragraph.mid(start, stop < 0 ? -1 : stop + 1 - start).trimmed();
}

}  // namespace

HelpFindBar::HelpFindBar(HelpText* text, QAction* findPrevious, QAction* findNext, QAction* findClose, QWidget* parent)
    : QWidget(parent), text_(text)
{
    setObjectName(QStringLiteral("helpFindBar"));
    findField_ = new SpokenLineEdit(this);
    findField_->setObjectName(QStringLiteral("helpFind"));
    findField_->setAccessibleName(QStringLiteral("探す言葉"));
    findField_->setAccessibleDescription(QStringLiteral("Enter で次を、Shift+Enter で前を探します"));
    findField_->setPlaceholderText(QStringLiteral("探す言葉"));
    findField_->setClearButtonEnabled(true);
    findField_->installEventFilter(this);
    auto* findLabel = new QLabel(QStringLiteral("検索："), this);
    findLabel->setBuddy(findField_);
    announcement_ = new QWidget(this);
    announcement_->setObjectName(QStringLiteral("helpAnnouncement"));
    announcement_->setProperty(announcementProperty, true);
    announcement_->setFixedSize(1, 1);
    announcement_->setFocusPolicy(Qt::NoFocus);
    announcement_->hide();
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("helpFindStatus"));
    connect(findField_, &QLineEdit::textEdited, this, [this] { find(false, false); });
    auto* findRow = new QHBoxLayout(this);
    findRow->setContentsMargins(4, 0, 4, 4);
    findRow->addWidget(findLabel);
    findRow->addWidget(findField_, 1);
    findRow->addWidget(helpButton(findPrevious, QStringLiteral("helpFindPrevious"), QStringLiteral("前を検索"), this));
    findRow->addWidget(helpButton(findNext, QStringLiteral("helpFindNext"), QStringLiteral("次を検索"), this));
    findRow->addWidget(status_, 1);
    findRow->addWidget(helpButton(findClose, QStringLiteral("helpFindClose"), QStringLiteral("検索を閉じる"), this));
    hide();
}

bool HelpFindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == findField_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Escape:
            // Esc in the find field closes the find bar; a second Esc, in
            // the text, closes the window.
            closeFind();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            find(key->modifiers() & Qt::ShiftModifier, true);
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void HelpFindBar::openFind()
{
    show();
    findField_->setFocus(Qt::ShortcutFocusReason);
    // Selected once the focus has been told, as the field does it itself.
    QTimer::singleShot(0, findField_, [field = findField_] { field->selectAll(); });
}

void HelpFindBar::closeFind()
{
    hide();
    showStatus({}, false);
    text_->setFocus(Qt::OtherFocusReason);
}

// Where a search begins: from the match on show, or from the part of the
// page in view when the match is out of sight (the user has gone elsewhere
// since). Typing searches from the match's start, so that it grows in place;
// next and previous go past it.
QTextCursor HelpFindBar::searchStart(bool backward, bool again) const
{
    const QTextCursor current = text_->textCursor();
    const QRect view = text_->viewport()->rect();
    if (current.hasSelection() && view.intersects(text_->cursorRect(current))) {
        QTextCursor from(text_->document());
        from.setPosition(again && !backward ? current.selectionEnd() : current.selectionStart());
        return from;
    }
    return text_->cursorForPosition(backward ? view.bottomRight() : view.topLeft());
}

void HelpFindBar::find(bool backward, bool again)
{
    if (isHidden()) {
        openFind();
    }
    const QString word = findField_->text();
    QTextCursor found;
    QString note;
    if (!word.isEmpty()) {
        const QTextDocument::FindFlags flags = backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
        found = text_->document()->find(word, searchStart(backward, again), flags);
        if (found.isNull()) {
            QTextCursor edge(text_->document());
            edge.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
            found = text_->document()->find(word, edge, flags);
            note = backward ? QStringLiteral("末尾に戻って検索しました") : QStringLiteral("先頭に戻って検索しました");
        }
    }
    if (found.isNull()) {
        QTextCursor cursor = text_->textCursor();
        cursor.clearSelection();
        text_->setCursorInPlace(cursor);
        showStatus(word.isEmpty() ? QString() : QStringLiteral("見つかりません"), !word.isEmpty());
        announce(word.isEmpty() ? QString() : QStringLiteral("見つかりません"));
        return;
    }
    text_->setTextCursor(found);
    text_->ensureCursorVisible();
    showStatus(note, false);
    announce(note.isEmpty() ? sentenceAround(found) : note + QStringLiteral("。") + sentenceAround(found));
}

// What a search found is said to a screen reader by a notification that
// appears with it: readers speak a notification as it shows, where a changed
// name or description of the focused part reaches some of them without its
// text. The notification takes no room; the status beside the field shows
// the sighted reader what is to be seen. The focused part's description
// holds the result too, for reading again.
void HelpFindBar::announce(const QString& said)
{
    findField_->setAccessibleDescription(said);
    text_->setAccessibleDescription(said);
    announcement_->hide();
    if (!said.isEmpty()) {
        announcement_->setAccessibleName(said);
        announcement_->show();
    }
}

void HelpFindBar::showStatus(const QString& text, bool failed)
{
    status_->setText(text);
    status_->setStyleSheet(failed ? QStringLiteral("color: #b03030; font-weight: bold;") : QString());
    findField_->setStyleSheet(failed ? QStringLiteral("QLineEdit { background-color: #ffe4e4; }") : QString());
}

}  // namespace kelvqt
