#include "qt/spoken_text.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextBoundaryFinder>
#include <QTimer>

#include <algorithm>

namespace kelvqt {

namespace {

// Where the piece of the given kind that holds `offset` starts and ends.
void pieceAt(const QString& text, int offset, QAccessible::TextBoundaryType boundary, int& start, int& end)
{
    const int length = static_cast<int>(text.size());
    const int at = std::clamp(offset, 0, length);
    start = 0;
    end = length;
    if (length == 0 || boundary == QAccessible::NoBoundary) {
        return;
    }
    if (boundary == QAccessible::LineBoundary || boundary == QAccessible::ParagraphBoundary) {
        // A line ends with its line break; the last one at the text's end.
        start = at > 0 ? static_cast<int>(text.lastIndexOf(QLatin1Char('\n'), at - 1)) + 1 : 0;
        const int lineBreak = static_cast<int>(text.indexOf(QLatin1Char('\n'), at));
        end = lineBreak < 0 ? length : lineBreak + 1;
        if (at == length && start == length && length > 0) {
            pieceAt(text, length - 1, boundary, start, end);
        }
        return;
    }
    const QTextBoundaryFinder::BoundaryType type = boundary == QAccessible::CharBoundary ? QTextBoundaryFinder::Grapheme
                                                   : boundary == QAccessible::WordBoundary
                                                       ? QTextBoundaryFinder::Word
                                                       : QTextBoundaryFinder::Sentence;
    QTextBoundaryFinder finder(type, text);
    // At the very end, the last piece.
    const int from = at == length ? length - 1 : at;
    finder.setPosition(from);
    start = finder.isAtBoundary() ? from : static_cast<int>(finder.toPreviousBoundary());
    finder.setPosition(from);
    end = static_cast<int>(finder.toNextBoundary());
    start = start < 0 ? 0 : start;
    end = end < 0 || end <= start ? std::min(length, start + 1) : end;
}

}  // namespace

QString textAround(const QString& text, int offset, QAccessible::TextBoundaryType boundary, int* start, int* end)
{
    pieceAt(text, offset, boundary, *start, *end);
    return text.mid(*start, *end - *start);
}

QString textBefore(const QString& text, int offset, QAccessible::TextBoundaryType boundary, int* start, int* end)
{
    int s = 0;
    int e = 0;
    pieceAt(text, offset, boundary, s, e);
    if (s <= 0 || boundary == QAccessible::NoBoundary) {
        *start = *end = 0;
        return {};
    }
    return textAround(text, s - 1, boundary, start, end);
}

QString textAfter(const QString& text, int offset, QAccessible::TextBoundaryType boundary, int* start, int* end)
{
    int s = 0;
    int e = 0;
    pieceAt(text, offset, boundary, s, e);
    const int length = static_cast<int>(text.size());
    if (e >= length || boundary == QAccessible::NoBoundary) {
        *start = *end = length;
        return {};
    }
    return textAround(text, e, boundary, start, end);
}

SpokenLineEdit::SpokenLineEdit(QWidget* parent) : QLineEdit(parent) {}

void SpokenLineEdit::focusInEvent(QFocusEvent* event)
{
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason && reason != Qt::ShortcutFocusReason) {
        QLineEdit::focusInEvent(event);
        return;
    }
    // The toolkit would select the text now, and tell assistive technology
    // of the moved caret before it tells of the focus; a screen reader then
    // takes the field as focused already and never says which it is. A
    // read-only field's text is not selected at all: nothing can be typed
    // over it, and a screen reader reads it whole anyway.
    QFocusEvent later(event->type(), Qt::OtherFocusReason);
    QLineEdit::focusInEvent(&later);
    if (isReadOnly()) {
        return;
    }
    QTimer::singleShot(0, this, [this] {
        if (hasFocus() && !hasSelectedText()) {
            selectAll();
        }
    });
}

SpokenLineEditAccessible::SpokenLineEditAccessible(QLineEdit* edit) : QAccessibleWidget(edit, QAccessible::EditableText)
{
}

QLineEdit* SpokenLineEditAccessible::edit() const
{
    return static_cast<QLineEdit*>(widget());
}

void* SpokenLineEditAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface) {
        return static_cast<QAccessibleTextInterface*>(this);
    }
    if (type == QAccessible::EditableTextInterface) {
        return static_cast<QAccessibleEditableTextInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State SpokenLineEditAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = edit()->isReadOnly();
    s.editable = !edit()->isReadOnly();
    s.selectableText = true;
    s.hasPopup = false;
    return s;
}

QString SpokenLineEditAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value) {
        return edit()->text();
    }
    return QAccessibleWidget::text(t);
}

void SpokenLineEditAccessible::setText(QAccessible::Text t, const QString& text)
{
    if (t != QAccessible::Value) {
        QAccessibleWidget::setText(t, text);
        return;
    }
    edit()->setText(text);
}

void SpokenLineEditAccessible::selection(int index, int* start, int* end) const
{
    *start = *end = 0;
    if (index == 0 && edit()->hasSelectedText()) {
        *start = edit()->selectionStart();
        *end = *start + static_cast<int>(edit()->selectedText().size());
    }
}

int SpokenLineEditAccessible::selectionCount() const
{
    return edit()->hasSelectedText() ? 1 : 0;
}

void SpokenLineEditAccessible::addSelection(int start, int end)
{
    setSelection(0, start, end);
}

void SpokenLineEditAccessible::removeSelection(int)
{
    edit()->deselect();
}

void SpokenLineEditAccessible::setSelection(int, int start, int end)
{
    const int length = characterCount();
    start = std::clamp(start, 0, length);
    end = std::clamp(end, 0, length);
    edit()->setSelection(start, end - start);
}

int SpokenLineEditAccessible::cursorPosition() const
{
    return edit()->cursorPosition();
}

void SpokenLineEditAccessible::setCursorPosition(int position)
{
    edit()->setCursorPosition(std::clamp(position, 0, characterCount()));
}

QString SpokenLineEditAccessible::text(int start, int end) const
{
    const QString all = edit()->text();
    const int length = static_cast<int>(all.size());
    start = std::clamp(start, 0, length);
    end = end < 0 ? length : std::clamp(end, start, length);
    return all.mid(start, end - start);
}

QString SpokenLineEditAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                                                   int* end) const
{
    return textBefore(edit()->text(), offset, boundary, start, end);
}

QString SpokenLineEditAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                                                  int* end) const
{
    return textAfter(edit()->text(), offset, boundary, start, end);
}

QString SpokenLineEditAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                                               int* end) const
{
    return textAround(edit()->text(), offset, boundary, start, end);
}

int SpokenLineEditAccessible::characterCount() const
{
    return static_cast<int>(edit()->text().size());
}

QRect SpokenLineEditAccessible::characterRect(int offset) const
{
    // Where the character is drawn, taking the field's frame and margins
    // into account; a text scrolled sideways is taken as unscrolled.
    const QString all = edit()->text();
    offset = std::clamp(offset, 0, static_cast<int>(all.size()));
    QStyleOptionFrame option;
    option.initFrom(edit());
    const QRect inside = edit()->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit());
    const QFontMetrics metrics(edit()->font());
    const int x = inside.left() + edit()->textMargins().left() + 2 + metrics.horizontalAdvance(all.left(offset));
    const int width = offset < all.size() ? metrics.horizontalAdvance(all.at(offset)) : 1;
    const QRect local(x, inside.top() + (inside.height() - metrics.height()) / 2, width, metrics.height());
    return QRect(edit()->mapToGlobal(local.topLeft()), local.size());
}

int SpokenLineEditAccessible::offsetAtPoint(const QPoint& point) const
{
    const QPoint local = edit()->mapFromGlobal(point);
    return edit()->rect().contains(local) ? edit()->cursorPositionAt(local) : -1;
}

void SpokenLineEditAccessible::scrollToSubstring(int start, int)
{
    setCursorPosition(start);
}

QString SpokenLineEditAccessible::attributes(int, int* start, int* end) const
{
    // One run of plain text, the whole field long.
    *start = 0;
    *end = characterCount();
    return {};
}

void SpokenLineEditAccessible::deleteText(int start, int end)
{
    replaceText(start, end, QString());
}

void SpokenLineEditAccessible::insertText(int offset, const QString& text)
{
    replaceText(offset, offset, text);
}

void SpokenLineEditAccessible::replaceText(int start, int end, const QString& text)
{
    // Through the widget, which reports the change like any other.
    QString all = edit()->text();
    const int length = static_cast<int>(all.size());
    start = std::clamp(start, 0, length);
    end = std::clamp(end, start, length);
    edit()->setText(all.replace(start, end - start, text));
}

namespace {

// Every line edit of the program, the dialogs' own included (a file name is
// Japanese as often as a field is); hidden input is left to the toolkit.
QAccessibleInterface* spokenTextAccessible(const QString&, QObject* object)
{
    auto* edit = qobject_cast<QLineEdit*>(object);
    if (edit != nullptr && edit->echoMode() == QLineEdit::Normal) {
        return new SpokenLineEditAccessible(edit);
    }
    return nullptr;
}

// Whether an event tells assistive technology nothing it could use: a text
// change in a window nobody can see (one being built before it is shown, or
// one switched away from), or a caret that moved in a field without the
// focus, as it does whenever the program sets a field's text. A screen reader
// reads a window's fields when it appears and follows only the focused
// field's caret. Each of these events costs it several questions to the
// program all the same, and on a busy machine the window it should present
// came many seconds late. Worse, a caret event of a field that takes the
// focus before the screen reader has caught up makes it take that field as
// focused already, and it never says the field's name.
bool nothingToTell(const QAccessibleEvent* event)
{
    QObject* object = event->object();
    if (object == nullptr || !object->isWidgetType()) {
        return false;
    }
    const auto* widget = static_cast<const QWidget*>(object);
    switch (event->type()) {
    case QAccessible::TextCaretMoved:
    case QAccessible::TextSelectionChanged:
        return !widget->hasFocus();
    case QAccessible::TextInserted:
    case QAccessible::TextRemoved:
    case QAccessible::TextUpdated:
        return !widget->window()->isVisible();
    default:
        return false;
    }
}

QAccessible::UpdateHandler passOn = nullptr;

void toldIfSeen(QAccessibleEvent* event)
{
    if (nothingToTell(event)) {
        return;
    }
    if (passOn != nullptr) {
        passOn(event);
        return;
    }
    // No handler before this one: the toolkit hands the event to the
    // platform's bridge when none is installed.
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(toldIfSeen);
}

}  // namespace

void installSpokenText()
{
    static const bool installed = [] {
        QAccessible::installFactory(spokenTextAccessible);
        passOn = QAccessible::installUpdateHandler(toldIfSeen);
        return true;
    }();
    (void)installed;
}

}  // namespace kelvqt
