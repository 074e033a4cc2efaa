// The save rule on the real disk, each of its steps made to fail in turn
// through the file-system seam: whichever fails, the file holds all its old
// bytes or all the new ones and no temporary file is left. Runs in both
// builds.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <string>

#include "faulty_file_system.h"
#include "output/file_system.h"
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

}  // namespace
