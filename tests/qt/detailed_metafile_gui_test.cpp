// The detailed metafile screen through the real widgets: the explanation
// drawing, the two entries, and the metafile saved through the real dialog
// with the filter that changes after the first chosen name.
#include <QGroupBox>
#include <QLabel>

#include <gtest/gtest.h>

#include "app/catalog.h"
#include "qt/gui_support.h"
#include "support.h"

using gui::DialogAnswers;
using gui::GuiProgram;
using testing_support::crlf;
using testing_support::readBytes;
using testing_support::TempFolder;

TEST(DetailedMetafileGui, SavesTheReferenceIntoTheVideoFolderThroughTheRealDialog)
{
    TempFolder dir;
    GuiProgram g(app::kelvoraProgram());
    g.program.start("Form1");
    g.click("Form1", "Command4");
    QWidget* win = g.window("Form3");
    ASSERT_NE(win, nullptr);
    ASSERT_TRUE(win->isVisible());
    EXPECT_EQ(win->windowTitle(), QStringLiteral("詳細メタファイル作成"));
    EXPECT_EQ(win->size(), QSize(kelvqt::px(10380), kelvqt::px(6720)));

    // The drawing of the site lies inside the explanation frame.
    auto* frame = g.widget<QGroupBox>("Form3", "Frame1");
    ASSERT_NE(frame, nullptr);
    for (const char* inside : {"Line1", "Line2", "Line3", "Line4", "Line5", "Label8", "Label9", "Label10"}) {
        SCOPED_TRACE(inside);
        QWidget* w = g.widget<QWidget>("Form3", inside);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->parentWidget(), frame);
    }
    EXPECT_EQ(g.widget<QLabel>("Form3", "Label5(0)")->text(), QStringLiteral("フォルダー名記入"));
    EXPECT_FALSE(g.widget<QLineEdit>("Form3", "Text5")->isVisible());

    gui::typeText(g.widget<QLineEdit>("Form3", "Text1"), QStringLiteral("wmv/wmv2"));
    QLineEdit* video = g.widget<QLineEdit>("Form3", "Text2");
    EXPECT_EQ(video->text(), QStringLiteral(".wmv"));
    video->setCursorPosition(0);
    gui::typeText(video, QStringLiteral("kyou01"));

    DialogAnswers answers;
    answers.save(QString::fromStdString(dir.file("kyou01"))).ok();
    g.click("Form3", "Command3");
    ASSERT_TRUE(answers.done());
    EXPECT_EQ(answers.seen[0].filterNames, QStringList{QStringLiteral("メタファイル(*.asx)")});
    EXPECT_EQ(readBytes(dir.file("kyou01.asx")),
              crlf({"<ASX Version =\"3.0\"><Entry>", "<Ref href =\"../wmv/wmv2/kyou01.wmv\">", "</Entry></ASX>"}));

    DialogAnswers again;
    again.cancel().ok();
    g.click("Form3", "Command3");
    ASSERT_TRUE(again.done());
    EXPECT_EQ(again.seen[0].filterNames, (QStringList{QStringLiteral("メタファイル"), QStringLiteral("その他")}));
    EXPECT_EQ(again.seen[1].text, QStringLiteral("キャンセルされました"));
}
