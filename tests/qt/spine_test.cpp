// The way in, through the real widgets: splash, top menu, the simple metafile
// screen, the real save dialog and message boxes.
#include <QGroupBox>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include "app/catalog.h"
#include "qt/gui_support.h"
#include "support.h"

using gui::DialogAnswers;
using gui::GuiProgram;
using gui::RealDialogAnswers;
using testing_support::crlf;
using testing_support::readBytes;
using testing_support::TempFolder;

namespace {

void openSimpleMetafile(GuiProgram& g)
{
    g.program.start("frmSplash");
    auto* frame = g.widget<QGroupBox>("frmSplash", "Frame1");
    ASSERT_NE(frame, nullptr);
    QTest::mouseClick(frame, Qt::LeftButton, {}, QPoint(8, frame->height() - 8));
    QApplication::processEvents();
    ASSERT_TRUE(g.program.isVisible("Form1"));
    g.click("Form1", "Command3");
    ASSERT_TRUE(g.program.isVisible("Form2"));
}

}  // namespace

TEST(SpineGui, SplashShowsTitleAndVersionAndOnlyTheFrameMovesOn)
{
    GuiProgram g(app::kelvoraProgram());
    g.program.start("frmSplash");
    EXPECT_EQ(g.widget<QLabel>("frmSplash", "lblProductName")->text(), QStringLiteral("Mirevant"));
    EXPECT_EQ(g.widget<QLabel>("frmSplash", "lblVersion")->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.0.0"));

    QTest::mouseClick(g.widget<QLabel>("frmSplash", "Label2"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(g.program.isVisible("frmSplash"));
    EXPECT_FALSE(g.program.isLoaded("Form1"));
}

TEST(SpineGui, KeyPressOnTheSplashEndsTheProgram)
{
    GuiProgram g(app::kelvoraProgram());
    g.program.start("frmSplash");
    QTest::keyClick(g.window("frmSplash"), Qt::Key_Space);
    QApplication::processEvents();
    EXPECT_TRUE(g.ended);
    EXPECT_TRUE(g.program.visibleScreens().empty());
}

TEST(SpineGui, SavesTheMetafileThroughTheRealDialogAndSwitchesTheFilter)
{
    TempFolder dir;
    GuiProgram g(app::kelvoraProgram(), gui::Dialogs::Real);
    openSimpleMetafile(g);
    QWidget* form2 = g.window("Form2");
    EXPECT_EQ(form2->windowTitle(), QStringLiteral("簡単メタファイル"));
    EXPECT_EQ(form2->size(), QSize(607, 315));

    auto* name = g.widget<QLineEdit>("Form2", "Text1");
    EXPECT_EQ(name->text(), QStringLiteral(".wmv"));
    name->setCursorPosition(0);
    gui::typeText(name, QStringLiteral("kyou01"));
    EXPECT_EQ(g.program.find("Form2")->text("Text1"), "kyou01.wmv");

    const QString first = QString::fromStdString(dir.file("kyou01"));
    RealDialogAnswers answers;
    answers.save(first).ok();
    g.click("Form2", "Command1");
    ASSERT_TRUE(answers.done());
    EXPECT_EQ(readBytes(dir.file("kyou01.asx")),
              crlf({"<ASX Version =\"3.0\">", "<Entry>", "<Ref href =\"./kyou01.wmv\">", "</Entry></ASX>"}));
    EXPECT_EQ(answers.seen[0].title, QStringLiteral("名前をつけて保存"));
    EXPECT_EQ(answers.seen[0].filterNames, QStringList{QStringLiteral("メタファイル(*.asx)")});
    EXPECT_EQ(answers.seen[1].title, QStringLiteral("Mirevant"));
    EXPECT_EQ(answers.seen[1].text,
              QString::fromStdString(dir.file("kyou01.asx")) + QStringLiteral("を保存しました。"));
    EXPECT_EQ(answers.buttons[0], 1);
    EXPECT_EQ(answers.icons[0], QMessageBox::NoIcon);

    // The second showing offers the two types and the previous name.
    RealDialogAnswers again;
    again.save(QString::fromStdString(dir.file("other.asx"))).ok();
    g.click("Form2", "Command1");
    ASSERT_TRUE(again.done());
    EXPECT_EQ(again.seen[0].filterNames, (QStringList{QStringLiteral("メタファイル"), QStringLiteral("その他")}));
    EXPECT_EQ(again.seen[0].directory, QString::fromStdString(dir.path()));
    EXPECT_EQ(again.seen[0].fileName, QStringLiteral("kyou01.asx"));
    EXPECT_EQ(readBytes(dir.file("other.asx")), readBytes(dir.file("kyou01.asx")));
}

TEST(SpineGui, CancelTellsTheUserAndWritesNothing)
{
    TempFolder dir;
    GuiProgram g(app::kelvoraProgram());
    openSimpleMetafile(g);
    DialogAnswers answers;
    answers.cancel().ok();
    g.click("Form2", "Command1");
    ASSERT_TRUE(answers.done());
    EXPECT_EQ(answers.seen[1].text, QStringLiteral("キャンセルされました"));
    EXPECT_EQ(testing_support::filesIn(dir.path()), 0u);
}

TEST(SpineGui, ClosingTheLastWindowEndsTheProgram)
{
    GuiProgram g(app::kelvoraProgram());
    openSimpleMetafile(g);
    g.window("Form2")->close();
    QApplication::processEvents();
    EXPECT_FALSE(g.program.isLoaded("Form2"));
    EXPECT_TRUE(g.ended);
}
