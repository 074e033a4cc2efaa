// The one-shot generator and its settings screen through the real widgets:
// the windows side by side, typing, the option pair, and the folder written
// into the program's own folder (the test executable's).
#include <QLabel>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

#include "app/catalog.h"
#include "qt/gui_support.h"
#include "support.h"

using gui::DialogAnswers;
using gui::GuiProgram;
using testing_support::crlf;
using testing_support::readBytes;

namespace {

// A folder the run creates beside the program; removed whatever happens.
struct CreatedFolder {
    explicit CreatedFolder(std::string p) : path(std::move(p)) {}
    ~CreatedFolder() { std::filesystem::remove_all(path); }
    std::string path;
};

}  // namespace

TEST(OneShotGui, SettingsBesideTheGeneratorChangeTheWrittenFiles)
{
    GuiProgram g(app::kelvoraProgram());
    g.program.start("Form1");
    g.click("Form1", "Command2");
    QWidget* generator = g.window("Form13");
    ASSERT_NE(generator, nullptr);
    EXPECT_TRUE(generator->isVisible());
    EXPECT_EQ(generator->windowTitle(), QStringLiteral("diz　君"));
    EXPECT_EQ(generator->size(), QSize(434, 323));
    EXPECT_TRUE(gui::showsPicture(g.widget<QLabel>("Form13", "Image2")));
    // The mirrors and templates are never in view.
    EXPECT_FALSE(g.widget<QLineEdit>("Form13", "Text12")->isVisible());
    EXPECT_FALSE(g.widget<QLineEdit>("Form13", "Text8")->isVisible());

    g.click("Form13", "Command4");
    QWidget* settings = g.window("Form14");
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(settings->isVisible());
    EXPECT_TRUE(generator->isVisible());
    EXPECT_EQ(settings->windowTitle(), QStringLiteral("一発　diz君　設定"));
    EXPECT_EQ(settings->size(), QSize(583, 267));
    auto* extension = g.widget<QLineEdit>("Form14", "Text4");
    auto* width = g.widget<QLineEdit>("Form14", "Text12");
    EXPECT_EQ(extension->text(), QStringLiteral(".wmv"));
    EXPECT_EQ(width->text(), QStringLiteral("320"));
    EXPECT_FALSE(g.widget<QLineEdit>("Form14", "Text14")->isVisible());
    EXPECT_TRUE(g.widget<QRadioButton>("Form14", "Option2")->isChecked());
    EXPECT_FALSE(g.widget<QRadioButton>("Form14", "Option1")->isChecked());

    gui::retype(extension, QStringLiteral(".avi"));
    gui::retype(width, QStringLiteral("640"));
    QTest::mouseClick(g.widget<QRadioButton>("Form14", "Option1"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(g.widget<QRadioButton>("Form14", "Option1")->isChecked());
    EXPECT_FALSE(g.widget<QRadioButton>("Form14", "Option2")->isChecked());
    EXPECT_EQ(g.program.find("Form13")->text("Text14"), "544");

    g.click("Form14", "Command1");
    EXPECT_FALSE(settings->isVisible());
    EXPECT_TRUE(g.program.isLoaded("Form14"));

    const std::string name = "guitest" + std::to_string(::getpid());
    CreatedFolder folder(g.platform.programFolder() + "/" + name);
    gui::typeText(g.widget<QLineEdit>("Form13", "Text1"), QString::fromStdString(name));
    DialogAnswers answers;
    answers.ok();
    g.click("Form13", "Command1");
    ASSERT_TRUE(answers.done());
    EXPECT_EQ(answers.seen[0].title, QStringLiteral("Mirevant"));
    EXPECT_EQ(answers.seen[0].text, QStringLiteral("保存しました。\n") + QString::fromStdString(folder.path));

    EXPECT_EQ(readBytes(folder.path + "/" + name + ".asx"),
              crlf({"<ASX Version =\"3.0\"><Entry>", "<Ref href =\"./" + name + ".avi\"></Entry></ASX>"}));
    const std::string embed = readBytes(folder.path + "/" + name + "01.htm");
    EXPECT_NE(embed.find("<OBJECT ID=\"Player\" width=\"640\" height=\"544\"CLASSID="), std::string::npos);
    EXPECT_NE(embed.find("\r\n<PARAM name=\"autoStart\" value=\"true\">\r\n"), std::string::npos);
    EXPECT_NE(embed.find("autostart=\"false\" width=640 height=544></embed></OBJECT>\r\n</body></html>\r\n\r\n"),
              std::string::npos);

    // The settings window closed by its frame comes back with start values;
    // the generator keeps its extension and width.
    g.click("Form13", "Command4");
    settings->close();
    QApplication::processEvents();
    EXPECT_FALSE(g.program.isLoaded("Form14"));
    EXPECT_FALSE(g.ended);
    g.click("Form13", "Command4");
    EXPECT_EQ(g.widget<QLineEdit>("Form14", "Text4")->text(), QStringLiteral(".wmv"));
    EXPECT_TRUE(g.widget<QRadioButton>("Form14", "Option2")->isChecked());
    EXPECT_EQ(g.program.find("Form13")->text("Text4"), ".avi");
    EXPECT_EQ(g.program.find("Form13")->text("Text17"), "false");

    // With the settings hidden, closing the generator leaves nothing in view
    // and ends the program.
    g.click("Form14", "Command1");
    g.window("Form13")->close();
    QApplication::processEvents();
    EXPECT_TRUE(g.ended);
}
