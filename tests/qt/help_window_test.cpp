// The help window as a user works it, offscreen with the real widgets: links,
// back, forward and 目次 with their buttons and keys; find in the page with
// Ctrl+F, typing, F3 and Shift+F3 round the page, 「見つかりません」 in the
// window; Esc; text size; the size kept while open and remembered for the run;
// a Japanese name for every part that takes the focus.
#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolButton>

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "app/catalog.h"
#include "qt/gui_support.h"
#include "qt/help_viewer.h"

using gui::GuiProgram;

namespace {

class HelpWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        kelvqt::forgetHelpWindowForTesting();
        g.program.show("Form2");
        pressHelp();
        ASSERT_NE(viewer, nullptr);
    }

    void TearDown() override { kelvqt::forgetHelpWindowForTesting(); }

    // The screen's "?".
    void pressHelp(const std::string& screen = "Form2", const std::string& button = "Command4")
    {
        g.click(screen, button);
        viewer = g.window(screen)->findChild<QDialog*>(QStringLiteral("helpViewer"), Qt::FindDirectChildrenOnly);
        if (viewer != nullptr) {
            viewer->activateWindow();
            (void)QTest::qWaitForWindowActive(viewer);
        }
    }

    template <typename W>
    W* part(const char* name) const
    {
        return viewer->findChild<W*>(QString::fromLatin1(name));
    }

    QTextBrowser* text() const { return part<QTextBrowser>("helpText"); }
    QString at() const { return text()->source().fragment(); }
    int scrolled() const { return text()->verticalScrollBar()->value(); }
    bool enabled(const char* button) const { return part<QToolButton>(button)->isEnabled(); }

    // A key as the user presses it, to whatever has the focus in the window.
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* target = viewer->focusWidget() != nullptr ? viewer->focusWidget() : viewer.data();
        QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
        QApplication::processEvents();
    }

    void click(const char* button)
    {
        QTest::mouseClick(part<QToolButton>(button), Qt::LeftButton);
        QApplication::processEvents();
    }

    // Clicks the first link to href, brought into view first as a reader
    // would scroll to it.
    void clickLink(const QString& href)
    {
        QTextBrowser* t = text();
        for (QTextBlock block = t->document()->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                if (fragment.charFormat().anchorHref() != href) {
                    continue;
                }
                QTextCursor middle(t->document());
                middle.setPosition(fragment.position() + fragment.length() / 2);
                if (!t->viewport()->rect().contains(t->cursorRect(middle))) {
                    t->verticalScrollBar()->setValue(
                        int(t->document()->documentLayout()->blockBoundingRect(block).top()));
                }
                scrolledAtClick = scrolled();
                QTest::mouseClick(t->viewport(), Qt::LeftButton, Qt::NoModifier, t->cursorRect(middle).center());
                QApplication::processEvents();
                return;
            }
        }
        ADD_FAILURE() << "no link to " << href.toStdString();
    }

    GuiProgram g{app::kelvoraProgram()};
    QPointer<QDialog> viewer;
    int scrolledAtClick = -1;  // where the page was when the last link was clicked
};

TEST_F(HelpWindow, LinksBackForwardAndContentsFollowTheHistory)
{
    EXPECT_EQ(at(), QStringLiteral("contents"));
    EXPECT_FALSE(enabled("helpBack"));
    EXPECT_FALSE(enabled("helpForward"));
    EXPECT_TRUE(enabled("helpContents"));
    const int atContents = scrolled();

    clickLink(QStringLiteral("#check-play"));
    const int leftContents = scrolledAtClick;
    EXPECT_EQ(at(), QStringLiteral("check-play"));
    EXPECT_GT(scrolled(), leftContents) << "the section is brought into view";
    EXPECT_TRUE(enabled("helpBack"));
    EXPECT_FALSE(enabled("helpForward"));
    const int atSection = scrolled();

    click("helpBack");
    EXPECT_EQ(at(), QStringLiteral("contents"));
    EXPECT_EQ(scrolled(), leftContents) << "back where the reader left the contents";
    EXPECT_FALSE(enabled("helpBack"));
    EXPECT_TRUE(enabled("helpForward"));

    click("helpForward");
    EXPECT_EQ(at(), QStringLiteral("check-play"));
    EXPECT_EQ(scrolled(), atSection);
    EXPECT_FALSE(enabled("helpForward"));

    // A link inside the section, then the keys: one step each.
    clickLink(QStringLiteral("#names"));
    const int leftSection = scrolledAtClick;
    EXPECT_EQ(at(), QStringLiteral("names"));
    const int atNames = scrolled();
    press(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(at(), QStringLiteral("check-play"));
    EXPECT_EQ(scrolled(), leftSection);
    press(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(at(), QStringLiteral("contents"));
    press(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(at(), QStringLiteral("contents")) << "nothing before the first page";
    press(Qt::Key_Right, Qt::AltModifier);
    press(Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(at(), QStringLiteral("names"));
    EXPECT_EQ(scrolled(), atNames);
    EXPECT_FALSE(enabled("helpForward"));

    // 目次 is a step of its own: back returns to where the reader was.
    click("helpContents");
    EXPECT_EQ(at(), QStringLiteral("contents"));
    EXPECT_EQ(scrolled(), atContents);
    EXPECT_FALSE(enabled("helpForward"));
    press(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(at(), QStringLiteral("names"));
    EXPECT_EQ(scrolled(), atNames);
}

TEST_F(HelpWindow, FindGoesRoundThePageBothWays)
{
    QLineEdit* field = part<QLineEdit>("helpFind");
    QLabel* status = part<QLabel>("helpFindStatus");
    ASSERT_NE(field, nullptr);
    ASSERT_NE(status, nullptr);
    EXPECT_FALSE(field->isVisible());

    press(Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(field->isVisible());
    EXPECT_EQ(viewer->focusWidget(), field);

    const QString word = QStringLiteral("VLC");
    const qsizetype matches = text()->document()->toPlainText().count(word, Qt::CaseInsensitive);
    ASSERT_GE(matches, 2) << "the word should appear more than once for the round to mean anything";
    gui::typeText(field, word);
    QApplication::processEvents();
    ASSERT_TRUE(text()->textCursor().hasSelection());
    EXPECT_EQ(text()->textCursor().selectedText(), word);

    // F3 from the first match found: every match once, then round to the first.
    std::vector<int> forward{text()->textCursor().selectionStart()};
    for (qsizetype i = 0; i < matches; ++i) {
        press(Qt::Key_F3);
        forward.push_back(text()->textCursor().selectionStart());
    }
    EXPECT_EQ(forward.back(), forward.front()) << "F3 comes round to the first match";
    EXPECT_EQ(qsizetype(std::set<int>(forward.begin(), forward.end()).size()), matches) << "each match once";
    EXPECT_FALSE(status->text().isEmpty()) << "going round is told";
    EXPECT_NE(status->text(), QStringLiteral("見つかりません"));

    // Shift+F3 visits the same matches in the other order.
    std::vector<int> backward{text()->textCursor().selectionStart()};
    for (qsizetype i = 0; i < matches; ++i) {
        press(Qt::Key_F3, Qt::ShiftModifier);
        backward.push_back(text()->textCursor().selectionStart());
    }
    std::reverse(backward.begin(), backward.end());
    EXPECT_EQ(backward, forward);

    // Enter in the field is the next match too.
    const int before = text()->textCursor().selectionStart();
    press(Qt::Key_Return);
    EXPECT_NE(text()->textCursor().selectionStart(), before);
    EXPECT_TRUE(viewer->isVisible()) << "Enter presses no button of the window";
}

TEST_F(HelpWindow, NothingFoundIsShownInTheWindowAndEscClosesFindThenTheWindow)
{
    press(Qt::Key_F, Qt::ControlModifier);
    QLineEdit* field = part<QLineEdit>("helpFind");
    QLabel* status = part<QLabel>("helpFindStatus");
    gui::typeText(field, QStringLiteral("ありえない言葉ｑｘ"));
    QApplication::processEvents();
    EXPECT_EQ(status->text(), QStringLiteral("見つかりません"));
    EXPECT_TRUE(status->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "no message box for it";
    EXPECT_FALSE(text()->textCursor().hasSelection());
    press(Qt::Key_F3);
    EXPECT_EQ(status->text(), QStringLiteral("見つかりません"));

    // Correcting the word finds again and clears the note.
    gui::retype(field, QStringLiteral("ブラウザー"));
    QApplication::processEvents();
    EXPECT_TRUE(text()->textCursor().hasSelection());
    EXPECT_NE(status->text(), QStringLiteral("見つかりません"));

    press(Qt::Key_Escape);
    ASSERT_FALSE(viewer.isNull()) << "Esc in the field should close the find bar only";
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_FALSE(field->isVisible()) << "Esc in the field closes the find bar";
    EXPECT_EQ(viewer->focusWidget(), text());

    // F3 with the bar closed opens it again on the same word.
    press(Qt::Key_F3);
    EXPECT_TRUE(field->isVisible());
    EXPECT_EQ(field->text(), QStringLiteral("ブラウザー"));

    press(Qt::Key_Escape);
    press(Qt::Key_Escape);
    EXPECT_TRUE(viewer.isNull() || !viewer->isVisible()) << "Esc in the text closes the window";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(viewer.isNull());
    EXPECT_TRUE(g.program.isVisible("Form2"));
    EXPECT_FALSE(g.ended);
}

TEST_F(HelpWindow, EveryKeyForTextSizeChangesTheTextThatIsDrawn)
{
    struct Case {
        const char* what;
        int key;
        Qt::KeyboardModifiers modifiers;
        int direction;
    };
    const Case cases[] = {
        {"Ctrl+plus", Qt::Key_Plus, Qt::ControlModifier, +1},
        {"Ctrl+=", Qt::Key_Equal, Qt::ControlModifier, +1},
        {"Ctrl+Shift+plus", Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier, +1},
        {"Ctrl+keypad plus", Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier, +1},
        {"Ctrl+minus", Qt::Key_Minus, Qt::ControlModifier, -1},
        {"Ctrl+keypad minus", Qt::Key_Minus, Qt::ControlModifier | Qt::KeypadModifier, -1},
    };
    // A paragraph of the manual's body, drawn at its size.
    const auto paragraphHeight = [this] {
        QTextCursor c = text()->document()->find(QStringLiteral("Windows Media Player"));
        return text()->document()->documentLayout()->blockBoundingRect(c.block()).height();
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const qreal size = text()->font().pointSizeF();
        const qreal height = paragraphHeight();
        press(c.key, c.modifiers);
        EXPECT_EQ(c.direction * (text()->font().pointSizeF() - size) > 0, true);
        EXPECT_EQ(c.direction * (paragraphHeight() - height) > 0, true) << "the body text follows the size";
    }
    // The find field has the focus: the keys still reach the window.
    press(Qt::Key_F, Qt::ControlModifier);
    const qreal size = text()->font().pointSizeF();
    press(Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_GT(text()->font().pointSizeF(), size);
    EXPECT_TRUE(part<QLineEdit>("helpFind")->text().isEmpty());

    // There is a largest size, and its button says so.
    for (int i = 0; i < 40; ++i) {
        press(Qt::Key_Plus, Qt::ControlModifier);
    }
    const qreal largest = text()->font().pointSizeF();
    EXPECT_FALSE(enabled("helpLarger"));
    click("helpSmaller");
    EXPECT_LT(text()->font().pointSizeF(), largest);
    EXPECT_TRUE(enabled("helpLarger"));
}

TEST_F(HelpWindow, TheSizeIsKeptWhileOpenAndRememberedForTheRun)
{
    const QSize first = viewer->size();
    EXPECT_EQ(first, kelvqt::helpWindowSize());
    viewer->resize(first + QSize(90, -70));

    // The screen's "?" again: the same window, at the contents, at its size,
    // even when scrolled away without following a link.
    QDialog* open = viewer;
    clickLink(QStringLiteral("#check-play"));
    text()->verticalScrollBar()->setValue(text()->verticalScrollBar()->maximum());
    const int far = scrolled();
    pressHelp();
    EXPECT_EQ(viewer.data(), open);
    EXPECT_EQ(at(), QStringLiteral("contents"));
    EXPECT_LT(scrolled(), far);
    EXPECT_EQ(viewer->size(), first + QSize(90, -70));

    press(Qt::Key_Plus, Qt::ControlModifier);
    const qreal textSize = text()->font().pointSizeF();
    press(Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(viewer.isNull());

    struct Case {
        const char* screen;
        const char* button;
    };
    // The same screen again, and another screen's own window.
    for (const Case& c : {Case{"Form2", "Command4"}, Case{"Form1", "Command5"}}) {
        SCOPED_TRACE(c.screen);
        g.program.show(c.screen);
        pressHelp(c.screen, c.button);
        ASSERT_NE(viewer, nullptr);
        EXPECT_EQ(viewer->size(), first + QSize(90, -70));
        EXPECT_EQ(text()->font().pointSizeF(), textSize);
    }

    // A new run starts from the defaults again.
    kelvqt::forgetHelpWindowForTesting();
    EXPECT_EQ(kelvqt::helpWindowSize(), first);
}

TEST_F(HelpWindow, EveryPartThatTakesTheFocusHasAJapaneseName)
{
    press(Qt::Key_F, Qt::ControlModifier);
    int focusable = 0;
    for (QWidget* w : viewer->findChildren<QWidget*>()) {
        if (w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(viewer)) {
            continue;
        }
        ++focusable;
        const QString spoken = w->accessibleName();
        SCOPED_TRACE(w->objectName().toStdString() + " " + w->metaObject()->className());
        EXPECT_FALSE(spoken.isEmpty());
        EXPECT_TRUE(std::any_of(spoken.cbegin(), spoken.cend(), [](QChar ch) { return ch.unicode() > 0x3000; }))
            << spoken.toStdString();
    }
    EXPECT_GE(focusable, 10);
}

// After following a link, a find starts from the part of the page in view,
// not from the top of the file. KELVORA_HELP_PICTURE=<file> keeps a picture of
// the window as it is then, for the user guide (docs/screenshots/help.png).
TEST_F(HelpWindow, FindStartsFromThePartInView)
{
    viewer->resize(760, 600);
    clickLink(QStringLiteral("#check-play"));
    const int section = text()->document()->find(QStringLiteral("17. 作ったファイルの確認と再生")).selectionStart();
    ASSERT_GT(section, 0);
    const QString word = QStringLiteral("ブラウザー");
    ASSERT_LT(text()->document()->find(word).selectionStart(), section) << "the word should appear before too";

    press(Qt::Key_F, Qt::ControlModifier);
    gui::typeText(part<QLineEdit>("helpFind"), word);
    QApplication::processEvents();
    const QTextCursor found = text()->textCursor();
    EXPECT_EQ(found.selectedText(), word);
    EXPECT_GT(found.selectionStart(), section);
    EXPECT_TRUE(text()->viewport()->rect().contains(text()->cursorRect(found)));
    EXPECT_EQ(at(), QStringLiteral("check-play"));

    const QString picture = qEnvironmentVariable("KELVORA_HELP_PICTURE");
    if (!picture.isEmpty()) {
        const QImage shot = viewer->grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_TRUE(shot.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither).save(picture));
    }
}

}  // namespace

// What a screen reader finds in the window: the text as a document with a
// caret it can read by lines, Tab on to the buttons and the find bar, and
// each search's result said as the focused part's description.
TEST_F(HelpWindow, AScreenReaderReadsTheTextTabsOnAndHearsWhatASearchFound)
{
    QAccessibleInterface* body = QAccessible::queryAccessibleInterface(text());
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->role(), QAccessible::Document);
    QAccessibleTextInterface* reading = body->textInterface();
    ASSERT_NE(reading, nullptr);
    EXPECT_EQ(reading->characterCount(), text()->document()->toPlainText().size());
    EXPECT_TRUE(reading->text(0, reading->characterCount()).contains(QStringLiteral("使い方")));
    // The arrows move a caret the reader follows.
    text()->setFocus();
    press(Qt::Key_Home, Qt::ControlModifier);
    const int start = reading->cursorPosition();
    press(Qt::Key_Down);
    EXPECT_GT(reading->cursorPosition(), start);

    // Return on a link the caret is in follows it.
    QTextCursor onLink;
    for (QTextBlock b = text()->document()->begin(); b.isValid() && onLink.isNull(); b = b.next()) {
        for (auto f = b.begin(); !f.atEnd(); ++f) {
            const QString href = f.fragment().charFormat().anchorHref();
            if (href.startsWith(QLatin1Char('#')) && href != QStringLiteral("#") + at()) {
                onLink = QTextCursor(text()->document());
                onLink.setPosition(f.fragment().position() + 1);
                break;
            }
        }
    }
    ASSERT_FALSE(onLink.isNull());
    const QString target = onLink.charFormat().anchorHref().mid(1);
    text()->setTextCursor(onLink);
    press(Qt::Key_Return);
    EXPECT_EQ(at(), target);

    // Tab leaves the text for the buttons, Shift+Tab comes back.
    press(Qt::Key_Tab);
    EXPECT_NE(viewer->focusWidget(), text());
    EXPECT_NE(qobject_cast<QToolButton*>(viewer->focusWidget()), nullptr);
    press(Qt::Key_Backtab);
    EXPECT_EQ(viewer->focusWidget(), text());

    press(Qt::Key_F, Qt::ControlModifier);
    QLineEdit* field = part<QLineEdit>("helpFind");
    ASSERT_EQ(viewer->focusWidget(), field);
    QAccessibleInterface* find = QAccessible::queryAccessibleInterface(field);
    gui::typeText(field, QStringLiteral("ありえない言葉ｑｘ"));
    QApplication::processEvents();
    EXPECT_EQ(find->text(QAccessible::Description), QStringLiteral("見つかりません"));
    // And shown as a notification, which screen readers speak as it appears.
    QWidget* announcement = viewer->findChild<QWidget*>(QStringLiteral("helpAnnouncement"));
    ASSERT_NE(announcement, nullptr);
    EXPECT_TRUE(announcement->isVisible());
    QAccessibleInterface* notification = QAccessible::queryAccessibleInterface(announcement);
    EXPECT_EQ(notification->role(), QAccessible::Notification);
    EXPECT_EQ(notification->text(QAccessible::Name), QStringLiteral("見つかりません"));
    // The status says what it shows, with no fixed name over it.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(part<QLabel>("helpFindStatus"))->text(QAccessible::Name),
              QStringLiteral("見つかりません"));

    gui::retype(field, QStringLiteral("ブラウザー"));
    QApplication::processEvents();
    const QString said = find->text(QAccessible::Description);
    EXPECT_TRUE(said.contains(QStringLiteral("ブラウザー"))) << said.toStdString();
    EXPECT_TRUE(said.endsWith(QStringLiteral("。")) || said.size() > 10) << "the sentence, not the word alone";
    // F3 says the next one.
    press(Qt::Key_F3);
    EXPECT_TRUE(find->text(QAccessible::Description).contains(QStringLiteral("ブラウザー")));
}
