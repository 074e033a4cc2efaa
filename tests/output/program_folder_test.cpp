// Where the generators make their folders: beside the program when the user
// may write there, otherwise in the user's stand-in folder, told once a run.
// Played on a file system held in memory, where any folder can refuse.
#include <gtest/gtest.h>

#ifdef __linux__
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <memory>
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
    // Nothing here is on the real disk: no folder to open, no nameless
    // files, and every folder the user's own.
    output::FsResult openFolder(const std::string&, std::unique_ptr<output::OpenFolder>&) override
    {
        return output::FsResult::fromErrno(ENOENT);
    }
    output::FsResult probeNameless(const std::string&) override { return output::FsResult::fromErrno(EOPNOTSUPP); }
    output::FsResult checkOwnFolder(const std::string&) override { return output::FsResult::success(); }

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

#ifdef __linux__
TEST(ProgramFolder, AStandInThatIsNotTheUsersOwnFolderAloneIsRefusedByName)
{
    testing_support::TempFolder temp;
    const std::string installed = temp.file("bin");
    std::filesystem::create_directory(installed);
    ::chmod(installed.c_str(), 0555);
    const std::string elsewhere = temp.file("shared");
    std::filesystem::create_directory(elsewhere);
    const std::string standInPath = temp.file("kelvora");
    struct Case {
        const char* name;
        std::function<void()> make;
        std::string reason;  // empty: used
    };
    const Case cases[] = {
        {"the user's own", [&] { ::mkdir(standInPath.c_str(), 0755); }, ""},
        {"made by the rule", [] {}, ""},
        {"a link to a folder", [&] { std::filesystem::create_directory_symlink(elsewhere, standInPath); },
         "フォルダーではなくリンクです。"},
        {"a file", [&] { testing_support::writeBytes(standInPath, "x"); }, "フォルダーではありません。"},
        {"group-writable",
         [&] {
             ::mkdir(standInPath.c_str(), 0755);
             ::chmod(standInPath.c_str(), 0775);
         },
         "ほかのユーザーも書き込めるようになっています。"},
        {"writable by all",
         [&] {
             ::mkdir(standInPath.c_str(), 0755);
             ::chmod(standInPath.c_str(), 01777);
         },
         "ほかのユーザーも書き込めるようになっています。"},
        {"another user's",
         [&] {
             ::mkdir(standInPath.c_str(), 0755);
             static_cast<void>(::chown(standInPath.c_str(), 1234, 1234));
         },
         "持ち主（所有者）がほかのユーザーです。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(standInPath);
        c.make();
        // Root may write anywhere: the installed folder is made to refuse.
        MemoryFileSystem refusing;
        refusing.readOnly = {installed};
        class RealButInstalled : public output::FileSystem {
        public:
            explicit RealButInstalled(std::string installed) : installed_(std::move(installed)) {}
            output::FsResult probeNameless(const std::string& folder) override
            {
                return folder == installed_ ? output::FsResult::fromErrno(EACCES) : FileSystem::probeNameless(folder);
            }
            output::FsResult createFolder(const std::string& path) override
            {
                return path.rfind(installed_, 0) == 0 ? output::FsResult::fromErrno(EACCES)
                                                      : FileSystem::createFolder(path);
            }

        private:
            std::string installed_;
        } disk(installed);
        output::FileSystemOverride use(disk);
        std::vector<std::string> told;
        output::ProgramFolder rule(installed, standInPath, '/', [&](const std::string& text) { told.push_back(text); });
        const std::string chosen = rule.folder();
        ASSERT_EQ(told.size(), 1u);
        if (c.reason.empty()) {
            EXPECT_EQ(chosen, standInPath);
            EXPECT_EQ(told[0], output::ProgramFolder::standInMessage(installed, standInPath));
        } else {
            EXPECT_EQ(chosen, "");
            EXPECT_EQ(told[0],
                      "作成するフォルダーの置き場所「" + standInPath + "」は使えません。" + c.reason + "「" +
                          standInPath +
                          "」を、ご自分だけが書き込めるふつうのフォルダーにしてから、もう一度作成してください。");
            EXPECT_EQ(std::filesystem::is_empty(elsewhere), true);
        }
    }
}

TEST(ProgramFolder, TheProbeLeavesNothingEvenWhenTheProgramIsKilled)
{
    testing_support::TempFolder temp;
    // The probe's every step is a moment the program may be killed at: here
    // at its removal, the last.
    class KilledAtRemoval : public output::FileSystem {
    public:
        output::FsResult removeFolder(const std::string&) override
        {
            ::raise(SIGKILL);
            return output::FsResult::success();
        }
    };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        KilledAtRemoval disk;
        ::_exit(output::canCreateIn(disk, temp.path(), '/') ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(testing_support::filesIn(temp.path()), 0u);

    // Probes an earlier run left go with the next probe; a fresh one, maybe
    // another instance's, and other names stay.
    for (const char* name : {".kelvora-write-probe", ".kelvora-write-probe7", ".kelvora-write-probe12"}) {
        std::filesystem::create_directory(temp.file(name));
        std::filesystem::last_write_time(temp.file(name),
                                         std::filesystem::last_write_time(temp.file(name)) - std::chrono::hours(1));
    }
    std::filesystem::create_directory(temp.file(".kelvora-write-probe3"));
    std::filesystem::create_directory(temp.file(".kelvora-write-probe-mine"));
    std::filesystem::last_write_time(temp.file(".kelvora-write-probe-mine"),
                                     std::filesystem::last_write_time(temp.file(".kelvora-write-probe-mine")) -
                                         std::chrono::hours(1));
    EXPECT_TRUE(output::canCreateIn(output::fileSystem(), temp.path(), '/'));
    EXPECT_EQ(testing_support::filesIn(temp.path()), 2u);
    EXPECT_TRUE(std::filesystem::exists(temp.file(".kelvora-write-probe3")));
    EXPECT_TRUE(std::filesystem::exists(temp.file(".kelvora-write-probe-mine")));
}
#endif

}  // namespace
