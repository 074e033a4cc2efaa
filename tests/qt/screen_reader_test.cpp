// What a screen reader finds on the real widgets: the splash passed by keys,
// computed heights in the keyboard order and in the width's description,
// option groups entered at their choice and walked with the arrows, and the
// examples and hints of every field.
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include "app/catalog.h"
#include "qt/gui_support.h"
#include "quick/quick_generator.h"

using gui::GuiProgram;

namespace {

QAccessibleInterface* a11y(QWidget* w)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    EXPECT_NE(iface, nullptr);
    return iface;
}

QString description(QWidget* w)
{
    return a11y(w)->text(QAccessible::Description);
}

// Tab from where the focus is, as many times as asked; the names passed.
QStringList tabThrough(QWidget* window, int times, bool back = false)
{
    QStringList names;
    for (int i = 0; i < times; ++i) {
        QWidget* focus = window->focusWidget();
        QTest::keyClick(focus != nullptr ? focus : window, back ? Qt::Key_Backtab : Qt::Key_Tab);
        names << window->focusWidget()->objectName();
    }
    return names;
}

}  // namespace

TEST(ScreenReader, TheSplashIsCalledByTheProgramAndPassedByReturnSpaceOrItsPress)
{
    const std::function<void(QWidget*)> ways[] = {
        [](QWidget* frame) { QTest::keyClick(frame, Qt::Key_Return); },
        [](QWidget* frame) { QTest::keyClick(frame, Qt::Key_Space); },
        [](QWidget* frame) { a11y(frame)->actionInterface()->doAction(QAccessibleActionInterface::pressAction()); },
    };
    for (const auto& way : ways) {
        GuiProgram g(app::kelvoraProgram());
        g.program.start();
        QWidget* splash = g.window("frmSplash");
        ASSERT_NE(splash, nullptr);
        splash->show();
        EXPECT_TRUE(splash->windowTitle().isEmpty());
        EXPECT_EQ(a11y(splash)->text(QAccessible::Name), QStringLiteral("Mirevant"));
        QWidget* frame = g.widget<QWidget>("frmSplash", "Frame1");
        EXPECT_EQ(splash->focusWidget(), frame);
        EXPECT_EQ(a11y(frame)->text(QAccessible::Name), QStringLiteral("Mirevant"));
        for (const char* part : {"ﾊﾞｰｼﾞｮﾝ 1.0.0", "クリックするか Enter キーで始まります。", "ソルナ・wmv版"}) {
            EXPECT_TRUE(description(frame).contains(QString::fromUtf8(part))) << description(frame).toStdString();
            EXPECT_TRUE(description(splash).contains(QString::fromUtf8(part)));
        }
        way(frame);
        QApplication::processEvents();
        EXPECT_FALSE(g.program.isLoaded("frmSplash"));
        EXPECT_TRUE(g.program.isVisible("Form1"));
        EXPECT_FALSE(g.ended);
    }
    // Any other key still ends the program; a modifier alone, such as a
    // screen reader's own key, does not.
    GuiProgram g(app::kelvoraProgram());
    g.program.start();
    g.window("frmSplash")->show();
    for (const Qt::Key modifier : {Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt, Qt::Key_CapsLock}) {
        QTest::keyClick(g.widget<QWidget>("frmSplash", "Frame1"), modifier);
        EXPECT_FALSE(g.ended);
    }
    QTest::keyClick(g.widget<QWidget>("frmSplash", "Frame1"), Qt::Key_Q);
    EXPECT_TRUE(g.ended);
}

TEST(ScreenReader, AHeightFollowsItsWidthInTheKeyboardOrderAndInItsDescription)
{
    struct Case {
        std::string screen, width, height;
    };
    const Case cases[] = {{"Form6", "Text4", "Text6"}, {"Form9", "Text4", "Text6"}, {"Form12", "Text16", "Text17"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.screen);
        GuiProgram g(app::kelvoraProgram());
        g.program.start(c.screen);
        QWidget* window = g.window(c.screen);
        window->show();
        auto* width = g.widget<QLineEdit>(c.screen, c.width);
        auto* height = g.widget<QLineEdit>(c.screen, c.height);
        EXPECT_TRUE(height->isReadOnly());
        EXPECT_NE(height->focusPolicy(), Qt::NoFocus);
        EXPECT_EQ(a11y(height)->text(QAccessible::Name), QStringLiteral("高さ"));
        width->setFocus();
        EXPECT_EQ(tabThrough(window, 1), QStringList{QString::fromStdString(c.height)});
        width->setFocus();
        width->selectAll();
        QTest::keyClicks(width, QStringLiteral("480"));
        EXPECT_EQ(height->text(), QStringLiteral("424"));
        EXPECT_TRUE(description(width).startsWith(QStringLiteral("高さ 424"))) << description(width).toStdString();
    }
}

TEST(ScreenReader, AnOptionGroupIsNamedEnteredAtItsChoiceAndWalkedWithTheArrows)
{
    GuiProgram g(app::kelvoraProgram());
    g.program.start("Form5");
    QWidget* window = g.window("Form5");
    window->show();
    const auto option = [&g](const char* name) { return g.widget<QRadioButton>("Form5", name); };
    QAccessibleInterface* group = a11y(option("Option1"))->parent();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->role(), QAccessible::Grouping);
    EXPECT_EQ(group->text(QAccessible::Name), QStringLiteral("位置"));

    // 中心 is chosen: Tab into the group (after the preview) lands there, and
    // leaves it in one step.
    ASSERT_TRUE(option("Option2")->isChecked());
    g.widget<QLineEdit>("Form5", "Text3")->setFocus();
    const QStringList passed = tabThrough(window, 2);
    EXPECT_EQ(passed.front(), QStringLiteral("Option2"));
    EXPECT_FALSE(passed.back().startsWith(QStringLiteral("Option")));
    EXPECT_EQ(tabThrough(window, 1, true), QStringList{QStringLiteral("Option2")});

    // Every arrow moves and chooses, wrapping round.
    const struct {
        Qt::Key key;
        const char* lands;
        const char* align;
    } moves[] = {{Qt::Key_Down, "Option3", "right"},
                 {Qt::Key_Right, "Option1", "left"},
                 {Qt::Key_Up, "Option3", "right"},
                 {Qt::Key_Left, "Option2", "center"}};
    for (const auto& m : moves) {
        QTest::keyClick(window->focusWidget(), m.key);
        EXPECT_EQ(window->focusWidget(), option(m.lands));
        EXPECT_TRUE(option(m.lands)->isChecked());
        EXPECT_EQ(g.program.find("Form5")->text("Text6"), m.align);
    }
    // The settings' group is named by its label too.
    g.program.start("Form14");
    EXPECT_EQ(a11y(g.widget<QRadioButton>("Form14", "Option1"))->parent()->text(QAccessible::Name),
              QStringLiteral("オート起動"));
}

TEST(ScreenReader, FieldsDescribeThemselvesByTheirExamplesAndHints)
{
    struct Case {
        bool quick;
        std::string screen, field;
        std::vector<const char*> parts;
    };
    const Case cases[] = {
        {false, "Form2", "Text1", {"例：kyou01.wmv", "（半角英入力）", "avi、mpg、wmvの拡張子のついたファイルを記入"}},
        {false, "Form3", "Text1", {"①", "例：wmv", "例：wmv/wmv2", "（半角英入力）"}},
        {false, "Form5", "Text1", {"②", "例：hoge.asx（半角入力）"}},
        {false, "Form6", "Text4", {"160、320、480、640"}},
        {false, "Form14", "Text4", {"拡張子の前に必ず点を入れてください"}},
        {true, "Form1", "Text1", {"例：bb.wmvは”ｂｂ”と記入。"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.screen + "." + c.field);
        GuiProgram g(c.quick ? quick::quickProgram() : app::kelvoraProgram());
        g.program.start(c.screen);
        const QString said = description(g.widget<QLineEdit>(c.screen, c.field));
        for (const char* part : c.parts) {
            EXPECT_TRUE(said.contains(QString::fromUtf8(part))) << said.toStdString() << " lacks " << part;
        }
    }
}
