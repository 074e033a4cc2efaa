// Form2 through the save flow: the metafile as bytes, the dialog's settings
// from one showing to the next, and what the user is told.
#include <gtest/gtest.h>

#include "app/catalog.h"
#include "output/file_system.h"
#include "support.h"

using testing_support::crlf;
using testing_support::readBytes;
using testing_support::TempFolder;

namespace {

struct SimpleMetafile : ::testing::Test {
    SimpleMetafile()
    {
        program.start("Form1");
        program.click("Form1", "Command3");
    }
    form::Form& screen() { return *program.find("Form2"); }
    std::string save(const std::string& name)
    {
        platform.answerSave(dir.file(name));
        program.click("Form2", "Command1");
        return readBytes(form::withDefaultExtension(dir.file(name), "asx"));
    }

    TempFolder dir;
    form::ScriptedPlatform platform;
    form::Program program{app::kelvoraProgram(), platform};
};

TEST_F(SimpleMetafile, WritesTheFourLinesAroundTheVideoName)
{
    const struct {
        const char* typed;
        std::string line3;
    } cases[] = {
        {nullptr, "<Ref href =\"./.wmv\">"},
        {"kyou01.wmv", "<Ref href =\"./kyou01.wmv\">"},
        {"", "<Ref href =\"./\">"},
        {"my movie.avi", "<Ref href =\"./my movie.avi\">"},
        {"家族の映像.mpg", "<Ref href =\"./\x89\xc6\x91\xb0\x82\xcc\x89\x66\x91\x9c.mpg\">"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed == nullptr ? "untouched" : c.typed);
        if (c.typed != nullptr) {
            program.edit("Form2", "Text1", c.typed);
        }
        EXPECT_EQ(save("kyou01"), crlf({"<ASX Version =\"3.0\">", "<Entry>", c.line3, "</Entry></ASX>"}));
    }
}

TEST_F(SimpleMetafile, TheConfirmationComesAfterTheFileIsComplete)
{
    program.edit("Form2", "Text1", "kyou01.wmv");
    save("kyou01");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].title, "Mirevant");
    EXPECT_EQ(platform.messages[0].text, dir.file("kyou01.asx") + "を保存しました。");
}

TEST_F(SimpleMetafile, TheDialogSwitchesItsFilterAfterTheFirstChosenName)
{
    platform.answerCancel();
    program.click("Form2", "Command1");
    save("first");
    save("second.asx");
    ASSERT_EQ(platform.dialogs.size(), 3u);
    const auto& cancelled = platform.dialogs[0].settings;
    EXPECT_EQ(cancelled.title, "名前をつけて保存");
    EXPECT_TRUE(cancelled.cancelError);
    EXPECT_EQ(cancelled.defaultExt, "asx");
    EXPECT_EQ(cancelled.initDir, "c:\\");
    EXPECT_EQ(cancelled.fileName, "");
    EXPECT_EQ(cancelled.filter, "メタファイル(*.asx)|*.asx");
    EXPECT_EQ(platform.dialogs[1].settings.filter, "メタファイル(*.asx)|*.asx");
    EXPECT_EQ(platform.dialogs[2].settings.filter, "メタファイル|*.asx*|その他|*.*");
    EXPECT_EQ(platform.dialogs[2].settings.fileName, dir.file("first.asx"));
    EXPECT_EQ(platform.messageTexts()[0], "キャンセルされました");

    // Unloaded and shown again: the design-time settings return.
    program.click("Form2", "Command3");
    program.click("Form1", "Command3");
    platform.answerCancel();
    program.click("Form2", "Command1");
    EXPECT_EQ(platform.dialogs.back().settings.filter, "メタファイル(*.asx)|*.asx");
    EXPECT_EQ(platform.dialogs.back().settings.fileName, "");
    EXPECT_EQ(screen().text("Text1"), ".wmv");
}

TEST_F(SimpleMetafile, ACharacterShiftJisCannotHoldStopsTheSaveBeforeTheDialog)
{
    program.edit("Form2", "Text1", "movie😀.wmv");
    platform.answerSave(dir.file("x"));
    program.click("Form2", "Command1");
    EXPECT_TRUE(platform.dialogs.empty());
    EXPECT_EQ(testing_support::filesIn(dir.path()), 0u);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "「ビデオ名記入」の文字「😀」はShift_JISで保存できません。"
                                         "この文字を別の文字に直してから保存してください。");
    EXPECT_EQ(screen().text("Text1"), "movie😀.wmv");
}

TEST_F(SimpleMetafile, AYenSignOrOverlineIsRefusedWithItsFullWidthFormSuggested)
{
    // Code page 932 would write them as a backslash and a tilde; the page
    // would then show 「価格\500」.
    const struct {
        const char* typed;
        const char* named;
        const char* suggested;
    } cases[] = {{"価格¥500.wmv", "¥", "￥"}, {"a‾b.wmv", "‾", "￣"}};
    for (const auto& c : cases) {
        program.edit("Form2", "Text1", c.typed);
        program.click("Form2", "Command1");
        EXPECT_TRUE(platform.dialogs.empty());
        EXPECT_EQ(testing_support::filesIn(dir.path()), 0u);
        ASSERT_FALSE(platform.messages.empty());
        EXPECT_EQ(platform.messages.back().text, std::string("「ビデオ名記入」の文字「") + c.named +
                                                     "」はShift_JISで保存できません。"
                                                     "この文字を別の文字に直してから保存してください。"
                                                     "全角の「" +
                                                     c.suggested + "」なら保存できます。");
    }
    // The full-width forms are written.
    program.edit("Form2", "Text1", "価格￥500.wmv");
    platform.answerSave(dir.file("yen"));
    program.click("Form2", "Command1");
    EXPECT_EQ(testing_support::readBytes(dir.file("yen.asx")),
              "<ASX Version =\"3.0\">\r\n<Entry>\r\n<Ref href =\"./\x89\xbf\x8a\x69\x81\x8f"
              "500.wmv\">\r\n</Entry></ASX>\r\n");
}

TEST_F(SimpleMetafile, AFailedWriteIsToldAsSuchAndKeepsTheOldFile)
{
    testing_support::writeBytes(dir.file("keep.asx"), "old\r\n");
    // A path in a folder that does not exist, then a file system that fails.
    platform.answerSave(dir.file("missing/kyou01"));
    program.click("Form2", "Command1");
    EXPECT_EQ(platform.messageTexts().back(),
              dir.file("missing/kyou01.asx") + "を保存できませんでした。\nフォルダーが見つかりません。");

    struct Full : output::FileSystem {
        output::FsResult replaceFile(const std::string&, const std::string&) override
        {
            return output::FsResult::fromErrno(ENOSPC);
        }
    } full;
    output::FileSystemOverride use(full);
    platform.answerSave(dir.file("keep.asx"));
    program.click("Form2", "Command1");
    EXPECT_EQ(platform.messageTexts().back(),
              dir.file("keep.asx") + "を保存できませんでした。\nディスクの空き容量が足りません。");
    EXPECT_EQ(readBytes(dir.file("keep.asx")), "old\r\n");
    EXPECT_EQ(platform.messages.size(), 2u);
}

TEST_F(SimpleMetafile, NextAndBackFollowTheirStepLists)
{
    program.edit("Form2", "Text1", "typed.wmv");
    program.click("Form2", "Command2");
    EXPECT_FALSE(program.isLoaded("Form2"));
    EXPECT_TRUE(program.isVisible("Form4"));
    program.click("Form4", "Command4");
    EXPECT_TRUE(program.isVisible("Form1"));
    program.click("Form1", "Command3");
    EXPECT_EQ(screen().text("Text1"), ".wmv");
    program.click("Form2", "Command4");
    ASSERT_EQ(platform.helpCalls.size(), 1u);
    EXPECT_EQ(platform.helpCalls[0].owner, "Form2");
    EXPECT_EQ(platform.helpCalls[0].file, "KELVORA.hlp");
}

}  // namespace
