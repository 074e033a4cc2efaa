// The multi-link page and the link menu page through the real widgets: typing,
// the previews, the alignment block, the height that follows the width, and
// the pages saved through the real file dialog.
#include <QLabel>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <string>

#include "app/catalog.h"
#include "output/cp932.h"
#include "qt/gui_support.h"
#include "screens/html/link_menu_page.h"
#include "support.h"

using gui::DialogAnswers;
using gui::GuiProgram;
using testing_support::crlf;
using testing_support::readBytes;
using testing_support::TempFolder;

namespace {

std::string sjis(const std::string& utf8)
{
    return output::toCp932(utf8).value();
}

QLineEdit* field(GuiProgram& g, const std::string& screen, const std::string& name)
{
    auto* edit = g.widget<QLineEdit>(screen, name);
    if (edit == nullptr) {
        throw std::runtime_error("no field " + screen + "." + name);
    }
    return edit;
}

}  // namespace

TEST(OtherFormatsGui, MultiLinkPageMirrorsAlignsAndSaves)
{
    TempFolder dir;
    GuiProgram g(app::kelvoraProgram());
    g.program.start("Form11");
    QWidget* win = g.window("Form11");
    ASSERT_NE(win, nullptr);
    EXPECT_EQ(win->windowTitle(), QStringLiteral("その他　1"));
    EXPECT_EQ(win->size(), QSize(kelvqt::px(10725), kelvqt::px(6540)));
    EXPECT_FALSE(field(g, "Form11", "Text24")->isVisible());

    gui::typeText(field(g, "Form11", "Text1"), QStringLiteral("ここをクリックすると見れます。"));
    QLineEdit* metafile1 = field(g, "Form11", "Text11");
    EXPECT_EQ(metafile1->text(), QStringLiteral(".asx"));
    metafile1->setCursorPosition(0);
    gui::typeText(metafile1, QStringLiteral("abc"));
    gui::typeText(field(g, "Form11", "Text3"), QStringLiteral("三話"));
    QLineEdit* metafile3 = field(g, "Form11", "Text13");
    metafile3->setCursorPosition(0);
    gui::typeText(metafile3, QStringLiteral("c"));

    // The preview rows show the comments; typing into one is undone.
    EXPECT_EQ(field(g, "Form11", "Text6")->text(), QStringLiteral("ここをクリックすると見れます。"));
    EXPECT_EQ(field(g, "Form11", "Text8")->text(), QStringLiteral("三話"));
    gui::typeText(field(g, "Form11", "Text7"), QStringLiteral("zz"));
    EXPECT_EQ(field(g, "Form11", "Text7")->text(), QString());
    gui::typeText(field(g, "Form11", "Text6"), QStringLiteral("!"));
    EXPECT_EQ(field(g, "Form11", "Text6")->text(), QStringLiteral("ここをクリックすると見れます。"));

    auto* block = g.widget<QWidget>("Form11", "Picture2");
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->pos(), QPoint(kelvqt::px(960), kelvqt::px(1200)));
    struct Case {
        const char* option;
        int left;
    };
    for (const Case& c : {Case{"Option7", 120}, Case{"Option6", 960}, Case{"Option8", 2060}}) {
        auto* option = g.widget<QRadioButton>("Form11", c.option);
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2));  // on the indicator
        QApplication::processEvents();
        EXPECT_EQ(block->pos(), QPoint(kelvqt::px(c.left), kelvqt::px(1200))) << c.option;
        EXPECT_TRUE(g.widget<QRadioButton>("Form11", c.option)->isChecked()) << c.option;
    }
    EXPECT_FALSE(g.widget<QRadioButton>("Form11", "Option6")->isChecked());

    DialogAnswers answers;
    answers.save(QString::fromStdString(dir.file("links"))).ok();
    g.click("Form11", "Command1");
    ASSERT_TRUE(answers.done());
    EXPECT_EQ(answers.seen[0].filterNames, QStringList{QStringLiteral("ハイパーテキスト(*.htm)")});
    const std::string empty = "<BR><A href=\"./.asx\"></A><BR>";
    EXPECT_EQ(readBytes(dir.file("links.htm")),
              crlf({"<HTML><HEAD><TITLE></TITLE></HEAD>", "<BODY><DIV align=\"right\"><TABLE><TBODY><TR><TD><BR>",
                    "<BR><A href=\"./abc.asx\">" + sjis("ここをクリックすると見れます。") + "</A><BR>", empty,
                    "<BR><A href=\"./c.asx\">" + sjis("三話") + "</A><BR>", empty, empty,
                    "</A></TD></TR></TBODY></DIV></TABLE></BODY></HTML>"}));
}

TEST(OtherFormatsGui, LinkMenuPageFollowsTheWidthRefusesABadOneAndSaves)
{
    TempFolder dir;
    GuiProgram g(app::kelvoraProgram());
    g.program.start("Form12");
    QWidget* win = g.window("Form12");
    ASSERT_NE(win, nullptr);
    EXPECT_EQ(win->windowTitle(), QStringLiteral("その他　2"));
    EXPECT_EQ(win->size(), QSize(kelvqt::px(12075), kelvqt::px(10125)));
    EXPECT_FALSE(field(g, "Form12", "Text22")->isVisible());

    QLineEdit* width = field(g, "Form12", "Text16");
    QLineEdit* height = field(g, "Form12", "Text17");
    EXPECT_EQ(width->text(), QStringLiteral("320"));
    EXPECT_EQ(height->text(), QStringLiteral("304"));
    EXPECT_TRUE(height->isReadOnly());
    gui::typeText(height, QStringLiteral("9"));
    EXPECT_EQ(height->text(), QStringLiteral("304"));

    gui::retype(width, QStringLiteral("101"));
    EXPECT_EQ(height->text(), QStringLiteral("139.75"));

    // No number, no height, and no save: only the message, never the dialog.
    gui::retype(width, QString());
    EXPECT_EQ(height->text(), QString());
    DialogAnswers refused;
    refused.ok();
    g.click("Form12", "Command1");
    ASSERT_TRUE(refused.done());
    ASSERT_EQ(refused.seen.size(), 1u);
    EXPECT_EQ(refused.seen[0].kind, QStringLiteral("message"));
    EXPECT_EQ(refused.seen[0].text, QString::fromUtf8(screens::widthNotNumberMessage));
    EXPECT_EQ(testing_support::filesIn(dir.path()), 0u);

    gui::retype(width, QStringLiteral("320.6"));
    EXPECT_EQ(height->text(), QStringLiteral("304.45"));
    QLineEdit* title = field(g, "Form12", "Text31");
    title->setCursorPosition(0);
    gui::typeText(title, QStringLiteral("title"));
    gui::typeText(field(g, "Form12", "Text5"), QStringLiteral("最終話"));
    QLineEdit* target5 = field(g, "Form12", "Text15");
    target5->setCursorPosition(0);
    gui::typeText(target5, QStringLiteral("e"));

    EXPECT_EQ(field(g, "Form12", "Text10")->text(), QStringLiteral("最終話"));
    gui::typeText(field(g, "Form12", "Text10"), QStringLiteral("x"));
    EXPECT_EQ(field(g, "Form12", "Text10")->text(), QStringLiteral("最終話"));
    EXPECT_EQ(field(g, "Form12", "Text18")->text(), QStringLiteral("メニュー"));
    EXPECT_EQ(g.widget<QWidget>("Form12", "Picture3")->pos(), QPoint(kelvqt::px(1440), kelvqt::px(1200)));

    DialogAnswers answers;
    answers.save(QString::fromStdString(dir.file("menu"))).ok();
    g.click("Form12", "Command1");
    ASSERT_TRUE(answers.done());
    const std::string empty = "<BR><A href=\"./.htm\" target=\"sample\"></A><BR>";
    EXPECT_EQ(readBytes(dir.file("menu.htm")),
              crlf({"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">",
                    "<HTML><HEAD><TITLE></TITLE></HEAD><BODY bgcolor=\"#a7fef3\">",
                    "<iframe src=\"./title.htm\" name=\"sample\" height=304.45 width=320.6 "
                    "scrolling=no align=left marginwidth=0 marginheight=0></iframe>",
                    "<TABLE><TBODY><TR><TD></TD><TD>" + sjis("メニュー") + "<BR>", empty, empty, empty, empty,
                    "<BR><A href=\"./e.htm\" target=\"sample\">" + sjis("最終話") + "</A></TD>",
                    "</TR></TBODY></TABLE></BODY></HTML>"}));
}
