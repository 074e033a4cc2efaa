// kelvquick's one screen, driven as the user drives it, with the program
// folder in a temporary folder of the test's own.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "output/file_system.h"
#include "flows/folder_generation.h"
#include "quick/quick_generator.h"
#include "support/faulty_file_system.h"
#include "support/scripted_platform.h"
#include "support.h"

namespace {

using testing_support::crlf;
using testing_support::filesIn;
using testing_support::readBytes;
using testing_support::TempFolder;
using Messages = std::vector<std::string>;

// "ここをクリックしてください。" in code page 932.
const std::string clickHere =
    "\x82\xb1\x82\xb1\x82\xf0\x83\x4e\x83\x8a\x83\x62\x83\x4e\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3"
    "\x82\xa2\x81\x42";

std::string page(const std::string& target)
{
    return crlf({"<HTML><HEAD><TITLE></TITLE></HEAD><BODY>", "<P align=\"center\"><B><A href=\"" + target +
                                                                 ".asx\" target=\"_self\">" + clickHere +
                                                                 "</A></B></P></BODY></HTML>"});
}

std::string metafile(const std::string& target)
{
    return crlf({"<ASX Version =\"3.0\"><Entry>", "<Ref href =\"" + target + ".wmv\"></Entry></ASX>"});
}

using testing_support::FaultyFileSystem;

class Quick : public ::testing::Test {
protected:
    Quick()
    {
        platform.folder = disk.path();
        program.start("Form1");
    }

    void generate(const std::string& name)
    {
        program.edit("Form1", "Text1", name);
        program.click("Form1", "Command1");
    }

    TempFolder disk;
    form::ScriptedPlatform platform;
    form::Program program{quick::quickProgram(), platform};
};

TEST_F(Quick, BbWritesPageAndMetafileWithAbsoluteLinks)
{
    generate("bb");
    const std::string target = disk.file("bb/bb");
    EXPECT_EQ(filesIn(disk.file("bb")), 2u);
    EXPECT_EQ(readBytes(target + ".htm"), page(target));
    EXPECT_EQ(readBytes(target + ".asx"), metafile(target));
    // The first says where the files are.
    EXPECT_EQ(platform.messageTexts(), (Messages{"保存しました。\n" + disk.file("bb"), "完成しました。"}));
    for (const auto& m : platform.messages) {
        EXPECT_EQ(m.title, "Mirequick");
        EXPECT_EQ(m.owner, "Form1");
    }
}

// Spaces before and inside a name are kept as typed (the path is written with
// this system's separator).
#ifndef _WIN32
TEST_F(Quick, NameWithSpacesIsUsedAsTyped)
{
    generate(" my  video");
    const std::string target = disk.path() + "/ my  video/ my  video";
    EXPECT_EQ(readBytes(target + ".htm"), page(target));
    EXPECT_EQ(readBytes(target + ".asx"), metafile(target));
}
#endif

TEST_F(Quick, ProgramAtTheRootGetsNoDoubleSeparator)
{
    EXPECT_EQ(flows::joinPath("/", "bb"), "/bb");
    EXPECT_EQ(flows::joinPath("C:\\", "bb"), "C:\\bb");
    EXPECT_EQ(flows::joinPath("/opt/tools", "bb"), std::string("/opt/tools") + form::pathSeparator + "bb");
}

TEST_F(Quick, PageIsWrittenBeforeTheMetafile)
{
    FaultyFileSystem fs;
    output::FileSystemOverride use(fs);
    generate("bb");
    EXPECT_EQ(fs.replaced, (Messages{disk.file("bb/bb.htm"), disk.file("bb/bb.asx")}));
}

TEST_F(Quick, ExistingFolderIsLeftUntouched)
{
    std::filesystem::create_directory(disk.file("bb"));
    testing_support::writeBytes(disk.file("bb/bb.htm"), "mine");
    generate("bb");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].text.find("「" + disk.file("bb") + "」はすでにあります。"), std::string::npos);
    EXPECT_EQ(readBytes(disk.file("bb/bb.htm")), "mine");
    EXPECT_EQ(filesIn(disk.file("bb")), 1u);
}

TEST_F(Quick, RefusedBeforeAnythingIsCreated)
{
    struct Case {
        std::string name;
        std::string messagePart;
    };
    const std::vector<Case> cases = {
        {"", "記入しましょう。"},
        {"a/b", "「/」"},
        {"..", "「..」はフォルダーの名前にできません"},
        {"\xE2\x98\x83", "「ビデオファイル名」の文字「\xE2\x98\x83」"},
        // Written as a backslash, the yen sign would name another folder.
        {"価格¥500", "の文字「¥」はShift_JISで書き込めません。全角の「￥」なら書き込めます。"},
        {"‾", "の文字「‾」はShift_JISで書き込めません。全角の「￣」なら書き込めます。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform.messages.clear();
        generate(c.name);
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_NE(platform.messages[0].text.find(c.messagePart), std::string::npos) << platform.messages[0].text;
        EXPECT_EQ(filesIn(disk.path()), 0u);
    }
}

TEST_F(Quick, ProgramFolderThatShiftJisCannotWrite)
{
    // The folder's path goes into both links.
    const std::string folder = disk.file("\xE2\x98\x83");
    std::filesystem::create_directory(folder);
    platform.folder = folder;
    generate("bb");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].text.find("「プログラムのあるフォルダー」の文字「\xE2\x98\x83」"),
              std::string::npos);
    EXPECT_EQ(filesIn(folder), 0u);
}

TEST_F(Quick, FailuresTakeBackWhatTheRunCreated)
{
    // The program folder is a file, is gone, refuses new folders (simulated:
    // the tests run as root), or a write fails.
    testing_support::writeBytes(disk.file("plain"), "x");
    for (const std::string& folder : {disk.file("plain"), disk.file("gone")}) {
        SCOPED_TRACE(folder);
        platform.messages.clear();
        platform.folder = folder;
        generate("bb");
        ASSERT_EQ(platform.messages.size(), 1u);
        const std::string target = folder + form::pathSeparator + "bb";
        EXPECT_EQ(platform.messages[0].text.find("フォルダー「" + target + "」を作成できませんでした。\n"), 0u);
    }
    platform.folder = disk.path();
    EXPECT_EQ(filesIn(disk.path()), 1u);

    {
        FaultyFileSystem fs;
        fs.failOperation(1, EACCES);  // the folder
        output::FileSystemOverride use(fs);
        platform.messages.clear();
        program.click("Form1", "Command1");
        EXPECT_EQ(platform.messageTexts(), (Messages{"フォルダー「" + disk.file("bb") +
                                                     "」を作成できませんでした。\n書き込みの許可がありません。"}));
    }
    for (int failing = 1; failing <= 2; ++failing) {
        SCOPED_TRACE(failing);
        FaultyFileSystem fs;
        fs.failOperation(1 + failing, EIO);  // after the folder, the page or the metafile
        output::FileSystemOverride use(fs);
        platform.messages.clear();
        program.click("Form1", "Command1");
        EXPECT_EQ(platform.messageTexts(), (Messages{"「" + fs.replaced.back() +
                                                     "」を保存できませんでした。\nディスクの読み書きに失敗しました。"
                                                     "\n作成途中のフォルダーとファイルは削除しました。"}));
        EXPECT_EQ(filesIn(disk.path()), 1u);  // only "plain"
    }

    platform.messages.clear();
    program.click("Form1", "Command1");
    ASSERT_EQ(platform.messageTexts().size(), 2u);
    EXPECT_EQ(platform.messageTexts()[0].rfind("保存しました。\n" + disk.path(), 0), 0u);
}

TEST_F(Quick, HelpAndExit)
{
    program.click("Form1", "Command5");
    ASSERT_EQ(platform.helpCalls.size(), 1u);
    EXPECT_EQ(platform.helpCalls[0].owner, "Form1");
    EXPECT_EQ(platform.helpCalls[0].file, "KELVORA.hlp");
    EXPECT_FALSE(platform.ended);
    program.click("Form1", "Command2");
    EXPECT_TRUE(platform.ended);
    EXPECT_FALSE(program.isLoaded("Form1"));
}

}  // namespace
