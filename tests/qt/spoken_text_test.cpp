// What a screen reader asks of a field's text: pieces by character, word,
// line and the whole, Japanese text included, and one run of attributes as
// long as the text, so that it reads every character.
#include <QAccessible>
#include <QLineEdit>

#include <gtest/gtest.h>

#include "app/catalog.h"
#include "qt/gui_support.h"
#include "qt/spoken_text.h"

using gui::GuiProgram;

TEST(SpokenText, PiecesAroundBeforeAndAfterAnOffset)
{
    const QString japanese = QStringLiteral("家族の映像です。");
    struct Case {
        QString text;
        int offset;
        QAccessible::TextBoundaryType boundary;
        QString around, before, after;
    };
    const Case cases[] = {
        {QStringLiteral("kyou01.wmv"), 0, QAccessible::CharBoundary, "k", "", "y"},
        {QStringLiteral("kyou01.wmv"), 10, QAccessible::CharBoundary, "v", "m", ""},
        {QStringLiteral("424"), 0, QAccessible::LineBoundary, "424", "", ""},
        {QStringLiteral("424"), 3, QAccessible::NoBoundary, "424", "", ""},
        {QStringLiteral("ab cd"), 4, QAccessible::WordBoundary, "cd", " ", ""},
        {QStringLiteral("one\ntwo"), 5, QAccessible::LineBoundary, "two", "one\n", ""},
        // The start of Japanese text, where the toolkit's own answer never came.
        {japanese, 0, QAccessible::CharBoundary, QStringLiteral("家"), "", QStringLiteral("族")},
        {QString(), 0, QAccessible::WordBoundary, "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString() + " at " + std::to_string(c.offset));
        int start = -1;
        int end = -1;
        EXPECT_EQ(kelvqt::textAround(c.text, c.offset, c.boundary, &start, &end), c.around);
        EXPECT_EQ(c.text.mid(start, end - start), c.around);
        EXPECT_EQ(kelvqt::textBefore(c.text, c.offset, c.boundary, &start, &end), c.before);
        EXPECT_EQ(kelvqt::textAfter(c.text, c.offset, c.boundary, &start, &end), c.after);
    }
    // Every offset and kind of piece answers, and each piece holds its offset.
    for (const auto boundary : {QAccessible::CharBoundary, QAccessible::WordBoundary, QAccessible::SentenceBoundary,
                                QAccessible::LineBoundary}) {
        for (int offset = 0; offset < japanese.size(); ++offset) {
            int start = -1;
            int end = -1;
            EXPECT_FALSE(kelvqt::textAround(japanese, offset, boundary, &start, &end).isEmpty());
            EXPECT_LE(start, offset);
            EXPECT_GT(end, offset);
        }
    }
}

TEST(SpokenText, AFieldIsReadWholeAndEditedThroughTheWidget)
{
    GuiProgram g(app::kelvoraProgram());
    g.program.start("Form5");
    auto* comment = g.widget<QLineEdit>("Form5", "Text2");
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(comment);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::EditableText);
    QAccessibleEditableTextInterface* editing = iface->editableTextInterface();
    ASSERT_NE(editing, nullptr);
    editing->insertText(0, QStringLiteral("家族の映像です。"));
    // The change reached the program and its preview as typing does.
    EXPECT_EQ(g.program.find("Form5")->text("Text3"), "家族の映像です。");
    QAccessibleTextInterface* reading = iface->textInterface();
    int start = -1;
    int end = -1;
    EXPECT_EQ(reading->attributes(3, &start, &end), QString());
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 8);
    EXPECT_EQ(reading->textAtOffset(0, QAccessible::WordBoundary, &start, &end).isEmpty(), false);
    editing->replaceText(0, 2, QStringLiteral("僕"));
    EXPECT_EQ(comment->text(), QStringLiteral("僕の映像です。"));
    editing->deleteText(0, 1);
    EXPECT_EQ(g.program.find("Form5")->text("Text2"), "の映像です。");
}

// The dialogs' own fields too: the save dialog's file name is read whole, and
// Japanese at its start answers at once.
TEST(SpokenText, EveryLineEditOfTheProgramAnswersTheSameWay)
{
    kelvqt::installSpokenText();
    QLineEdit fileName;
    fileName.setText(QStringLiteral("家族旅行.asx"));
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&fileName);
    ASSERT_NE(iface, nullptr);
    QAccessibleTextInterface* reading = iface->textInterface();
    ASSERT_NE(reading, nullptr);
    int start = -1;
    int end = -1;
    EXPECT_FALSE(reading->textAtOffset(0, QAccessible::WordBoundary, &start, &end).isEmpty());
    reading->attributes(0, &start, &end);
    EXPECT_EQ(end, 8);
    // Hidden input stays the toolkit's.
    QLineEdit secret;
    secret.setEchoMode(QLineEdit::Password);
    EXPECT_EQ(dynamic_cast<kelvqt::SpokenLineEditAccessible*>(QAccessible::queryAccessibleInterface(&secret)), nullptr);
}
