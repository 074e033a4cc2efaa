// kelvquick through the real widgets: its one window, the name typed, the
// two message boxes with the program's own title, and the two files written
// with absolute links beside the program (the test executable).
#include <QLabel>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

#include "qt/gui_support.h"
#include "quick/quick_generator.h"
#include "support.h"

using gui::DialogAnswers;
using gui::GuiProgram;
using testing_support::crlf;
using testing_support::readBytes;

TEST(QuickGui, OneWindowWritesPageAndMetafile)
{
    GuiProgram g(quick::quickProgram());
    g.program.start("Form1");
    QWidget* win = g.window("Form1");
    ASSERT_NE(win, nullptr);
    EXPECT_EQ(win->windowTitle(), QStringLiteral("diz君"));
    EXPECT_EQ(win->size(), QSize(431, 319));
    EXPECT_TRUE(gui::showsPicture(g.widget<QLabel>("Form1", "Image2")));
    EXPECT_FALSE(g.widget<QLineEdit>("Form1", "Text3")->isVisible());

    const std::string name = "quick gui " + std::to_string(::getpid());
    const std::string folder = g.platform.programFolder() + "/" + name;
    struct Cleanup {
        std::string path;
        ~Cleanup() { std::filesystem::remove_all(path); }
    } cleanup{folder};

    gui::typeText(g.widget<QLineEdit>("Form1", "Text1"), QString::fromStdString(name));
    DialogAnswers answers;
    answers.ok().ok();
    g.click("Form1", "Command1");
    ASSERT_TRUE(answers.done());
    ASSERT_EQ(answers.seen.size(), 2u);
    EXPECT_EQ(answers.seen[0].title, QStringLiteral("Mirequick"));
    EXPECT_TRUE(answers.seen[0].text.startsWith(QStringLiteral("保存しました。\n")))
        << answers.seen[0].text.toStdString();
    EXPECT_EQ(answers.seen[1].title, QStringLiteral("Mirequick"));
    EXPECT_EQ(answers.seen[1].text, QStringLiteral("完成しました。"));

    const std::string target = folder + "/" + name;
    EXPECT_EQ(readBytes(target + ".asx"),
              crlf({"<ASX Version =\"3.0\"><Entry>", "<Ref href =\"" + target + ".wmv\"></Entry></ASX>"}));
    EXPECT_NE(readBytes(target + ".htm").find("<A href=\"" + target + ".asx\" target=\"_self\">"), std::string::npos);

    // A second press finds the folder and says so, touching nothing.
    DialogAnswers again;
    again.ok();
    g.click("Form1", "Command1");
    ASSERT_TRUE(again.done());
    EXPECT_TRUE(again.seen[0].text.contains(QStringLiteral("すでにあります")));

    g.click("Form1", "Command2");
    EXPECT_TRUE(g.ended);
}
