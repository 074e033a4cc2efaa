// Documents as bytes: code page 932, CR LF after every line, written in place
// of an existing file only once complete.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include <csignal>

#include "output/cp932.h"
#include "output/document_writer.h"
#include "support.h"

using testing_support::readBytes;
using testing_support::TempFolder;
using testing_support::writeBytes;

namespace {

TEST(Cp932, EncodesJapaneseKatakanaAndTheInputMethodVariants)
{
    const struct {
        const char* text;
        const char* bytes;
    } cases[] = {
        {"家族", "\x89\xc6\x91\xb0"},
        {"ﾊﾞｰｼﾞｮﾝ", "\xca\xde\xb0\xbc\xde\xae\xdd"},
        {"\\", "\x5c"},
        {"①髙", "\x87\x40\xfb\xfc"},
        // Wave dash, double vertical line, minus, em dash, cent, pound, not.
        {"〜‖−—¢£¬", "\x81\x60\x81\x61\x81\x7c\x81\x5c\x81\x91\x81\x92\x81\xca"},
        {"～∥－", "\x81\x60\x81\x61\x81\x7c"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(output::toCp932(c.text), std::string(c.bytes)) << c.text;
    }
}

TEST(Cp932, NamesTheFirstCharacterItCannotHold)
{
    const struct {
        const char* text;
        const char* bad;
    } cases[] = {
        {"abc😀def", "😀"},
        {"𠮷野家", "𠮷"},
        {"café", "é"},
        {"ok\xC3", "\xEF\xBF\xBD"},
        {"ok\xC3(", "\xEF\xBF\xBD"},
        {"overlong\xC0\x80", "\xEF\xBF\xBD"},
        {"surrogate\xED\xA0\x80", "\xEF\xBF\xBD"},
        {"beyond\xF4\x90\x80\x80", "\xEF\xBF\xBD"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(output::toCp932(c.text).has_value()) << c.text;
        EXPECT_EQ(output::firstUnencodable(c.text), std::string(c.bad)) << c.text;
    }
    EXPECT_FALSE(output::firstUnencodable("全部だいじょうぶ〜").has_value());
}

TEST(WriteDocument, EveryLineEndsWithCrLfTheLastToo)
{
    TempFolder dir;
    const struct {
        output::Document lines;
        std::string bytes;
    } cases[] = {
        {{"a", "b"}, "a\r\nb\r\n"}, {{"a", ""}, "a\r\n\r\n"}, {{""}, "\r\n"}, {{}, ""}, {{"ｱ家"}, "\xb1\x89\xc6\r\n"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(output::WriteDocument(dir.file("doc.txt"), c.lines));
        EXPECT_EQ(readBytes(dir.file("doc.txt")), c.bytes);
    }
}

TEST(WriteDocument, ReplacesAnExistingFileEntirely)
{
    TempFolder dir;
    writeBytes(dir.file("old.asx"), std::string(5000, 'x'));
#ifndef _WIN32
    ::chmod(dir.file("old.asx").c_str(), 0640);
#endif
    ASSERT_TRUE(output::WriteDocument(dir.file("old.asx"), {"short"}));
    EXPECT_EQ(readBytes(dir.file("old.asx")), "short\r\n");
#ifndef _WIN32
    struct stat st {};
    ::stat(dir.file("old.asx").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
#endif
    EXPECT_EQ(testing_support::filesIn(dir.path()), 1u);
}

TEST(WriteDocument, AFailureNamesItsReasonAndLeavesNoTrace)
{
    TempFolder dir;
    const struct {
        std::string path;
        const char* reason;
    } cases[] = {
        {dir.file("missing/doc.htm"), "フォルダーが見つかりません。"},
        {dir.path(), "同じ名前のフォルダーがあります。"},
        {dir.file(std::string(300, 'n')), "名前が長すぎます。"},
    };
    for (const auto& c : cases) {
        const output::FsResult r = output::WriteDocument(c.path, {"line"});
        EXPECT_FALSE(r.ok) << c.path;
        EXPECT_EQ(r.reason, c.reason) << c.path;
    }
    EXPECT_EQ(testing_support::filesIn(dir.path()), 0u);
}

// Windows has no per-process file size limit to break a write off with.
#ifndef _WIN32
TEST(WriteDocument, AWriteThatBreaksOffKeepsTheOldFileByteForByte)
{
    TempFolder dir;
    const std::string old = "<ASX Version =\"3.0\">\r\nold\r\n";
    writeBytes(dir.file("keep.asx"), old);

    // A file size limit makes the write fail half way, as a full disk does,
    // whoever runs the test.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    rlimit small{100, previous.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &small);
    const output::FsResult r = output::WriteDocument(dir.file("keep.asx"), {std::string(1000, 'n')});
    ::setrlimit(RLIMIT_FSIZE, &previous);

    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.reason, "ファイルが大きすぎます。");
    EXPECT_EQ(readBytes(dir.file("keep.asx")), old);
    EXPECT_EQ(testing_support::filesIn(dir.path()), 1u);
}
#endif

}  // namespace
