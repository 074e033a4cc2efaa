// The save rule on the real disk, each of its steps made to fail in turn
// through the file-system seam: whichever fails, the file holds all its old
// bytes or all the new ones and no temporary file is left. Runs in both
// builds.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <string>

#include "output/file_system.h"
#include "support/faulty_file_system.h"
#include "support.h"

namespace {

using output::FsResult;
using testing_support::readBytes;

const std::string oldBytes = "<ASX Version =\"3.0\">\r\n<Ref href =\"./old.wmv\">\r\n</Entry></ASX>\r\n";
const std::string newBytes = "<HTML><HEAD><TITLE></TITLE></HEAD><BODY>\r\n</BODY></HTML>\r\n";

// The user's file page.htm, with a second name other.htm when asked.
struct Place {
    explicit Place(bool secondName)
    {
        testing_support::writeBytes(page, oldBytes);
        if (secondName) {
            std::filesystem::create_hard_link(page, dir.file("other.htm"));
        }
    }
    testing_support::TempFolder dir;
    std::string page = dir.file("page.htm");
};

TEST(SaveRule, AFailureAtAnyStepLeavesAllTheOldBytesOrAllTheNew)
{
    const struct {
        const char* way;
        bool secondName;
        std::map<std::size_t, int> failing;  // besides the step under test
        const char* note;                    // in the note of a save without failures
    } ways[] = {
        {"replaced whole", false, {}, ""},
        {"in place for a second name", true, {}, "別の名前（ハードリンク）もあるため"},
        {"in place for a folder that takes no new file", false, {{1, EACCES}}, "フォルダーに書き込む許可がないため"},
    };
    for (const auto& way : ways) {
        for (std::size_t step = way.failing.size() + 1;; ++step) {
            SCOPED_TRACE(std::string(way.way) + ", step " + std::to_string(step));
            Place place(way.secondName);
            testing_support::FailingSteps disk;
            disk.failing = way.failing;
            disk.failing[step] = ENOSPC;
            const FsResult r = output::saveFile(disk, place.page, newBytes);
            const bool failed = step <= disk.steps.size();
            // A step the rule can go around (attributes it cannot carry
            // over) still leads to the new bytes, written in place.
            const std::string& expected = r.ok ? newBytes : oldBytes;
            EXPECT_EQ(readBytes(place.page), expected) << (failed ? disk.steps[step - 1] : "");
            if (way.secondName) {
                EXPECT_EQ(readBytes(place.dir.file("other.htm")), expected);
            }
            EXPECT_EQ(r.reason, r.ok ? "" : FsResult::fromErrno(ENOSPC).reason);
            EXPECT_EQ(testing_support::filesIn(place.dir.path()), way.secondName ? 2u : 1u);
            if (!failed) {
                EXPECT_TRUE(r.ok);
                EXPECT_NE(r.note.find(way.note), std::string::npos) << r.note;
                EXPECT_GE(step, 7u);  // every step has had its turn
                break;
            }
        }
    }
}

TEST(SaveRule, WhenTheOldBytesCannotBeWrittenBackEitherTheReasonSaysWhereTheFileMayBeDamaged)
{
    Place place(true);
    testing_support::FailingSteps disk;
    disk.failingStep = "write";
    const FsResult r = output::saveFile(disk, place.page, newBytes);
    EXPECT_EQ(r.reason, FsResult::fromErrno(ENOSPC).reason + "\n元の内容にも戻せませんでした。「" + place.page +
                            "」の中身が壊れているかもしれません。");
}

TEST(SaveRule, ARenameTheFolderRefusesWritesTheFileInPlaceInstead)
{
    // A shared folder with the sticky bit lets only the owner replace a file
    // that its other writers may still write.
    for (const int refusal : {EPERM, EACCES}) {
        SCOPED_TRACE(refusal);
        Place place(false);
        testing_support::FailingSteps disk;
        disk.failing[6] = refusal;  // create, keep attributes, write, flush, close, move
        const FsResult r = output::saveFile(disk, place.page, newBytes);
        ASSERT_EQ(disk.steps.at(5), "move into place");
        EXPECT_TRUE(r.ok) << r.reason;
        EXPECT_EQ(r.note, "このフォルダーではファイルを置き換える許可がないため、"
                          "ファイルを置き換えずに中身を書き換えました。");
        EXPECT_EQ(readBytes(place.page), newBytes);
        EXPECT_EQ(testing_support::filesIn(place.dir.path()), 1u);
    }
}

#ifndef _WIN32
// The real disk, on which a folder's flush fails with EIO. (Windows writes
// the folder through with the move itself, and flushes none of its own.)
class UnflushableFolders : public output::FileSystem {
protected:
    FsResult flushFolder(const std::string&) override { return FsResult::fromErrno(EIO); }
};

TEST(SaveRule, AFileInPlaceIsSavedEvenWhenItsFolderCannotBeFlushed)
{
    for (const bool exists : {true, false}) {
        SCOPED_TRACE(exists ? "replaced" : "new");
        testing_support::TempFolder dir;
        const std::string page = dir.file("page.htm");
        if (exists) {
            testing_support::writeBytes(page, oldBytes);
        }
        UnflushableFolders disk;
        const FsResult r = output::saveFile(disk, page, newBytes);
        EXPECT_TRUE(r.ok) << r.reason;
        EXPECT_EQ(r.note, "ただし、フォルダーの変更をディスクに書き込めたかどうか確かめられませんでした。" +
                              FsResult::fromErrno(EIO).reason);
        EXPECT_EQ(readBytes(page), newBytes);
        EXPECT_EQ(testing_support::filesIn(dir.path()), 1u);
    }
}

#endif

TEST(SaveRule, EveryErrorHasAReasonInJapanese)
{
    // The ones a save or a generator meets by name; every other number gets
    // a Japanese sentence that names it.
    const std::pair<int, const char*> named[] = {
        {ENOTEMPTY, "フォルダーが空ではありません。"},
        {EXDEV, "別のドライブ（ファイルシステム）へは移せません。"},
        {EBUSY, "ほかのプログラムが使っています。"},
        {EMFILE, "開いているファイルが多すぎます。"},
        {ENOMEM, "メモリーが足りません。"},
        {EINVAL, "この場所ではこの操作ができません。"},
        {ENOTSUP, "この場所のファイルシステムはこの操作に対応していません。"},
    };
    for (const auto& [error, reason] : named) {
        EXPECT_EQ(FsResult::fromErrno(error).reason, reason);
        EXPECT_EQ(FsResult::fromErrno(error).error, error);
    }
    for (int error = 1; error < 134; ++error) {
        const std::string reason = FsResult::fromErrno(error).reason;
        SCOPED_TRACE(std::to_string(error) + ": " + reason);
        // Japanese from its first byte; Latin letters only in the name of the
        // error, after its number.
        ASSERT_FALSE(reason.empty());
        EXPECT_GE(static_cast<unsigned char>(reason[0]), 0x80u);
        const std::size_t number = reason.find("エラー番号 ");
        const std::string sentence = reason.substr(0, number);
        EXPECT_EQ(sentence.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"), std::string::npos);
        if (number != std::string::npos) {
            EXPECT_NE(reason.find("エラー番号 " + std::to_string(error)), std::string::npos);
        }
    }
}

}  // namespace
