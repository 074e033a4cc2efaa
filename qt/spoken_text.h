// Text as assistive technology reads it, for the program's line edits and
// the help's text. The toolkit's own accessible line edit stops answering
// when a screen reader asks for the word at the start of Japanese text, and
// gives each run of text attributes no length, which makes a screen reader
// leave out the last character of a field. These objects answer every
// question from the text itself, without loops that can fail to end.
#pragma once

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLineEdit>
#include <QString>

namespace kelvqt {

// The piece of `text` around, before or after `offset` by the boundary
// asked for; the offsets of what is returned go to start and end.
QString textAround(const QString& text, int offset, QAccessible::TextBoundaryType boundary, int* start, int* end);
QString textBefore(const QString& text, int offset, QAccessible::TextBoundaryType boundary, int* start, int* end);
QString textAfter(const QString& text, int offset, QAccessible::TextBoundaryType boundary, int* start, int* end);

// A line edit whose focus by Tab or a shortcut is told to assistive
// technology before its text is selected, as a screen reader needs it to
// say which field it is in; the text is then selected as the toolkit does.
class SpokenLineEdit : public QLineEdit {
    Q_OBJECT  // a class name of its own, which assistive technology's lookup goes by
        public : explicit SpokenLineEdit(QWidget* parent = nullptr);

protected:
    void focusInEvent(QFocusEvent* event) override;
};

// The accessible object of a line edit: an editable text whose changes go
// through the widget, so that they reach the program as typing does.
class SpokenLineEditAccessible : public QAccessibleWidget,
                                 public QAccessibleTextInterface,
                                 public QAccessibleEditableTextInterface {
public:
    explicit SpokenLineEditAccessible(QLineEdit* edit);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text t, const QString& text) override;

    void selection(int index, int* start, int* end) const override;
    int selectionCount() const override;
    void addSelection(int start, int end) override;
    void removeSelection(int index) override;
    void setSelection(int index, int start, int end) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int start, int end) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary, int* start, int* end) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundary, int* start, int* end) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int* start, int* end) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int start, int end) override;
    QString attributes(int offset, int* start, int* end) const override;

    void deleteText(int start, int end) override;
    void insertText(int offset, const QString& text) override;
    void replaceText(int start, int end, const QString& text) override;

private:
    QLineEdit* edit() const;
};

// Makes assistive technology use these objects for every line edit that
// shows its text, and keeps back the text events it could not use (see
// spoken_text.cpp); call before the first one is asked for its accessible
// object.
void installSpokenText();

}  // namespace kelvqt
