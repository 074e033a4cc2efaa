// Form3, the detailed metafile, driven as the user drives it from the top menu.
#include <gtest/gtest.h>

#include <string>

#include "app/catalog.h"
#include "support.h"

namespace {

using testing_support::crlf;
using testing_support::filesIn;
using testing_support::readBytes;
using testing_support::TempFolder;

const std::string firstFilter = "メタファイル(*.asx)|*.asx";
const std::string laterFilter = "メタファイル|*.asx*|その他|*.*";

class DetailedMetafile : public ::testing::Test {
protected:
    DetailedMetafile()
    {
        program.start("Form1");
        program.click("Form1", "Command4");
    }

    form::Form& screen() { return program.screen("Form3"); }
    void type(const std::string& control, const std::string& text) { program.edit("Form3", control, text); }

    std::string save(const std::string& name)
    {
        platform.answerSave(folder.file(name));
        program.click("Form3", "Command3");
        return readBytes(folder.file(name));
    }

    TempFolder folder;
    form::ScriptedPlatform platform;
    form::Program program{app::kelvoraProgram(), platform};
};

TEST_F(DetailedMetafile, OpensFromTheTopMenuWithTheVideoExtensionReady)
{
    EXPECT_EQ(program.visibleScreens(), std::vector<std::string>{"Form3"});
    EXPECT_EQ(screen().text("Text1"), "");
    EXPECT_EQ(screen().text("Text2"), ".wmv");
}

TEST_F(DetailedMetafile, WritesTheReferenceUpAndIntoTheVideoFolder)
{
    struct Case {
        const char* folderName;
        const char* video;  // nullptr: the field is not touched
        std::string line2;
    };
    const Case cases[] = {
        {"wmv", nullptr, "<Ref href =\"../wmv/.wmv\">"},  // first, while still as loaded
        {"wmv", "kyou01.wmv", "<Ref href =\"../wmv/kyou01.wmv\">"},
        {"", "kyou01.wmv", "<Ref href =\"..//kyou01.wmv\">"},  // the separator stays
        {"wmv/wmv2", "kyou01.wmv", "<Ref href =\"../wmv/wmv2/kyou01.wmv\">"},
        {"wmv/", "a b.avi", "<Ref href =\"../wmv//a b.avi\">"},
        {"動画", "今日.wmv", "<Ref href =\"../\x93\xae\x89\xe6/\x8d\xa1\x93\xfa.wmv\">"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line2);
        type("Text1", c.folderName);
        if (c.video != nullptr) {
            type("Text2", c.video);
        }
        const std::string name = "meta" + std::to_string(n++) + ".asx";
        EXPECT_EQ(save(name), crlf({"<ASX Version =\"3.0\"><Entry>", c.line2, "</Entry></ASX>"}));
        EXPECT_EQ(platform.messageTexts().back(), folder.file(name) + "を保存しました。");
    }
}

TEST_F(DetailedMetafile, OffersTheSecondFilterOnlyAfterANameWasChosen)
{
    type("Text1", "wmv");
    platform.answerCancel();
    program.click("Form3", "Command3");
    save("first");  // the dialog appends ".asx"
    save("second.asx");

    ASSERT_EQ(platform.dialogs.size(), 3u);
    EXPECT_EQ(platform.dialogs[0].settings.filter, firstFilter);
    EXPECT_EQ(platform.dialogs[1].settings.filter, firstFilter);  // a cancel does not switch it
    EXPECT_EQ(platform.dialogs[2].settings.filter, laterFilter);
    EXPECT_EQ(platform.dialogs[0].settings.defaultExt, "asx");
    EXPECT_EQ(platform.dialogs[0].settings.initDir, "c:\\");
    EXPECT_EQ(platform.dialogs[0].settings.title, "名前をつけて保存");
    EXPECT_EQ(platform.dialogs[2].settings.fileName, folder.file("first.asx"));
    EXPECT_EQ(platform.messageTexts().front(), "キャンセルされました");
    EXPECT_EQ(filesIn(folder.path()), 2u);
    EXPECT_EQ(readBytes(folder.file("first.asx")),
              crlf({"<ASX Version =\"3.0\"><Entry>", "<Ref href =\"../wmv/.wmv\">", "</Entry></ASX>"}));

    // Back to the top and in again: a fresh screen with a fresh dialog.
    program.click("Form3", "Command1");
    EXPECT_FALSE(program.isLoaded("Form3"));
    program.click("Form1", "Command4");
    platform.answerCancel();
    program.click("Form3", "Command3");
    EXPECT_EQ(platform.dialogs.back().settings.filter, firstFilter);
    EXPECT_EQ(platform.dialogs.back().settings.fileName, "");
    EXPECT_EQ(screen().text("Text1"), "");
}

TEST_F(DetailedMetafile, StaysLoadedButHiddenWhileTheDetailedPagesAreMade)
{
    type("Text1", "wmv");
    type("Text2", "kyou01.wmv");
    program.click("Form3", "Command2");

    EXPECT_TRUE(program.isVisible("Form7"));
    EXPECT_TRUE(program.isLoaded("Form3"));
    EXPECT_FALSE(program.isVisible("Form3"));
    EXPECT_FALSE(program.isLoaded("Form1"));
    EXPECT_TRUE(program.isLoaded("Form9"));  // made ready, hidden
    EXPECT_FALSE(program.isVisible("Form9"));

    program.click("Form7", "Command2");
    program.click("Form9", "Command3");
    ASSERT_TRUE(program.isLoaded("Form3"));
    EXPECT_FALSE(program.isVisible("Form3"));
    EXPECT_EQ(screen().text("Text1"), "wmv");
    EXPECT_EQ(screen().text("Text2"), "kyou01.wmv");

    // Every way back to the top menu discards it.
    program.click("Form7", "Command4");
    EXPECT_TRUE(program.isVisible("Form1"));
    EXPECT_FALSE(program.isLoaded("Form3"));
}

TEST_F(DetailedMetafile, HelpAndTheWayBackToTheTop)
{
    program.click("Form3", "Command4");
    ASSERT_EQ(platform.helpCalls.size(), 1u);
    EXPECT_EQ(platform.helpCalls[0].owner, "Form3");

    type("Text1", "wmv");
    program.click("Form3", "Command1");
    EXPECT_EQ(program.visibleScreens(), std::vector<std::string>{"Form1"});
    EXPECT_FALSE(program.isLoaded("Form3"));
    EXPECT_FALSE(platform.ended);
}

}  // namespace
