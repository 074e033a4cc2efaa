// The one-shot generator and its settings screen, driven as the user drives
// them: the top menu's "diz　君", typing, option clicks, "設定" and "戻る".
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/catalog.h"
#include "output/file_system.h"
#include "support/faulty_file_system.h"
#include "support/scripted_platform.h"
#include "support.h"

namespace {

using testing_support::crlf;
using testing_support::filesIn;
using testing_support::readBytes;
using testing_support::TempFolder;

// "ここをクリックしてください。" in code page 932.
const std::string clickHere =
    "\x82\xb1\x82\xb1\x82\xf0\x83\x4e\x83\x8a\x83\x62\x83\x4e\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3"
    "\x82\xa2\x81\x42";

std::string metafile(const std::string& name, const std::string& ext)
{
    return crlf({"<ASX Version =\"3.0\"><Entry>", "<Ref href =\"./" + name + ext + "\"></Entry></ASX>"});
}

std::string linkPage(const std::string& name)
{
    return crlf({"<HTML><HEAD><TITLE></TITLE></HEAD><BODY>",
                 "<P align=\"center\"><B><A href=\"./" + name + ".asx\" target=\"_self\">" + clickHere + "</A></B></P>",
                 "'</BODY></HTML>"});
}

std::string embedPage(const std::string& name, const std::string& width, const std::string& height,
                      const std::string& autoStart)
{
    return crlf({"<html><head><title>enbedsampl</title><meta http-equiv=\"Content-Type\" "
                 "content=\"text/html; charset=Shift_JIS\">",
                 "</head><body bgcolor=\"#FFFFFF\" text=\"#000000\">",
                 "<OBJECT ID=\"Player\" width=\"" + width + "\" height=\"" + height +
                     "\"CLASSID=\"CLSID:6BF52A52-394A-11d3-B153-00C04F79FAA6\">",
                 "<PARAM name=\"autoStart\" value=\"" + autoStart + "\">",
                 "<PARAM name=\"URL\" value=\"./" + name + ".asx\">",
                 "<embed src=\"./" + name + ".asx\" autostart=\"false\" width=" + width + " height=" + height +
                     "></embed></OBJECT>",
                 "</body></html>", ""});
}

using testing_support::FaultyFileSystem;

class OneShot : public ::testing::Test {
protected:
    OneShot() { restart(); }

    // A new run of the program, at the generator.
    void restart()
    {
        program.reset();
        platform = std::make_unique<form::ScriptedPlatform>();
        platform->folder = disk.path();
        program = std::make_unique<form::Program>(app::kelvoraProgram(), *platform);
        program->start("Form1");
        program->click("Form1", "Command2");
    }

    form::Form& generator() { return *program->find("Form13"); }
    form::Form& settings() { return *program->find("Form14"); }

    std::vector<std::string> mirrors()
    {
        form::Form& f = generator();
        return {f.text("Text4"), f.text("Text12"), f.text("Text14"), f.text("Text17")};
    }

    void generate(const std::string& name)
    {
        program->edit("Form13", "Text1", name);
        program->click("Form13", "Command1");
    }

    std::string file(const std::string& folder, const std::string& name)
    {
        return readBytes(disk.file(folder + "/" + name));
    }

    TempFolder disk;
    std::unique_ptr<form::ScriptedPlatform> platform;
    std::unique_ptr<form::Program> program;
};

using Messages = std::vector<std::string>;

TEST_F(OneShot, FirstLoadTakesTheStartSettingsFromTheHiddenSettingsScreen)
{
    ASSERT_TRUE(program->isVisible("Form13"));
    ASSERT_TRUE(program->isLoaded("Form14"));
    EXPECT_FALSE(program->isVisible("Form14"));
    EXPECT_EQ(mirrors(), (Messages{".wmv", "320", "304", "false"}));
    EXPECT_EQ(settings().text("Text4"), ".wmv");
    EXPECT_EQ(settings().text("Text12"), "320");
    EXPECT_EQ(settings().text("Text14"), "");
    EXPECT_EQ(settings().text("Text17"), "false");
    EXPECT_FALSE(settings().selected("Option1"));
    EXPECT_TRUE(settings().selected("Option2"));
}

TEST_F(OneShot, BbWritesTheThreeFilesExactly)
{
    generate("bb");
    EXPECT_EQ(filesIn(disk.path()), 1u);
    EXPECT_EQ(filesIn(disk.file("bb")), 3u);
    EXPECT_EQ(file("bb", "bb.asx"), metafile("bb", ".wmv"));
    EXPECT_EQ(file("bb", "bb.htm"), linkPage("bb"));
    EXPECT_EQ(file("bb", "bb01.htm"), embedPage("bb", "320", "304", "false"));
    EXPECT_EQ(platform->messageTexts(), (Messages{"保存しました。\n" + disk.file("bb")}));
    EXPECT_EQ(platform->messages.at(0).title, "Mirevant");
    EXPECT_EQ(platform->messages.at(0).owner, "Form13");
}

struct SettingsCase {
    const char* what;
    std::function<void(form::Program&)> change;
    const char* file;
    std::string expected;
};

TEST_F(OneShot, SettingsReachTheNextGeneratedFiles)
{
    const std::vector<SettingsCase> cases = {
        {"width 640", [](form::Program& p) { p.edit("Form14", "Text12", "640"); }, "bb01.htm",
         embedPage("bb", "640", "544", "false")},
        {"width 101", [](form::Program& p) { p.edit("Form14", "Text12", "101"); }, "bb01.htm",
         embedPage("bb", "101", "139.75", "false")},
        {"on", [](form::Program& p) { p.click("Form14", "Option1"); }, "bb01.htm",
         embedPage("bb", "320", "304", "true")},
        {"on then off",
         [](form::Program& p) {
             p.click("Form14", "Option1");
             p.click("Form14", "Option2");
         },
         "bb01.htm", embedPage("bb", "320", "304", "false")},
        {"height typed on the settings screen never survives",
         [](form::Program& p) { p.edit("Form14", "Text14", "999"); }, "bb01.htm",
         embedPage("bb", "320", "304", "false")},
        {".avi", [](form::Program& p) { p.edit("Form14", "Text4", ".avi"); }, "bb.asx", metafile("bb", ".avi")},
        {"avi without its dot", [](form::Program& p) { p.edit("Form14", "Text4", "avi"); }, "bb.asx",
         metafile("bbavi", "")},
    };
    for (const SettingsCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(disk.file("bb"));
        restart();
        program->click("Form13", "Command4");
        ASSERT_TRUE(program->isVisible("Form14"));
        c.change(*program);
        program->click("Form14", "Command1");
        EXPECT_FALSE(program->isVisible("Form14"));
        EXPECT_TRUE(program->isLoaded("Form14"));
        generate("bb");
        EXPECT_EQ(file("bb", c.file), c.expected);
    }
}

TEST_F(OneShot, SettingsApplyWhileTheSettingsScreenStaysOpen)
{
    program->click("Form13", "Command4");
    program->edit("Form14", "Text12", "640");
    EXPECT_EQ(mirrors(), (Messages{".wmv", "640", "544", "false"}));
    program->edit("Form14", "Text12", "");
    EXPECT_EQ(mirrors(), (Messages{".wmv", "", "", "false"}));
    program->edit("Form14", "Text12", "480");
    EXPECT_EQ(mirrors(), (Messages{".wmv", "480", "424", "false"}));
    EXPECT_TRUE(program->isVisible("Form13"));
    EXPECT_TRUE(program->isVisible("Form14"));
}

TEST_F(OneShot, SettingsSurviveLeavingTheGeneratorButNotARestart)
{
    program->click("Form13", "Command4");
    program->edit("Form14", "Text4", ".mpg");
    program->edit("Form14", "Text12", "640");
    program->click("Form14", "Option1");
    program->click("Form14", "Command1");
    program->click("Form13", "Command3");  // back to the top menu
    ASSERT_TRUE(program->isVisible("Form1"));
    EXPECT_FALSE(program->isLoaded("Form13"));
    program->click("Form1", "Command2");
    EXPECT_EQ(mirrors(), (Messages{".mpg", "640", "544", "true"}));
    EXPECT_EQ(generator().text("Text1"), "");

    restart();
    EXPECT_EQ(mirrors(), (Messages{".wmv", "320", "304", "false"}));
}

TEST_F(OneShot, SettingsScreenClosedByItsFrameComesBackWithStartValues)
{
    program->click("Form13", "Command4");
    program->edit("Form14", "Text4", ".avi");
    program->edit("Form14", "Text12", "640");
    program->click("Form14", "Option1");
    program->closeWindow("Form14");
    EXPECT_FALSE(program->isLoaded("Form14"));
    EXPECT_FALSE(platform->ended);
    EXPECT_EQ(mirrors(), (Messages{".avi", "640", "544", "true"}));

    program->click("Form13", "Command4");
    ASSERT_TRUE(program->isVisible("Form14"));
    EXPECT_EQ(settings().text("Text4"), ".wmv");
    EXPECT_EQ(settings().text("Text12"), "320");
    EXPECT_TRUE(settings().selected("Option2"));
    // Only what the fresh load step changed reached the generator.
    EXPECT_EQ(mirrors(), (Messages{".avi", "640", "544", "false"}));

    generate("bb");
    EXPECT_EQ(file("bb", "bb.asx"), metafile("bb", ".avi"));
    EXPECT_EQ(file("bb", "bb01.htm"), embedPage("bb", "640", "544", "false"));
}

TEST_F(OneShot, ClosingTheGeneratorByItsFrame)
{
    // The settings screen in view keeps the program going ...
    program->click("Form13", "Command4");
    program->closeWindow("Form13");
    EXPECT_FALSE(platform->ended);
    EXPECT_TRUE(program->isVisible("Form14"));

    // ... a hidden one does not: no window would be left.
    restart();
    program->closeWindow("Form13");
    EXPECT_TRUE(platform->ended);
    EXPECT_TRUE(program->loadedScreens().empty());
}

TEST_F(OneShot, HelpExitAndBack)
{
    program->click("Form13", "Command5");
    ASSERT_EQ(platform->helpCalls.size(), 1u);
    EXPECT_EQ(platform->helpCalls[0].owner, "Form13");
    EXPECT_EQ(platform->helpCalls[0].file, "KELVORA.hlp");

    program->click("Form13", "Command4");
    program->click("Form14", "Command2");
    ASSERT_EQ(platform->helpCalls.size(), 2u);
    EXPECT_EQ(platform->helpCalls[1].owner, "Form14");

    program->click("Form13", "Command2");
    EXPECT_TRUE(platform->ended);
}

// Spaces before and inside a name are kept; one at its end is refused alike
// on both systems, as Windows would drop it.
TEST_F(OneShot, NameThatBeginsWithASpaceIsAName)
{
    generate(" a");
    EXPECT_EQ(platform->messageTexts(), (Messages{"保存しました。\n" + disk.file(" a")}));
    EXPECT_EQ(file(" a", " a.asx"), metafile(" a", ".wmv"));
    EXPECT_EQ(file(" a", " a01.htm"), embedPage(" a", "320", "304", "false"));
}

TEST_F(OneShot, SecondPressWithTheSameNameLeavesTheFolderAlone)
{
    generate("bb");
    testing_support::writeBytes(disk.file("bb/bb.htm"), "mine");
    platform->messages.clear();
    program->click("Form13", "Command1");
    ASSERT_EQ(platform->messages.size(), 1u);
    const std::string& text = platform->messages[0].text;
    EXPECT_NE(text.find(disk.file("bb")), std::string::npos) << text;
    EXPECT_NE(text.find("すでにあります"), std::string::npos) << text;
    EXPECT_EQ(file("bb", "bb.htm"), "mine");
    EXPECT_EQ(file("bb", "bb.asx"), metafile("bb", ".wmv"));
    EXPECT_EQ(filesIn(disk.file("bb")), 3u);
}

struct Refusal {
    const char* name;
    std::function<void(form::Program&)> before;
    std::string messagePart;
};

TEST_F(OneShot, RefusedBeforeAnythingIsCreated)
{
    const auto none = [](form::Program&) {};
    const std::vector<Refusal> cases = {
        {"", none, "記入しましょう。"},
        {"a/b", none, "「/」"},
        {"a\\b", none, "「/」"},
        {".", none, "「.」はフォルダーの名前にできません"},
        {"..", none, "「..」はフォルダーの名前にできません"},
        {"bb", [](form::Program& p) { p.edit("Form14", "Text12", "abc"); }, "幅「abc」が数値ではありません"},
        {"bb", [](form::Program& p) { p.edit("Form14", "Text12", ""); }, "幅「」が数値ではありません"},
        {"bb\xE2\x98\x83", none, "「ビデオファイル名」の文字「\xE2\x98\x83」"},
        {"bb", [](form::Program& p) { p.edit("Form14", "Text4", ".w\xE2\x98\x83"); },
         "「設定の拡張子」の文字「\xE2\x98\x83」"},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        c.before(*program);
        generate(c.name);
        ASSERT_EQ(platform->messages.size(), 1u);
        EXPECT_NE(platform->messages[0].text.find(c.messagePart), std::string::npos) << platform->messages[0].text;
        EXPECT_EQ(filesIn(disk.path()), 0u);
    }
}

TEST_F(OneShot, FolderThatCannotBeCreated)
{
    // A program folder that is a file, one that is gone, and one without
    // write permission (simulated: the tests run as root, for whom chmod
    // changes nothing).
    testing_support::writeBytes(disk.file("plain"), "x");
    for (const std::string& folder : {disk.file("plain"), disk.file("gone")}) {
        SCOPED_TRACE(folder);
        restart();
        platform->folder = folder;
        generate("bb");
        ASSERT_EQ(platform->messages.size(), 1u);
        const std::string target = folder + form::pathSeparator + "bb";
        EXPECT_NE(platform->messages[0].text.find("フォルダー「" + target + "」を作成できませんでした。\n"),
                  std::string::npos)
            << platform->messages[0].text;
        EXPECT_EQ(filesIn(disk.path()), 1u);
    }

    restart();
    FaultyFileSystem fs;
    fs.failOperation(1, EACCES);  // the folder
    output::FileSystemOverride use(fs);
    generate("bb");
    EXPECT_EQ(platform->messageTexts(), (Messages{"フォルダー「" + disk.file("bb") +
                                                  "」を作成できませんでした。\n書き込みの許可がありません。"}));
    EXPECT_TRUE(fs.replaced.empty());
}

TEST_F(OneShot, WriteFailureTakesBackWhatTheRunCreated)
{
    for (int failing = 1; failing <= 3; ++failing) {
        SCOPED_TRACE(failing);
        restart();
        FaultyFileSystem fs;
        fs.failOperation(1 + failing, ENOSPC);  // after the folder, one of its three files
        output::FileSystemOverride use(fs);
        generate("bb");
        ASSERT_EQ(fs.replaced.size(), static_cast<std::size_t>(failing));
        const std::string failed = fs.replaced.back();
        EXPECT_EQ(platform->messageTexts(), (Messages{"「" + failed +
                                                      "」を保存できませんでした。\nディスクの空き容量が足りません。"
                                                      "\n作成途中のフォルダーとファイルは削除しました。"}));
        EXPECT_EQ(filesIn(disk.path()), 0u);
    }
}

TEST_F(OneShot, RealWriteFailureOnTheThirdFileLeavesNoFolder)
{
    // 251 characters: the folder, N.asx and N.htm fit the 255-byte limit of
    // a file name, N01.htm does not.
    const std::string name(251, 'v');
    generate(name);
    ASSERT_EQ(platform->messages.size(), 1u);
    EXPECT_NE(platform->messages[0].text.find(name + "01.htm」を保存できませんでした。\n名前が長すぎます。"),
              std::string::npos);
    EXPECT_EQ(filesIn(disk.path()), 0u);

    // Once the cause is gone, pressing again works.
    platform->messages.clear();
    generate("bb");
    EXPECT_EQ(platform->messageTexts(), (Messages{"保存しました。\n" + disk.file("bb")}));
}

}  // namespace
