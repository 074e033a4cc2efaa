// A conversion the input method has not yet confirmed goes into the field
// that shows it, once, before whatever ends it is handled: for each kind of
// input-method plugin, and for every way a conversion can end.
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/catalog.h"
#include "qt/fake_input_method.h"
#include "qt/gui_support.h"
#include "support.h"

using gui::DialogAnswers;
using gui::FakeInputMethod;
using gui::GuiProgram;
using gui::Plugin;

namespace {

const QString converted = QStringLiteral("家族旅行");

void pressThroughAccessibility(QAbstractButton* button)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(button);
    ASSERT_NE(iface, nullptr);
    ASSERT_NE(iface->actionInterface(), nullptr);
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_TRUE(clicked.count() > 0 || clicked.wait(2000));
}

// Form2 shown, its video name field converting 家族旅行 before .wmv.
struct Converting {
    explicit Converting(Plugin plugin) : g(app::kelvoraProgram()), im(plugin)
    {
        g.renderer.setInputMethod(&im);
        g.program.start("Form2");
        g.window("Form2")->show();
        g.window("Form2")->activateWindow();
        field = g.widget<QLineEdit>("Form2", "Text1");
        field->setFocus();
        field->setCursorPosition(0);
        im.compose(field, converted);
    }
    ~Converting() { g.renderer.setInputMethod(nullptr); }

    GuiProgram g;
    FakeInputMethod im;
    QPointer<QLineEdit> field;
};

struct Ending {
    const char* what;
    bool saves;  // presses 保存, which writes the metafile
    std::function<void(GuiProgram&, QLineEdit*)> end;
};

}  // namespace

// Whatever ends the conversion, the field then reads 家族旅行.wmv, a save
// writes those bytes, and the input method's own copy that comes later lands
// nowhere: not in the field, not in the field that has the focus by then.
TEST(Compositions, APendingConversionGoesIntoItsFieldOnceWhateverEndsIt)
{
    const auto save = [](GuiProgram& g) { return g.widget<QPushButton>("Form2", "Command1"); };
    const Ending endings[] = {
        {"a mouse press on 保存", true,
         [save](GuiProgram& g, QLineEdit*) { QTest::mouseClick(save(g), Qt::LeftButton); }},
        {"a click on a label", false,
         [](GuiProgram& g, QLineEdit*) { QTest::mouseClick(g.widget<QLabel>("Form2", "Label5"), Qt::LeftButton); }},
        {"the accessibility Press action on 保存", true,
         [save](GuiProgram& g, QLineEdit*) { pressThroughAccessibility(save(g)); }},
        {"Space on 保存 once it has the focus", true,
         [save](GuiProgram& g, QLineEdit*) {
             save(g)->setFocus();
             QTest::keyClick(save(g), Qt::Key_Space);
         }},
        {"Return on 保存 once it has the focus", true,
         [save](GuiProgram& g, QLineEdit*) {
             save(g)->setFocus();
             QTest::keyClick(save(g), Qt::Key_Return);
         }},
        {"Tab", false, [](GuiProgram&, QLineEdit* field) { QTest::keyClick(field, Qt::Key_Tab); }},
        {"closing the window", false, [](GuiProgram& g, QLineEdit*) { g.window("Form2")->close(); }},
    };
    const std::string bytes =
        testing_support::crlf({"<ASX Version =\"3.0\">", "<Entry>",
                               "<Ref href =\"./\x89\xc6\x91\xb0\x97\xb7\x8d\x73.wmv\">", "</Entry></ASX>"});
    testing_support::TempFolder dir;
    int n = 0;
    for (const Plugin plugin : gui::allPlugins) {
        for (const Ending& ending : endings) {
            // The input method's late copy arrives while the focus is still
            // where the press left it, or once another field has it (a
            // dialog's, the next screen's).
            for (const bool elsewhere : {false, true}) {
                SCOPED_TRACE(std::string(gui::nameOf(plugin)) + ", " + ending.what +
                             (elsewhere ? ", another field focused" : ""));
                Converting c(plugin);
                ASSERT_EQ(c.g.program.find("Form2")->text("Text1"), ".wmv");
                const std::string path = dir.file("k" + std::to_string(n++));
                DialogAnswers answers;
                if (ending.saves) {
                    answers.save(QString::fromStdString(path)).ok();
                }
                ending.end(c.g, c.field);
                ASSERT_TRUE(c.field);
                EXPECT_EQ(c.field->text(), converted + ".wmv") << "as the press is handled";
                if (ending.saves) {
                    EXPECT_TRUE(answers.done());
                    EXPECT_EQ(testing_support::readBytes(path + ".asx"), bytes);
                }
                QLineEdit other;
                if (elsewhere) {
                    other.show();
                    other.activateWindow();
                    other.setFocus();
                }
                FakeInputMethod::settle();
                EXPECT_TRUE(other.text().isEmpty()) << other.text().toStdString();
                if (c.field) {
                    EXPECT_EQ(c.field->text(), converted + ".wmv");
                }
                if (const form::Form* f = c.g.program.find("Form2")) {
                    EXPECT_EQ(f->text("Text1"), (converted + ".wmv").toStdString());
                }
                if (plugin == Plugin::CommitsTwice) {
                    EXPECT_GE(c.im.lateCommits(), 1) << "the plugin's own copy was never sent";
                }
            }
        }
    }
}

// A click elsewhere in the field commits the conversion where it stands,
// then puts the caret where the click was; what is typed next goes there.
TEST(Compositions, AClickElsewhereInTheFieldCommitsTheConversionThenPlacesTheCaret)
{
    for (const Plugin plugin : gui::allPlugins) {
        SCOPED_TRACE(gui::nameOf(plugin));
        Converting c(plugin);
        // Where 家族旅行.w|mv stands once committed: the conversion is shown
        // in line, so that is where it stands while converting too.
        QLineEdit plain;
        plain.setFont(c.field->font());
        plain.setFrame(c.field->hasFrame());
        plain.resize(c.field->size());
        plain.setText(converted + ".wmv");
        plain.setCursorPosition(6);
        const QPoint at(plain.inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x(), c.field->height() / 2);
        ASSERT_EQ(plain.cursorPositionAt(at), 6);

        QTest::mouseClick(c.field, Qt::LeftButton, Qt::NoModifier, at);
        EXPECT_EQ(c.field->text(), converted + ".wmv");
        EXPECT_EQ(c.field->cursorPosition(), 6);
        FakeInputMethod::settle();
        QTest::keyClicks(c.field, QStringLiteral("ab"));
        FakeInputMethod::settle();
        EXPECT_EQ(c.field->text(), converted + ".wabmv");
        EXPECT_EQ(c.g.program.find("Form2")->text("Text1"), (converted + ".wabmv").toStdString());
    }
}
