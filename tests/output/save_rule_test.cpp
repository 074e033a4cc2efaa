// The save rule on the real disk, with its steps watched and made to fail
// through the file-system seam: which way it takes for each kind of file,
// and that a failure at any step leaves the old bytes or the new ones,
// never a mix, and no temporary file. Runs in both builds.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "faulty_file_system.h"
#include "output/file_system.h"
#include "support.h"

namespace {

namespace fs = std::filesystem;
using output::FsResult;
using testing_support::FailingSteps;
using testing_support::readBytes;
using testing_support::TempFolder;
using testing_support::writeBytes;

const std::string oldBytes = "<ASX Version =\"3.0\">\r\n<Ref href =\"./old.wmv\">\r\n</Entry></ASX>\r\n";
const std::string newBytes = "<HTML><HEAD><TITLE></TITLE></HEAD><BODY>\r\n</BODY></HTML>\r\n";

const std::vector<std::string> replacedWhole = {"create temporary", "keep attributes", "write", "flush", "close",
                                                "move into place"};
const std::vector<std::string> writtenInPlace = {"read", "open", "write", "set length", "flush", "close"};

std::vector<std::string> after(std::vector<std::string> first, const std::vector<std::string>& then)
{
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

// The user's file page.htm, and with `secondName` a hard link other.htm.
struct Place {
    explicit Place(bool secondName)
    {
        writeBytes(page, oldBytes);
        if (secondName) {
            fs::create_hard_link(page, dir.file("other.htm"));
        }
    }
    std::vector<std::string> names() const
    {
        std::vector<std::string> all;
        for (const auto& e : fs::directory_iterator(dir.path())) {
            all.push_back(e.path().filename().string());
        }
        return all;
    }
    TempFolder dir;
    std::string page = dir.file("page.htm");
};

TEST(SaveRule, TakesTheWayThatKeepsWhatTheUserHas)
{
    const struct {
        const char* what;
        bool exists;
        bool secondName;
        std::map<std::size_t, int> failing;
        std::vector<std::string> steps;
        const char* note;  // in the success note, or the reason of a failure
        bool saved;
    } cases[] = {
        {"a new file", false, false, {}, {"create temporary", "write", "flush", "close", "move into place"}, "", true},
        {"a file of one name", true, false, {}, replacedWhole, "", true},
        {"a file of two names", true, true, {}, writtenInPlace, "別の名前（ハードリンク）もあるため", true},
        {"a folder that takes no new file",
         true,
         false,
         {{1, EACCES}},
         after({"create temporary"}, writtenInPlace),
         "フォルダーに書き込む許可がないため",
         true},
        {"attributes the new file cannot take",
         true,
         false,
         {{2, EPERM}},
         after({"create temporary", "keep attributes", "close"}, writtenInPlace),
         "属性やアクセス許可を新しいファイルに移せないため",
         true},
        {"a full folder", true, false, {{1, ENOSPC}}, {"create temporary"}, "ディスクの空き容量が足りません。", false},
        {"a new file in a folder that takes none",
         false,
         false,
         {{1, EACCES}},
         {"create temporary"},
         "書き込みの許可がありません。",
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Place place(c.secondName);
        if (!c.exists) {
            fs::remove(place.page);
        }
        FailingSteps disk;
        disk.failing = c.failing;
        const FsResult r = output::saveFile(disk, place.page, newBytes);
        EXPECT_EQ(disk.steps, c.steps);
        EXPECT_EQ(r.ok, c.saved);
        EXPECT_NE((r.ok ? r.note : r.reason).find(c.note), std::string::npos) << r.note << r.reason;
        if (c.saved) {
            EXPECT_EQ(readBytes(place.page), newBytes);
            EXPECT_EQ(place.names().size(), c.secondName ? 2u : 1u);
        }
        if (c.secondName) {
            EXPECT_EQ(readBytes(place.dir.file("other.htm")), newBytes);
        }
    }
}

TEST(SaveRule, AFailureAtAnyStepLeavesAllTheOldBytesOrAllTheNew)
{
    const struct {
        const char* what;
        bool secondName;
        std::map<std::size_t, int> failing;  // besides the step under test
    } ways[] = {
        {"replaced whole", false, {}},
        {"written in place for a second name", true, {}},
        {"written in place for a folder that takes no new file", false, {{1, EACCES}}},
    };
    for (const auto& way : ways) {
        for (std::size_t step = way.failing.size() + 1;; ++step) {
            SCOPED_TRACE(std::string(way.what) + ", step " + std::to_string(step));
            Place place(way.secondName);
            const std::vector<std::string> before = place.names();
            FailingSteps disk;
            disk.failing = way.failing;
            disk.failing[step] = ENOSPC;
            const FsResult r = output::saveFile(disk, place.page, newBytes);
            if (step > disk.steps.size()) {
                // Every step has had its turn.
                EXPECT_TRUE(r.ok) << r.reason;
                EXPECT_EQ(readBytes(place.page), newBytes);
                EXPECT_GT(step, 6u);
                break;
            }
            // A step that the rule can go around leads to the new bytes.
            const std::string& expected = r.ok ? newBytes : oldBytes;
            EXPECT_EQ(readBytes(place.page), expected) << disk.steps[step - 1];
            if (way.secondName) {
                EXPECT_EQ(readBytes(place.dir.file("other.htm")), expected);
            }
            if (!r.ok) {
                EXPECT_EQ(r.reason, FsResult::fromErrno(ENOSPC).reason);
            }
            EXPECT_EQ(place.names(), before);
        }
    }
}

TEST(SaveRule, WhenTheOldBytesCannotBeWrittenBackEitherTheReasonSaysWhereTheFileMayBeDamaged)
{
    Place place(true);
    FailingSteps disk;
    disk.failingStep = "write";
    const FsResult r = output::saveFile(disk, place.page, newBytes);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.reason, FsResult::fromErrno(ENOSPC).reason + "\n元の内容にも戻せませんでした。「" + place.page +
                            "」の中身が壊れているかもしれません。");
}

}  // namespace
