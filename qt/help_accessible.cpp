#include "qt/help_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QTextCursor>

#include <algorithm>

#include "qt/help_text.h"
#include "qt/spoken_text.h"

namespace kelvqt {

namespace {

// The help's text to assistive technology: a document with a caret, read
// by lines, words and characters as the arrows move through it, so that a
// screen reader can read it through, where a browser's text would be one
// label. Offsets are those of the document's plain text.
class HelpBodyAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit HelpBodyAccessible(QTextBrowser* body) : QAccessibleWidget(body, QAccessible::Document) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.multiLine = true;
        s.focusable = true;
        return s;
    }

    // Selections: the one of the text cursor.
    void selection(int index, int* start, int* end) const override
    {
        const QTextCursor c = body()->textCursor();
        *start = index == 0 && c.hasSelection() ? c.selectionStart() : 0;
        *end = index == 0 && c.hasSelection() ? c.selectionEnd() : 0;
    }
    int selectionCount() const override { return body()->textCursor().hasSelection() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override
    {
        QTextCursor c = body()->textCursor();
        c.clearSelection();
        body()->setTextCursor(c);
    }
    void setSelection(int, int start, int end) override
    {
        QTextCursor c = cursorAt(start);
        c.setPosition(clamped(end), QTextCursor::KeepAnchor);
        body()->setTextCursor(c);
    }

    int cursorPosition() const override { return body()->textCursor().position(); }
    void setCursorPosition(int position) override { body()->setTextCursor(cursorAt(position)); }

    QString text(int start, int end) const override
    {
        QTextCursor c = cursorAt(start);
        c.setPosition(clamped(end), QTextCursor::KeepAnchor);
        // Paragraphs end in a line break, as a reader expects.
        return c.selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    }
    int characterCount() const override { return std::max(0, body()->document()->characterCount() - 1); }

    QRect characterRect(int offset) const override
    {
        const QRect r = body()->cursorRect(cursorAt(offset));
        return QRect(body()->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        return body()->cursorForPosition(body()->viewport()->mapFromGlobal(point)).position();
    }
    void scrollToSubstring(int start, int) override
    {
        QTextCursor c = cursorAt(start);
        body()->setTextCursor(c);
        body()->ensureCursorVisible();
    }
    QString attributes(int, int* start, int* end) const override
    {
        // One run of plain text; a run of no length would cut what a
        // screen reader reads of a line short.
        *start = 0;
        *end = characterCount();
        return {};
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary, int* start, int* end) const override
    {
        return textBefore(text(0, characterCount()), offset, boundary, start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundary, int* start, int* end) const override
    {
        return textAfter(text(0, characterCount()), offset, boundary, start, end);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int* start, int* end) const override
    {
        return textAround(text(0, characterCount()), offset, boundary, start, end);
    }

private:
    QTextBrowser* body() const { return static_cast<QTextBrowser*>(widget()); }
    int clamped(int offset) const { return std::clamp(offset, 0, characterCount()); }
    QTextCursor cursorAt(int offset) const
    {
        QTextCursor c(body()->document());
        c.setPosition(clamped(offset));
        return c;
    }
};

QAccessibleInterface* helpBodyAccessible(const QString&, QObject* object)
{
    if (auto* body = dynamic_cast<HelpText*>(object)) {
        return new HelpBodyAccessible(body);
    }
    auto* w = qobject_cast<QWidget*>(object);
    if (w != nullptr && w->property(announcementProperty).toBool()) {
        return new QAccessibleWidget(w, QAccessible::Notification);
    }
    return nullptr;
}

}  // namespace

void installHelpAccessibility()
{
    static const bool bodyAccessible = [] {
        QAccessible::installFactory(helpBodyAccessible);
        installSpokenText();
        return true;
    }();
    (void)bodyAccessible;
}

}  // namespace kelvqt
