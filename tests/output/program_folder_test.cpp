// Where the generators make their folders: beside the program when the user
// may write there, otherwise in the user's stand-in folder, told once a run.
// Played on a file system held in memory, where any folder can refuse.
#include <gtest/gtest.h>

#include <cerrno>
#include <set>
#include <string>
#include <vector>

#include "output/program_folder.h"
#include "support.h"

namespace {

class MemoryFileSystem : public output::FileSystem {
public:
    output::FsResult createFolder(const std::string& path) override
    {
        const std::string parent = path.substr(0, path.find_last_of('/'));
        if (readOnly.count(parent) != 0) {
            return output::FsResult::fromErrno(EACCES);
        }
        if (!folders.insert(path).second) {
            return output::FsResult::fromErrno(EEXIST);
        }
        created.push_back(path);
        return output::FsResult::success();
    }
    output::FsResult removeFolder(const std::string& path) override
    {
        return folders.erase(path) != 0 ? output::FsResult::success() : output::FsResult::fromErrno(ENOENT);
    }
    bool exists(const std::string& path) override { return folders.count(path) != 0; }

    std::set<std::string> folders;
    std::set<std::string> readOnly;
    std::vector<std::string> created;
};

const std::string bin = "/usr/bin";
const std::string home = "/home/u";
const std::string standIn = "/home/u/kelvora";
const std::string probe = "/usr/bin/.kelvora-write-probe";

TEST(ProgramFolder, TheProgramsFolderWhenWritableOtherwiseTheStandInToldOnce)
{
    struct Case {
        const char* name;
        std::set<std::string> folders;   // present before the run
        std::set<std::string> readOnly;  // where nothing may be created
        std::string wanted;
        bool standInMade;
    };
    const Case cases[] = {
        {"writable", {bin, home}, {}, bin, false},
        {"a probe left over", {bin, home, probe}, {}, bin, false},
        {"read-only", {bin, home}, {bin}, standIn, true},
        {"read-only, stand-in there", {bin, home, standIn}, {bin}, standIn, false},
        {"read-only, home too", {bin, home}, {bin, home}, standIn, false},
    };
    for (const Case& c : cases) {
        MemoryFileSystem fs;
        fs.folders = c.folders;
        fs.readOnly = c.readOnly;
        output::FileSystemOverride use(fs);
        std::vector<std::string> told;
        output::ProgramFolder rule(bin, standIn, '/', [&](const std::string& text) { told.push_back(text); });
        for (int use = 0; use < 3; ++use) {
            EXPECT_EQ(rule.folder(), c.wanted) << c.name;
        }
        const bool usesStandIn = c.wanted == standIn;
        ASSERT_EQ(told.size(), usesStandIn ? 1u : 0u) << c.name;
        if (usesStandIn) {
            EXPECT_NE(told[0].find("「" + bin + "」"), std::string::npos) << told[0];
            EXPECT_NE(told[0].find("「" + standIn + "」"), std::string::npos) << told[0];
        }
        EXPECT_EQ(fs.exists(standIn), c.standInMade || c.folders.count(standIn) != 0) << c.name;
        // Nothing of the probe stays behind, and only the probe and the
        // stand-in are ever made.
        EXPECT_EQ(fs.folders.count(probe), c.folders.count(probe)) << c.name;
        for (const std::string& made : fs.created) {
            EXPECT_TRUE(made == standIn || made.rfind(probe, 0) == 0) << c.name << ": " << made;
        }
    }
}

TEST(ProgramFolder, FollowsTheFolderBecomingWritableDuringTheRun)
{
    MemoryFileSystem fs;
    fs.folders = {bin, home};
    fs.readOnly = {bin};
    output::FileSystemOverride use(fs);
    int told = 0;
    output::ProgramFolder rule(bin, standIn, '/', [&](const std::string&) { ++told; });
    EXPECT_EQ(rule.folder(), standIn);
    fs.readOnly.clear();
    EXPECT_EQ(rule.folder(), bin);
    fs.readOnly = {bin};
    EXPECT_EQ(rule.folder(), standIn);
    EXPECT_EQ(told, 1) << "told once a run";
}

TEST(ProgramFolder, ProbesTheRealDisk)
{
    // Only what the system really allows is asked: a fresh temporary folder
    // may be written, a missing one may not.
    testing_support::TempFolder temp;
    output::FileSystem& fs = output::fileSystem();
    const char sep = temp.file("x").at(temp.path().size());
    EXPECT_TRUE(output::canCreateIn(fs, temp.path(), sep));
    EXPECT_FALSE(fs.exists(temp.file(".kelvora-write-probe")));
    EXPECT_FALSE(output::canCreateIn(fs, temp.file("missing"), sep));
}

}  // namespace
