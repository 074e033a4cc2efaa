// The embed pages through the real widgets: the height that follows the
// width as it is typed, the read-only height, the start options, the refused
// save, and the page saved through the real file dialog.
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <string>

#include "app/catalog.h"
#include "qt/gui_support.h"
#include "support.h"

using gui::DialogAnswers;
using gui::GuiProgram;
using testing_support::crlf;
using testing_support::filesIn;
using testing_support::readBytes;
using testing_support::TempFolder;

namespace {

QLineEdit* field(GuiProgram& g, const std::string& screen, const std::string& name)
{
    auto* edit = g.widget<QLineEdit>(screen, name);
    if (edit == nullptr) {
        throw std::runtime_error("no field " + screen + "." + name);
    }
    return edit;
}

// Types in front of the ".asx" the screen puts there.
void typeBeforeExtension(QLineEdit* edit, const QString& base)
{
    edit->setCursorPosition(0);
    gui::typeText(edit, base);
}

}  // namespace

TEST(EmbedPageGui, SimplePageHeightFollowsAsTypedAndTheRealDialogSaves)
{
    TempFolder dir;
    GuiProgram g(app::kelvoraProgram());
    g.program.start("Form6");
    QWidget* win = g.window("Form6");
    ASSERT_NE(win, nullptr);
    EXPECT_EQ(win->windowTitle(), QStringLiteral("簡単エンベッド[埋め込み]形式作成"));
    EXPECT_EQ(win->size(), QSize(kelvqt::px(9330), kelvqt::px(7335)));
    EXPECT_FALSE(field(g, "Form6", "Text7")->isVisible());

    QLineEdit* width = field(g, "Form6", "Text4");
    QLineEdit* height = field(g, "Form6", "Text6");
    EXPECT_EQ(width->text(), QStringLiteral("320"));
    EXPECT_EQ(height->text(), QStringLiteral("304"));
    EXPECT_TRUE(height->isReadOnly());

    gui::retype(width, QStringLiteral("640"));
    EXPECT_EQ(height->text(), QStringLiteral("544"));
    gui::typeText(height, QStringLiteral("9"));  // read-only: nothing happens
    EXPECT_EQ(height->text(), QStringLiteral("544"));

    auto* autoStart = g.widget<QRadioButton>("Form6", "Option2");
    QTest::mouseClick(autoStart, Qt::LeftButton, {}, QPoint(6, autoStart->height() / 2));
    EXPECT_TRUE(autoStart->isChecked());
    EXPECT_FALSE(g.widget<QRadioButton>("Form6", "Option1")->isChecked());
    typeBeforeExtension(field(g, "Form6", "Text12"), QStringLiteral("movie"));

    DialogAnswers answers;
    answers.save(QString::fromStdString(dir.file("page"))).ok();
    g.click("Form6", "Command1");
    ASSERT_TRUE(answers.done());
    EXPECT_EQ(answers.seen[0].filterNames, QStringList{QStringLiteral("ハイパーテキスト(*.htm)")});
    EXPECT_EQ(answers.seen[1].text, QString::fromStdString(dir.file("page.htm")) + QStringLiteral("を保存しました。"));
    EXPECT_EQ(
        readBytes(dir.file("page.htm")),
        crlf(
            {"<html><head><title>enbedsampl</title><meta http-equiv=\"Content-Type\" "
             "content=\"text/html; charset=Shift_JIS\">",
             "</head><body bgcolor=\"#FFFFFF\" text=\"#000000\">",
             "<OBJECT ID=\"Player\" width=\"640\" height=\"544\"CLASSID=\"CLSID:6BF52A52-394A-11d3-B153-00C04F79FAA6\">",
             "<PARAM name=\"autoStart\" value=\"true\">", "<PARAM name=\"URL\" value=\"./movie.asx\">",
             "<embed src=\"./movie.asx\" autostart=\"false\" width=640 height=544></embed></OBJECT>",
             "</body></html>"}));
}

TEST(EmbedPageGui, DetailedPageRefusesAWidthThatIsNoNumberThenSavesInItsFolders)
{
    TempFolder dir;
    GuiProgram g(app::kelvoraProgram());
    g.program.start("Form9");
    QWidget* win = g.window("Form9");
    ASSERT_NE(win, nullptr);
    EXPECT_EQ(win->windowTitle(), QStringLiteral("詳細エンベッド形式作成"));
    EXPECT_EQ(win->size(), QSize(kelvqt::px(9585), kelvqt::px(7980)));

    QLineEdit* width = field(g, "Form9", "Text4");
    QLineEdit* height = field(g, "Form9", "Text6");
    gui::retype(width, QStringLiteral("4O0"));  // a letter O for a zero
    EXPECT_EQ(height->text(), QString());

    DialogAnswers refused;
    refused.ok();
    g.click("Form9", "Command1");
    ASSERT_TRUE(refused.done());
    ASSERT_EQ(refused.seen.size(), 1u);
    EXPECT_EQ(refused.seen[0].kind, QStringLiteral("message"));  // no file dialog
    EXPECT_EQ(refused.seen[0].text, QStringLiteral("幅を半角の数値で記入してください。（-32768～32767）"));
    EXPECT_EQ(filesIn(dir.path()), 0u);

    gui::retype(width, QStringLiteral("480"));
    EXPECT_EQ(height->text(), QStringLiteral("424"));
    gui::typeText(field(g, "Form9", "Text19"), QStringLiteral("baku"));
    typeBeforeExtension(field(g, "Form9", "Text12"), QStringLiteral("movie"));

    DialogAnswers answers;
    answers.save(QString::fromStdString(dir.file("page"))).ok();
    g.click("Form9", "Command1");
    ASSERT_TRUE(answers.done());
    EXPECT_EQ(answers.seen[0].filterNames, QStringList{QStringLiteral("ハイパーテキスト(*.htm)")});
    EXPECT_EQ(
        readBytes(dir.file("page.htm")),
        crlf(
            {"<html><head><title>enbedsampl</title><meta http-equiv=\"Content-Type\" "
             "content=\"text/html; charset=Shift_JIS\">",
             "</head><body bgcolor=\"#FFFFFF\" text=\"#000000\">",
             "<OBJECT ID=\"Player\" width=\"480\" height=\"424\"CLASSID=\"CLSID:6BF52A52-394A-11d3-B153-00C04F79FAA6\">",
             "<PARAM name=\"autoStart\" value=\"false\">", "<PARAM name=\"URL\" value=\"../baku/movie.asx\">",
             "<embed src=\"../baku/movie.asx\" autostart=\"false\" width=480 height=424></embed></OBJECT>",
             "</body></html>"}));
}
