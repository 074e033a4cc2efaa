// The popup pages through the real widgets: typing the names and a Japanese
// comment, the preview that mirrors the comment and moves with the alignment,
// and the page saved through the real file dialog.
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
using testing_support::readBytes;
using testing_support::TempFolder;

namespace {

const QString comment = QStringLiteral("家族の映像です。クリックしてね。");
const std::string commentCp932 = "\x89\xC6\x91\xB0\x82\xCC\x89\x66\x91\x9C\x82\xC5\x82\xB7\x81\x42"
                                 "\x83\x4E\x83\x8A\x83\x62\x83\x4E\x82\xB5\x82\xC4\x82\xCB\x81\x42";

QLineEdit* field(GuiProgram& g, const std::string& screen, const std::string& name)
{
    auto* edit = g.widget<QLineEdit>(screen, name);
    if (edit == nullptr) {
        throw std::runtime_error("no field " + screen + "." + name);
    }
    return edit;
}

void choose(GuiProgram& g, const std::string& screen, const std::string& option)
{
    auto* button = g.widget<QRadioButton>(screen, option);
    ASSERT_NE(button, nullptr) << option;
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    QApplication::processEvents();
}

struct GuiTwin {
    const char* screen;
    const char* menu;
    QString caption;
    QSize client;        // twips
    const char* folder;  // typed into Text11, or nullptr where there is none
    std::string link;
};

void fillPreviewAndSave(const GuiTwin& t)
{
    TempFolder dir;
    GuiProgram g(app::kelvoraProgram());
    g.program.start(t.menu);
    g.click(t.menu, "Command1");
    QWidget* win = g.window(t.screen);
    ASSERT_NE(win, nullptr);
    ASSERT_TRUE(win->isVisible());
    EXPECT_FALSE(g.window(t.menu) != nullptr && g.window(t.menu)->isVisible());
    EXPECT_EQ(win->windowTitle(), t.caption);
    EXPECT_EQ(win->size(), QSize(kelvqt::px(t.client.width()), kelvqt::px(t.client.height())));

    if (t.folder != nullptr) {
        gui::typeText(field(g, t.screen, "Text11"), QString::fromUtf8(t.folder));
    }
    QLineEdit* name = field(g, t.screen, "Text1");
    EXPECT_EQ(name->text(), QStringLiteral(".asx"));
    name->setCursorPosition(0);
    gui::typeText(name, QStringLiteral("hoge"));
    EXPECT_EQ(g.program.find(t.screen)->text("Text1"), "hoge.asx");

    QLineEdit* preview = field(g, t.screen, "Text3");
    EXPECT_EQ(preview->parentWidget(), g.widget<QWidget>(t.screen, "Picture1"));
    gui::typeText(field(g, t.screen, "Text2"), comment);
    EXPECT_EQ(preview->text(), comment);
    gui::typeText(preview, QStringLiteral("xy"));  // undone at once
    EXPECT_EQ(preview->text(), comment);
    EXPECT_EQ(g.program.find(t.screen)->text("Text2"), comment.toStdString());

    EXPECT_EQ(preview->pos(), QPoint(kelvqt::px(840), kelvqt::px(1440)));
    choose(g, t.screen, "Option1");
    EXPECT_EQ(preview->pos(), QPoint(0, kelvqt::px(1440)));
    choose(g, t.screen, "Option3");
    EXPECT_EQ(preview->pos(), QPoint(kelvqt::px(1680), kelvqt::px(1440)));
    EXPECT_TRUE(g.widget<QRadioButton>(t.screen, "Option3")->isChecked());
    EXPECT_FALSE(g.widget<QRadioButton>(t.screen, "Option2")->isChecked());

    DialogAnswers answers;
    answers.save(QString::fromStdString(dir.file("page"))).ok();
    g.click(t.screen, "Command1");
    ASSERT_TRUE(answers.done());
    EXPECT_EQ(answers.seen[0].title, QStringLiteral("名前をつけて保存"));
    EXPECT_EQ(answers.seen[0].filterNames, QStringList{QStringLiteral("ハイパーテキスト(*.htm)")});
    EXPECT_EQ(answers.seen[1].text, QString::fromStdString(dir.file("page.htm")) + QStringLiteral("を保存しました。"));
    EXPECT_EQ(readBytes(dir.file("page.htm")), crlf({"<HTML><HEAD><TITLE></TITLE></HEAD><BODY>",
                                                     "<P align=\"right\"><B><A href=\"" + t.link +
                                                         "\" target=\"_self\">" + commentCp932 + "</A></B></P>",
                                                     "</BODY></HTML>"}));
}

}  // namespace

TEST(PopupPageGui, SimplePageTypedPreviewedAndSavedThroughTheRealDialog)
{
    fillPreviewAndSave({"Form5", "Form4", QStringLiteral("簡単ポップアップ形式"), {9360, 6705}, nullptr, "./hoge.asx"});
}

TEST(PopupPageGui, DetailedPageTypedPreviewedAndSavedThroughTheRealDialog)
{
    fillPreviewAndSave(
        {"Form8", "Form7", QStringLiteral("詳細ポップアップ形式作成"), {9915, 6630}, "omiyage", "../omiyage/hoge.asx"});
}
