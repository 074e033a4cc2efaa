// Saving where the disk says no, on real folders: read-only, vanished, full,
// a folder in the file's place, names at the length limit. Every save flow
// (the dialog's SaveDocument, the one-shot generator, kelvquick) must tell
// the user why, change no file that was there and leave nothing behind.
// Read-only and full places are small tmpfs mounts when the tests run as
// root; without root the full disk is skipped and read-only is a chmod.
// Then what a save must keep of the user's file: the links that lead to it,
// its other names, its owner, mode, access list and attributes, and its
// bytes when the disk fills up half way through writing it in place.
#ifdef __linux__

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <stddef.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/catalog.h"
#include "output/document_writer.h"
#include "quick/quick_generator.h"
#include "support/faulty_file_system.h"
#include "support.h"

namespace {

namespace fs = std::filesystem;
using testing_support::readBytes;
using testing_support::TempFolder;
using testing_support::writeBytes;

const std::string existingBytes = "<ASX Version =\"3.0\">\r\n\x89\xc6\x91\xb0\r\n";

// Everything below a folder: relative path -> bytes ("/" for a folder,
// "-> target" for a link, a mark for a device or a pipe).
std::map<std::string, std::string> contents(const std::string& folder)
{
    std::map<std::string, std::string> all;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        const std::string rel = e.path().lexically_relative(folder).string();
        all[rel] = e.is_symlink()        ? "-> " + fs::read_symlink(e.path()).string()
                   : e.is_directory()    ? "/"
                   : e.is_regular_file() ? readBytes(e.path().string())
                                         : "(neither file nor folder)";
    }
    return all;
}

// A tmpfs mounted for one test, unmounted afterwards.
class Tmpfs {
public:
    Tmpfs(const std::string& at, const std::string& options) : at_(at)
    {
        fs::create_directory(at);
        if (::mount("tmpfs", at.c_str(), "tmpfs", 0, options.c_str()) != 0) {
            error_ = std::strerror(errno);
        }
    }
    ~Tmpfs()
    {
        if (error_.empty()) {
            ::umount2(at_.c_str(), MNT_DETACH);
        }
    }
    Tmpfs(const Tmpfs&) = delete;
    Tmpfs& operator=(const Tmpfs&) = delete;

    const std::string& error() const { return error_; }
    bool remountReadOnly(const std::string& options)
    {
        return ::mount("tmpfs", at_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, options.c_str()) == 0;
    }

private:
    std::string at_;
    std::string error_;
};

// A folder where every write fails, holding one file of the user's.
struct Place {
    std::string folder;
    std::string reason;  // what the user is told
    std::string skip;    // why this machine cannot make the place
};

class Faults : public ::testing::Test {
protected:
    Place readOnly()
    {
        const std::string at = disk.file("ro");
        if (::geteuid() != 0) {
            // The file read-only too: a writable one would be written in place.
            fs::create_directory(at);
            writeBytes(at + "/existing.asx", existingBytes);
            ::chmod((at + "/existing.asx").c_str(), 0444);
            ::chmod(at.c_str(), 0555);
            restoreMode = at;
            return {at, "書き込みの許可がありません。", ""};
        }
        mount = std::make_unique<Tmpfs>(at, "size=256k");
        if (!mount->error().empty()) {
            return {at, "", "cannot mount a tmpfs (" + mount->error() + "): read-only folder not tested"};
        }
        writeBytes(at + "/existing.asx", existingBytes);
        if (!mount->remountReadOnly("size=256k")) {
            return {at, "", "cannot remount the tmpfs read-only: read-only folder not tested"};
        }
        return {at, "読み取り専用の場所です。", ""};
    }

    Place fullDisk()
    {
        const std::string at = disk.file("full");
        if (::geteuid() != 0) {
            return {at, "", "not running as root: the full disk (a small tmpfs) is not tested"};
        }
        mount = std::make_unique<Tmpfs>(at, "size=64k");
        if (!mount->error().empty()) {
            return {at, "", "cannot mount a tmpfs (" + mount->error() + "): full disk not tested"};
        }
        writeBytes(at + "/existing.asx", existingBytes);
        // Fill every block that is left.
        const std::string chunk(4096, 'f');
        FILE* filler = std::fopen((at + "/filler").c_str(), "wb");
        while (filler != nullptr && std::fwrite(chunk.data(), 1, chunk.size(), filler) == chunk.size() &&
               std::fflush(filler) == 0) {
        }
        if (filler != nullptr) {
            std::fclose(filler);
        }
        return {at, "ディスクの空き容量が足りません。", ""};
    }

    Place vanished()
    {
        const std::string at = disk.file("gone");
        fs::create_directory(at);
        fs::remove(at);
        return {at, "フォルダーが見つかりません。", ""};
    }

    ~Faults() override
    {
        if (!restoreMode.empty()) {
            ::chmod(restoreMode.c_str(), 0755);
        }
    }

    // Saves through the simple metafile screen's dialog; returns the messages.
    std::vector<std::string> saveAs(const std::string& path)
    {
        form::ScriptedPlatform platform;
        form::Program program(app::kelvoraProgram(), platform);
        program.start("Form2");
        program.edit("Form2", "Text1", "kyou01.wmv");
        platform.answerSave(path);
        program.click("Form2", "Command1");
        return platform.messageTexts();
    }

    // One press of a generator with its program in `folder`.
    std::vector<std::string> generate(bool quick, const std::string& folder, const std::string& name)
    {
        form::ScriptedPlatform platform;
        platform.folder = folder;
        if (quick) {
            form::Program program(quick::quickProgram(), platform);
            program.start("Form1");
            program.edit("Form1", "Text1", name);
            program.click("Form1", "Command1");
        } else {
            form::Program program(app::kelvoraProgram(), platform);
            program.start("Form1");
            program.click("Form1", "Command2");
            program.edit("Form13", "Text1", name);
            program.click("Form13", "Command1");
        }
        return platform.messageTexts();
    }

    TempFolder disk;
    std::unique_ptr<Tmpfs> mount;
    std::string restoreMode;
};

// The one message of a failed press: it names what failed and why.
void expectToldWhy(const std::vector<std::string>& messages, const std::string& what, const std::string& reason)
{
    ASSERT_EQ(messages.size(), 1u) << (messages.empty() ? "" : messages.back());
    EXPECT_NE(messages[0].find(what), std::string::npos) << messages[0];
    EXPECT_NE(messages[0].find(reason), std::string::npos) << messages[0];
}

// Each place runs every save flow: over the user's file, as a new file, and
// both generators. Nothing in the place may change.
void saveEverywhere(const Place& place, const std::function<std::vector<std::string>(const std::string&)>& save,
                    const std::function<std::vector<std::string>(bool, const std::string&)>& generate)
{
    const bool exists = fs::exists(place.folder);
    const auto before = exists ? contents(place.folder) : std::map<std::string, std::string>{};
    const std::vector<std::string> targets =
        exists ? std::vector<std::string>{"existing.asx", "new.asx"} : std::vector<std::string>{"new.asx"};
    for (const std::string& name : targets) {
        SCOPED_TRACE(name);
        const std::string path = place.folder + "/" + name;
        expectToldWhy(save(path), path + "を保存できませんでした。", place.reason);
    }
    for (const bool quick : {false, true}) {
        SCOPED_TRACE(quick ? "kelvquick" : "one-shot");
        expectToldWhy(generate(quick, place.folder), "できませんでした。", place.reason);
    }
    if (exists) {
        EXPECT_EQ(contents(place.folder), before);
        EXPECT_EQ(readBytes(place.folder + "/existing.asx"), existingBytes);
    } else {
        EXPECT_FALSE(fs::exists(place.folder));
    }
}

TEST_F(Faults, EverySaveFailsCleanlyInAReadOnlyAVanishedAndAFullFolder)
{
    const std::vector<std::pair<const char*, std::function<Place()>>> places = {
        {"read-only", [this] { return readOnly(); }},
        {"vanished", [this] { return vanished(); }},
        {"full disk", [this] { return fullDisk(); }},
    };
    std::vector<std::string> skipped;
    for (const auto& [what, make] : places) {
        SCOPED_TRACE(what);
        const Place place = make();
        if (!place.skip.empty()) {
            skipped.push_back(place.skip);
            continue;
        }
        saveEverywhere(
            place, [this](const std::string& path) { return saveAs(path); },
            [this](bool quick, const std::string& folder) { return generate(quick, folder, "bb"); });
        mount.reset();
    }
    if (!skipped.empty()) {
        std::string why;
        for (const std::string& s : skipped) {
            why += s + "; ";
        }
        GTEST_SKIP() << why;
    }
}

TEST_F(Faults, AFolderOrAPipeInTheFilesPlaceIsNamedAndLeftAlone)
{
    fs::create_directory(disk.file("page.htm"));
    writeBytes(disk.file("page.htm/inside.htm"), existingBytes);
    ASSERT_EQ(::mkfifo(disk.file("pipe.htm").c_str(), 0644), 0);
    const auto before = contents(disk.path());
    const std::pair<const char*, const char*> cases[] = {
        {"page.htm", "同じ名前のフォルダーがあります。"},
        {"pipe.htm", "同じ名前の、ふつうのファイルではないもの（デバイスなど）があります。"},
    };
    for (const auto& [name, reason] : cases) {
        expectToldWhy(saveAs(disk.file(name)), disk.file(name) + "を保存できませんでした。", reason);
    }
    EXPECT_EQ(contents(disk.path()), before);
}

TEST_F(Faults, NamesAtTheLengthLimitSaveAndOneByteMoreFailsCleanly)
{
    std::string kana;  // 83 characters of three bytes each: 249 bytes
    for (int i = 0; i < 83; ++i) {
        kana += "あ";
    }
    const struct {
        std::string name;
        bool saves;
    } cases[] = {
        {std::string(251, 'n') + ".asx", true},
        {kana + "nn.asx", true},
        {std::string(252, 'n') + ".asx", false},
        {kana + "nnn.asx", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.size());
        const std::string path = disk.file(c.name);
        const std::vector<std::string> messages = saveAs(path);
        ASSERT_EQ(messages.size(), 1u);
        if (c.saves) {
            EXPECT_EQ(messages[0], path + "を保存しました。");
            EXPECT_EQ(readBytes(path).substr(0, 5), "<ASX ");
            fs::remove(path);
        } else {
            EXPECT_EQ(messages[0], path + "を保存できませんでした。\n名前が長すぎます。");
        }
        EXPECT_EQ(testing_support::filesIn(disk.path()), 0u);
    }
}

TEST_F(Faults, GeneratorNamesThatOutgrowTheLimitTakeBackTheirFolder)
{
    // The folder's name fits; a file name made from it does not: the one-shot
    // generator fails at its third file (name + "01.htm"), kelvquick at its
    // first (name + ".htm").
    for (const bool quick : {false, true}) {
        SCOPED_TRACE(quick ? "kelvquick" : "one-shot");
        const std::string name(quick ? 252 : 251, 'n');
        const std::vector<std::string> messages = generate(quick, disk.path(), name);
        expectToldWhy(messages, "を保存できませんでした。", "名前が長すぎます。");
        EXPECT_NE(messages[0].find("作成途中のフォルダーとファイルは削除しました。"), std::string::npos);
        EXPECT_EQ(testing_support::filesIn(disk.path()), 0u);
    }
}

// What Form2 writes for the video kyou01.wmv.
const std::string metafileBytes =
    testing_support::crlf({"<ASX Version =\"3.0\">", "<Entry>", "<Ref href =\"./kyou01.wmv\">", "</Entry></ASX>"});

TEST_F(Faults, LinksAreFollowedToTheFileTheyNameAndStay)
{
    const std::string links = disk.file("links");
    const std::string elsewhere = disk.file("elsewhere");
    fs::create_directories(links + "/real");
    fs::create_directory(elsewhere);
    const std::string loop = "リンクがループしていて、保存するファイルにたどり着けません。";
    const struct {
        std::vector<std::pair<std::string, std::string>> made;  // link in links/ -> its target
        std::string written;                                    // as the note names it; empty when refused
        bool exists;                                            // whether the file is there before
        std::string reason;
    } cases[] = {
        {{{"chain.asx", "hop"}, {"hop", "real/chain.asx"}}, "real/chain.asx", true, ""},
        {{{"relative.asx", "../elsewhere/relative.asx"}}, "../elsewhere/relative.asx", true, ""},
        {{{"absolute.asx", elsewhere + "/absolute.asx"}}, elsewhere + "/absolute.asx", true, ""},
        {{{"dangling.asx", "real/new.asx"}}, "real/new.asx", false, ""},
        {{{"nowhere.asx", "missing/new.asx"}}, "", false, "フォルダーが見つかりません。"},
        {{{"loop.asx", "back"}, {"back", "loop.asx"}}, "", false, loop},
        {{{"self.asx", "self.asx"}}, "", false, loop},
    };
    for (const auto& c : cases) {
        const std::string saved = links + "/" + c.made[0].first;
        SCOPED_TRACE(saved);
        for (const auto& [link, target] : c.made) {
            fs::create_symlink(target, links + "/" + link);
        }
        const std::string written = c.written.empty() || c.written[0] == '/' ? c.written : links + "/" + c.written;
        if (c.exists) {
            writeBytes(written, existingBytes);
        }
        auto expected = contents(disk.path());
        const std::vector<std::string> messages = saveAs(saved);
        if (c.reason.empty()) {
            EXPECT_EQ(messages.at(0), saved + "を保存しました。\nリンク先の「" + written + "」に保存しました。");
            expected[fs::relative(written, disk.path()).string()] = metafileBytes;
        } else {
            EXPECT_EQ(messages.at(0), saved + "を保存できませんでした。\n" + c.reason);
        }
        // Every link leads where it did and no temporary file is left.
        EXPECT_EQ(contents(disk.path()), expected);
    }
}

// Runs `check` as an ordinary user: here when the test is not root, else in
// a child process that has become the user nobody, since root may write
// anywhere. False when no child could become nobody.
bool asOrdinaryUser(const std::function<void()>& check)
{
    if (::geteuid() != 0) {
        check();
        return true;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(77);
        }
        check();
        std::fflush(stdout);
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 1) << "the checks as the user nobody failed (above)";
    return WIFEXITED(status) && WEXITSTATUS(status) != 77;
}

TEST_F(Faults, AWritableFileInAFolderTheUserMayNotWriteIsWrittenInPlace)
{
    const std::string folder = disk.file("locked");
    fs::create_directory(folder);
    for (const char* name : {"writable.asx", "read-only.asx"}) {
        writeBytes(folder + "/" + name, existingBytes);
        static_cast<void>(::chown((folder + "/" + name).c_str(), 65534, 65534));  // when root
    }
    ::chmod((folder + "/read-only.asx").c_str(), 0444);
    ::chmod(folder.c_str(), 0555);
    ::chmod(disk.path().c_str(), 0755);
    restoreMode = folder;
    const std::string refused = "を保存できませんでした。\n書き込みの許可がありません。";
    const bool checked = asOrdinaryUser([&] {
        EXPECT_EQ(saveAs(folder + "/writable.asx").at(0),
                  folder + "/writable.asx" +
                      "を保存しました。\n"
                      "フォルダーに書き込む許可がないため、ファイルを置き換えずに中身を書き換えました。");
        EXPECT_EQ(saveAs(folder + "/read-only.asx").at(0), folder + "/read-only.asx" + refused);
        EXPECT_EQ(saveAs(folder + "/new.asx").at(0), folder + "/new.asx" + refused);
    });
    if (!checked) {
        GTEST_SKIP() << "no child process could become the user nobody: a read-only folder is not tested";
    }
    EXPECT_EQ(readBytes(folder + "/writable.asx"), metafileBytes);
    EXPECT_EQ(readBytes(folder + "/read-only.asx"), existingBytes);
    EXPECT_EQ(testing_support::filesIn(folder), 2u);
}

std::string output(const std::string& command)
{
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char chunk[4096];
        for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, p)) > 0;) {
            out.append(chunk, n);
        }
        ::pclose(p);
    }
    return out;
}

TEST_F(Faults, AReplacedFileKeepsItsOwnerModeAccessListAndAttributes)
{
    const std::string file = disk.file("kept.asx");
    writeBytes(file, existingBytes);
    ::chmod(file.c_str(), 02640);
    const bool root = ::geteuid() == 0 && ::chown(file.c_str(), 65534, 65534) == 0;
    const bool marked = ::setxattr(file.c_str(), "user.kelvora", "keep", 4, 0) == 0 &&
                        ::system(("setfacl -m u:nobody:rw '" + file + "'").c_str()) == 0;
    const std::string acl = output("getfacl -cnp '" + file + "' 2>&1");
    struct stat before {};
    ::stat(file.c_str(), &before);

    EXPECT_EQ(saveAs(file), std::vector<std::string>{file + "を保存しました。"});
    struct stat after {};
    ::stat(file.c_str(), &after);
    EXPECT_NE(after.st_ino, before.st_ino) << "the file was not replaced whole";
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(output("getfacl -cnp '" + file + "' 2>&1"), acl);
    char value[8] = {};
    EXPECT_EQ(::getxattr(file.c_str(), "user.kelvora", value, sizeof value), marked ? 4 : -1);
    EXPECT_EQ(testing_support::filesIn(disk.path()), 1u);
    if (!root || !marked) {
        GTEST_SKIP() << (root ? "" : "not root: the owner is not tested; ")
                     << (marked ? "" : "no user attribute or access list could be set (packages attr, acl)");
    }
}

TEST_F(Faults, ADiskThatFillsUpWhileAFileIsWrittenInPlaceLeavesItsOldBytes)
{
    // A file with a second name, written in place, must grow on a disk with
    // no room left. (Every user's run fails each step through the seam, in
    // save_rule_test.cpp.)
    const Place full = fullDisk();
    if (!full.skip.empty()) {
        GTEST_SKIP() << full.skip;
    }
    const std::string file = full.folder + "/existing.asx";
    fs::create_hard_link(file, full.folder + "/other.asx");
    const auto before = contents(full.folder);
    const output::FsResult r = output::WriteDocument(file, output::Document(400, std::string(40, 'n')));
    EXPECT_EQ(r.reason, "ディスクの空き容量が足りません。");
    EXPECT_EQ(contents(full.folder), before);
    EXPECT_EQ(readBytes(file), existingBytes);
}

TEST_F(Faults, GeneratorsRefuseALinkWhereTheirFolderWouldGoAndCreateEveryFileNew)
{
    fs::create_directory(disk.file("target"));
    for (const bool quick : {false, true}) {
        SCOPED_TRACE(quick ? "kelvquick" : "one-shot");
        for (const std::string& target : {disk.file("target"), disk.file("target/none")}) {
            fs::create_symlink(target, disk.file("bb"));
            const auto before = contents(disk.path());
            expectToldWhy(generate(quick, disk.path(), "bb"), "「" + disk.file("bb") + "」はすでにあります。",
                          "中のファイルはそのままにしてあります。");
            EXPECT_EQ(contents(disk.path()), before);
            fs::remove(disk.file("bb"));
        }
        // In the folder the run has made, no old file is read, opened or
        // kept: every file is made new in the opened folder, and no step of
        // the save rule, which looks for an old file, is taken.
        testing_support::FailingSteps watched;
        output::FileSystemOverride use(watched);
        static_cast<void>(generate(quick, disk.path(), "bb"));
        EXPECT_EQ(watched.steps, std::vector<std::string>{});
        EXPECT_EQ(testing_support::filesIn(disk.file("bb")), quick ? 2u : 3u);
        fs::remove_all(disk.file("bb"));
    }
}

// Runs `check` in a child process in which every call of the system call
// `number` fails with `error`, as the kernel itself would fail it. False when
// this machine cannot filter system calls.
bool withFailingCall(long number, int error, const std::function<void()>& check)
{
#if defined(__x86_64__)
    constexpr unsigned arch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
    constexpr unsigned arch = AUDIT_ARCH_AARCH64;
#else
    return false;
#endif
    const pid_t child = ::fork();
    if (child == 0) {
        sock_filter filter[] = {
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, arch, 1, 0),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<unsigned>(number), 0, 1),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (static_cast<unsigned>(error) & SECCOMP_RET_DATA)),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        };
        sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
        if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
            ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
            ::_exit(77);
        }
        check();
        std::fflush(stdout);
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 1) << "the checks with a failing call failed (above)";
    return WIFEXITED(status) && WEXITSTATUS(status) != 77;
}

struct Identity {
    ino_t inode;
    uid_t owner;
    gid_t group;
    mode_t mode;
    bool operator==(const Identity&) const = default;
};

Identity identityOf(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return {st.st_ino, st.st_uid, st.st_gid, st.st_mode};
}

const std::string inPlaceForOwner = "を保存しました。\n"
                                    "ファイルの属性やアクセス許可を新しいファイルに移せないため、"
                                    "ファイルを置き換えずに中身を書き換えました。"
                                    "置き換えると持ち主（所有者）やグループが変わってしまいます。";

TEST_F(Faults, EveryAttributeStepTheSystemRefusesMeansInPlaceOrARefusalNeverAChangedFile)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "not root: files of another owner cannot be made";
    }
    const struct {
        const char* call;
        long number;
        int error;
        bool exists;
        std::string told;  // after the path
    } cases[] = {
        // Root may give the file any owner, unless the system says no.
        {"fchown", SYS_fchown, EPERM, true, inPlaceForOwner},
        {"fsetxattr", SYS_fsetxattr, EIO, true,
         "を保存しました。\nファイルの属性やアクセス許可を新しいファイルに移せないため、"
         "ファイルを置き換えずに中身を書き換えました。ディスクの読み書きに失敗しました。"},
        // A new file that would keep mkostemp's 0600.
        {"fchmod", SYS_fchmod, EIO, false, "を保存できませんでした。\nディスクの読み書きに失敗しました。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.call);
        const std::string file = disk.file(std::string(c.call) + ".asx");
        if (c.exists) {
            writeBytes(file, existingBytes);
            ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
            ASSERT_EQ(::chmod(file.c_str(), 0664), 0);
            ASSERT_EQ(::setxattr(file.c_str(), "user.kelvora", "keep", 4, 0), 0);
        }
        const Identity before = identityOf(file);
        const bool filtered = withFailingCall(
            c.number, c.error, [&] { EXPECT_EQ(saveAs(file), std::vector<std::string>{file + c.told}); });
        if (!filtered) {
            GTEST_SKIP() << "system calls cannot be filtered here (seccomp)";
        }
        if (c.exists) {
            EXPECT_EQ(identityOf(file), before);
            EXPECT_EQ(readBytes(file), metafileBytes);
            EXPECT_EQ(::getxattr(file.c_str(), "user.kelvora", nullptr, 0), 4);
        } else {
            EXPECT_FALSE(fs::exists(file));
        }
    }
    EXPECT_EQ(testing_support::filesIn(disk.path()), 2u);
}

TEST_F(Faults, ASaveOverAColleaguesFileInASharedFolderKeepsItsOwner)
{
    // The user nobody may write a file of user 1234's through their common
    // group, in a folder both may write, with and without the sticky bit.
    if (::geteuid() != 0) {
        GTEST_SKIP() << "not root: files of another owner cannot be made";
    }
    for (const mode_t folderMode : {0777, 01777}) {
        SCOPED_TRACE(folderMode);
        const std::string folder = disk.file(folderMode == 0777 ? "shared" : "sticky");
        fs::create_directory(folder);
        ::chmod(folder.c_str(), folderMode);
        ::chmod(disk.path().c_str(), 0755);
        const std::string file = folder + "/theirs.asx";
        writeBytes(file, existingBytes);
        ASSERT_EQ(::chown(file.c_str(), 1234, 65534), 0);
        ASSERT_EQ(::chmod(file.c_str(), 0664), 0);
        const Identity before = identityOf(file);
        const bool checked =
            asOrdinaryUser([&] { EXPECT_EQ(saveAs(file), std::vector<std::string>{file + inPlaceForOwner}); });
        if (!checked) {
            GTEST_SKIP() << "no child process could become the user nobody";
        }
        EXPECT_EQ(identityOf(file), before);
        EXPECT_EQ(readBytes(file), metafileBytes);
        EXPECT_EQ(testing_support::filesIn(folder), 1u);
    }
}

TEST_F(Faults, GeneratorNamesThatWouldBreakThePagesOrAWindowsFolderAreRefusedWithTheirCharacter)
{
    const std::string asName = "はファイルやフォルダーの名前に使えません。";
    const std::string device = "」はWindowsが装置に使う名前なので、ファイルやフォルダーの名前にできません。";
    const std::string advice = "名前を別の文字で記入してください。";
    const struct {
        std::string name;
        std::string why;  // after 「ビデオファイル名」の; empty: saved
    } cases[] = {
        {"x\" onmouseover=\"alert(1)", "文字「\"」" + asName},
        {"a\nb", "文字「U+000A」" + asName},
        {"a\rb", "文字「U+000D」" + asName},
        {"tab\t", "文字「U+0009」" + asName},
        {"del\x7f", "文字「U+007F」" + asName},
        {"<b>", "文字「<」" + asName},
        {"a>b", "文字「>」" + asName},
        {"a|b", "文字「|」" + asName},
        {"a?b", "文字「?」" + asName},
        {"a*b", "文字「*」" + asName},
        {"c:video", "文字「:」" + asName},
        {"CON", "「CON" + device},
        {"nul", "「nul" + device},
        {"aux.txt", "「aux" + device},
        {"Com1", "「Com1" + device},
        {"LPT9.htm", "「LPT9" + device},
        {"name.", "最後の「.」はWindowsでは消えてしまうため、名前の最後には使えません。"},
        {"name ", "最後の空白はWindowsでは消えてしまうため、名前の最後には使えません。"},
        {" ", "最後の空白はWindowsでは消えてしまうため、名前の最後には使えません。"},
        // Near misses are names like any other.
        {"CONSOLE", ""},
        {"COM0", ""},
        {"LPT10", ""},
        {"x.con", ""},
        {"v1.2", ""},
        {"a'b&c", ""},
        {" my  video", ""},
    };
    for (const bool quick : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(quick ? "kelvquick: " : "one-shot: ") + c.name);
            const std::vector<std::string> messages = generate(quick, disk.path(), c.name);
            ASSERT_FALSE(messages.empty());
            if (c.why.empty()) {
                EXPECT_EQ(messages[0], "保存しました。\n" + disk.file(c.name));
                fs::remove_all(disk.file(c.name));
            } else {
                EXPECT_EQ(messages, std::vector<std::string>{"「ビデオファイル名」の" + c.why + advice});
            }
            EXPECT_EQ(testing_support::filesIn(disk.path()), 0u);
        }
    }
    // kelvquick writes its own folder into both links.
    const std::string quoted = disk.file("say \"hi\"");
    fs::create_directory(quoted);
    EXPECT_EQ(generate(true, quoted, "bb"),
              std::vector<std::string>{
                  "「プログラムのあるフォルダー」の文字「\"」はページやメタファイルの値の中に書き込めません。"
                  "Shift_JISで書ける名前のフォルダーにプログラムを置いてから使ってください。"});
    EXPECT_EQ(testing_support::filesIn(quoted), 0u);
}

TEST_F(Faults, AFileWrittenInPlaceTakesOneSaveAtATime)
{
    // A file with a second name is written in place; another save (here the
    // test's own opening of the file) is writing it meanwhile.
    const std::string file = disk.file("shared.asx");
    writeBytes(file, existingBytes);
    fs::create_hard_link(file, disk.file("other.asx"));
    const int other = ::open(file.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(other, 0);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    ASSERT_EQ(::fcntl(other, F_OFD_SETLK, &lock), 0) << std::strerror(errno);
    EXPECT_EQ(saveAs(file), std::vector<std::string>{file + "を保存できませんでした。\n"
                                                            "ほかの保存がこのファイルに書き込んでいるところです。"
                                                            "少し待ってから、もう一度保存してください。"});
    EXPECT_EQ(readBytes(file), existingBytes);
    ::close(other);
    ASSERT_EQ(saveAs(file).at(0).find(file + "を保存しました。"), 0u);
    EXPECT_EQ(readBytes(disk.file("other.asx")), metafileBytes);
}

// Runs `save` in a child process that the kernel kills at its first call of
// the system call `number`. False when it did not die there.
bool killedAt(long number, const std::function<void()>& save)
{
#if defined(__x86_64__)
    constexpr unsigned arch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
    constexpr unsigned arch = AUDIT_ARCH_AARCH64;
#else
    return false;
#endif
    const pid_t child = ::fork();
    if (child == 0) {
        sock_filter filter[] = {
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, arch, 1, 0),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<unsigned>(number), 0, 1),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        };
        sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
        if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
            ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
            ::_exit(77);
        }
        save();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGSYS;
}

TEST_F(Faults, ASaveInPlaceCutShortByACrashIsUndoneByTheNextSaveOfThatFile)
{
    const std::string state = disk.file("state");
    const char* const previous = std::getenv("XDG_STATE_HOME");
    const std::string restore = previous != nullptr ? previous : "";
    ::setenv("XDG_STATE_HOME", state.c_str(), 1);
    // A file with a second name, longer than what is saved over it.
    const std::string file = disk.file("long.asx");
    std::string oldBytes;
    for (int i = 0; i < 20; ++i) {
        oldBytes += "<Ref href =\"./old" + std::to_string(i) + ".wmv\">\r\n";
    }
    writeBytes(file, oldBytes);
    fs::create_hard_link(file, disk.file("other.asx"));

    // Killed between writing the new bytes and cutting the file.
    if (!killedAt(SYS_ftruncate, [&] { static_cast<void>(saveAs(file)); })) {
        GTEST_SKIP() << "no child process could be killed at ftruncate (seccomp)";
    }
    ASSERT_NE(readBytes(file), oldBytes);  // the new bytes and the old tail

    // The next save fails as it writes: what goes back is the file before
    // the crash, not the mix the crash left.
    testing_support::FailingSteps failing;
    failing.failing[3] = ENOSPC;  // read, open, write
    EXPECT_FALSE(output::saveFile(failing, file, metafileBytes).ok);
    EXPECT_EQ(readBytes(file), oldBytes);
    EXPECT_EQ(readBytes(disk.file("other.asx")), oldBytes);

    // Cut short again, then saved: the user is told.
    ASSERT_TRUE(killedAt(SYS_ftruncate, [&] { static_cast<void>(saveAs(file)); }));
    EXPECT_EQ(saveAs(file).at(0), file +
                                      "を保存しました。\n"
                                      "前回の保存が途中で止まっていたため、その前の内容を元の内容として扱いました。\n"
                                      "このファイルには別の名前（ハードリンク）もあるため、"
                                      "ファイルを置き換えずに中身を書き換えました。");
    EXPECT_EQ(readBytes(file), metafileBytes);
    EXPECT_EQ(testing_support::filesIn(state + "/kelvora"), 0u);
    if (previous != nullptr) {
        ::setenv("XDG_STATE_HOME", restore.c_str(), 1);
    } else {
        ::unsetenv("XDG_STATE_HOME");
    }
}

// The real disk, on which the program folder's rename of the finished
// folder fails, or its flush after the rename does.
class LateFailures : public output::FileSystem {
public:
    bool failRename = false;
    bool failFolderFlush = false;
    output::FsResult openFolder(const std::string& path, std::unique_ptr<output::OpenFolder>& folder) override
    {
        output::FsResult opened = FileSystem::openFolder(path, folder);
        if (opened) {
            folder = std::make_unique<Folder>(*this, std::move(folder));
        }
        return opened;
    }

private:
    class Folder : public output::OpenFolder {
    public:
        Folder(LateFailures& disk, std::unique_ptr<output::OpenFolder> real)
            : OpenFolder(real->path), disk_(disk), real_(std::move(real))
        {
        }
        output::FsResult createFolder(const std::string& name, std::unique_ptr<output::OpenFolder>& made) override
        {
            return real_->createFolder(name, made);
        }
        output::FsResult createFile(const std::string& name, const std::string& bytes) override
        {
            return real_->createFile(name, bytes);
        }
        output::FsResult remove(const std::string& name) override { return real_->remove(name); }
        output::FsResult rename(const std::string& from, const std::string& to) override
        {
            return disk_.failRename ? output::FsResult::fromErrno(EIO) : real_->rename(from, to);
        }
        output::FsResult flush() override
        {
            return disk_.failFolderFlush ? output::FsResult::fromErrno(EIO) : real_->flush();
        }
        int removeLeftovers(const std::function<bool(const std::string& name)>& ours) override
        {
            return real_->removeLeftovers(ours);
        }

    private:
        LateFailures& disk_;
        std::unique_ptr<output::OpenFolder> real_;
    };
};

TEST_F(Faults, AGeneratorTakesBackItsFolderWhenItCannotBeNamedAndKeepsItWhenOnlyTheFlushFails)
{
    for (const bool quick : {false, true}) {
        SCOPED_TRACE(quick ? "kelvquick" : "one-shot");
        {
            // Every file was written, but the folder could not take its
            // name: the files go, and the hidden folder with them.
            LateFailures late;
            late.failRename = true;
            output::FileSystemOverride use(late);
            const std::vector<std::string> messages = generate(quick, disk.path(), "bb");
            expectToldWhy(messages, "フォルダー「" + disk.file("bb") + "」を作成できませんでした。",
                          "ディスクの読み書きに失敗しました。");
            EXPECT_NE(messages[0].find("作成途中のフォルダーとファイルは削除しました。"), std::string::npos);
            EXPECT_EQ(testing_support::filesIn(disk.path()), 0u);
        }
        {
            // The folder under its name is made; the flush is a warning.
            LateFailures late;
            late.failFolderFlush = true;
            output::FileSystemOverride use(late);
            const std::vector<std::string> messages = generate(quick, disk.path(), "bb");
            ASSERT_FALSE(messages.empty());
            EXPECT_EQ(messages[0].find("できませんでした"), std::string::npos) << messages[0];
            EXPECT_NE(
                messages[0].find("\n" + disk.file("bb") + "\nただし、フォルダーの変更をディスクに書き込めたかどうか"),
                std::string::npos)
                << messages[0];
            EXPECT_EQ(testing_support::filesIn(disk.file("bb")), quick ? 2u : 3u);
            EXPECT_EQ(testing_support::filesIn(disk.path()), 1u);
            fs::remove_all(disk.file("bb"));
        }
    }
}

// The names in a folder, hidden ones too.
std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Makes what stands at path look as if a run before this one had left it.
void fromAnEarlierRun(const std::string& path)
{
    fs::last_write_time(path, fs::last_write_time(path) - std::chrono::hours(1));
}

TEST_F(Faults, AGeneratorKilledMidWayLeavesOnlyAHiddenFolderWhichTheNextRunClears)
{
    for (const bool quick : {false, true}) {
        const int files = quick ? 2 : 3;
        // The folder, then each file: the run ends just before that step.
        for (int killAt = 1; killAt <= 1 + files; ++killAt) {
            SCOPED_TRACE(std::string(quick ? "kelvquick" : "one-shot") + ", killed at step " + std::to_string(killAt));
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                testing_support::FaultyFileSystem disk;
                disk.killInstead = true;
                disk.failOperation(killAt, EIO);
                output::FileSystemOverride use(disk);
                static_cast<void>(generate(quick, this->disk.path(), "bb"));
                ::_exit(0);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
            // No folder under the name, so that the next press is not told
            // it exists; at most the hidden one.
            const std::vector<std::string> left = namesIn(disk.path());
            EXPECT_EQ(fs::exists(disk.file("bb")), false);
            ASSERT_LE(left.size(), 1u);
            if (left.empty()) {
                continue;
            }
            EXPECT_EQ(left[0].rfind(".bb.partial-", 0), 0u) << left[0];
            EXPECT_EQ(left[0].size(), std::string(".bb.partial-").size() + 6) << left[0];
            const std::string hidden = disk.file(left[0]);

            // A hidden folder as new as this run may be another instance's,
            // busy with it: it stays, and the press works beside it.
            std::vector<std::string> messages = generate(quick, disk.path(), "bb");
            ASSERT_FALSE(messages.empty());
            EXPECT_EQ(messages[0].rfind("保存しました。\n" + disk.file("bb"), 0), 0u) << messages[0];
            EXPECT_TRUE(fs::exists(hidden));
            fs::remove_all(disk.file("bb"));

            // Left by an earlier run, it goes with the next press; the
            // hidden folders of other names and other files stay.
            fromAnEarlierRun(hidden);
            fs::create_directory(disk.file(".bc.partial-abcdef"));
            fromAnEarlierRun(disk.file(".bc.partial-abcdef"));
            testing_support::writeBytes(disk.file(".bb.partial-mine"), "x");
            fromAnEarlierRun(disk.file(".bb.partial-mine"));
            messages = generate(quick, disk.path(), "bb");
            ASSERT_FALSE(messages.empty());
            EXPECT_EQ(messages[0].rfind("保存しました。\n" + disk.file("bb"), 0), 0u) << messages[0];
            EXPECT_EQ(namesIn(disk.path()), (std::vector<std::string>{".bb.partial-mine", ".bc.partial-abcdef", "bb"}));
            for (const std::string& name : namesIn(disk.path())) {
                fs::remove_all(disk.file(name));
            }
        }
    }
}

TEST_F(Faults, AFolderMadeUnderTheNameWhileAGeneratorRunsIsLeftAloneWithTheUsualMessage)
{
    for (const bool quick : {false, true}) {
        SCOPED_TRACE(quick ? "kelvquick" : "one-shot");
        // Another program makes the folder, with a file of its own, while
        // the generator writes its first file.
        testing_support::FaultyFileSystem disk;
        disk.onOperation = [&] {
            if (disk.replaced.size() == 1 && !fs::exists(this->disk.file("bb"))) {
                fs::create_directory(this->disk.file("bb"));
                testing_support::writeBytes(this->disk.file("bb/mine.htm"), "mine");
            }
        };
        output::FileSystemOverride use(disk);
        const std::vector<std::string> messages = generate(quick, this->disk.path(), "bb");
        EXPECT_EQ(messages,
                  std::vector<std::string>{"「" + this->disk.file("bb") +
                                           "」はすでにあります。中のファイルはそのままにしてあります。"
                                           "別の名前を記入するか、そのフォルダーを移してから作成してください。"});
        EXPECT_EQ(namesIn(this->disk.path()), std::vector<std::string>{"bb"});
        EXPECT_EQ(namesIn(this->disk.file("bb")), std::vector<std::string>{"mine.htm"});
        EXPECT_EQ(readBytes(this->disk.file("bb/mine.htm")), "mine");
        fs::remove_all(this->disk.file("bb"));
    }
}

TEST_F(Faults, AGeneratorsFolderSwappedForALinkMeanwhileNeverLeadsItsFilesElsewhere)
{
    // Someone who may write the program folder swaps the generator's new
    // folder for a link to a folder of the user's own while the first file
    // is written: nothing may land there.
    fs::create_directory(disk.file("victim"));
    for (const bool quick : {false, true}) {
        SCOPED_TRACE(quick ? "kelvquick" : "one-shot");
        testing_support::FaultyFileSystem swapping;
        swapping.onOperation = [&] {
            if (swapping.replaced.size() != 1 || fs::exists(disk.file("moved"))) {
                return;
            }
            for (const std::string& name : namesIn(disk.path())) {
                if (name != "victim") {
                    fs::rename(disk.file(name), disk.file("moved"));
                    fs::create_directory_symlink(disk.file("victim"), disk.file(name));
                    return;
                }
            }
        };
        output::FileSystemOverride use(swapping);
        static_cast<void>(generate(quick, disk.path(), "bb"));
        EXPECT_TRUE(fs::exists(disk.file("moved")));
        EXPECT_EQ(namesIn(disk.file("victim")), std::vector<std::string>{});
        for (const std::string& name : namesIn(disk.path())) {
            if (name != "victim") {
                fs::remove_all(disk.file(name));
            }
        }
    }
}

TEST_F(Faults, AProgramFolderReachedThroughALinkStillTakesGeneratedFolders)
{
    // Only what the generator makes is never reached through a link; the
    // program's own folder may well be.
    fs::create_directory(disk.file("real"));
    fs::create_directory_symlink(disk.file("real"), disk.file("program"));
    for (const bool quick : {false, true}) {
        SCOPED_TRACE(quick ? "kelvquick" : "one-shot");
        const std::vector<std::string> messages = generate(quick, disk.file("program"), "bb");
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages[0], "保存しました。\n" + disk.file("program/bb"));
        const std::vector<std::string> files = quick ? std::vector<std::string>{"bb.asx", "bb.htm"}
                                                     : std::vector<std::string>{"bb.asx", "bb.htm", "bb01.htm"};
        EXPECT_EQ(namesIn(disk.file("real/bb")), files);
        fs::remove_all(disk.file("real/bb"));
    }
}

TEST_F(Faults, TemporaryFilesACrashLeftBesideAFileGoWithItsNextSave)
{
    const std::string target = disk.file("x.asx");
    struct Left {
        std::string name;
        bool earlier;  // left by a run before this one
        bool goes;
    };
    const std::vector<Left> cases = {
        {".x.asx.Ab3dE9", true, true},  {".x.asx.Ab3dE8", false, false},  // a save going on beside this one
        {".x.asx.Ab3dE", true, false},                                    // not the pattern: five characters
        {".x.asx.Ab3-E9", true, false},                                   // nor a character mkstemp never puts in
        {".y.asx.Ab3dE9", true, false},                                   // another file's
        {"x.asx.Ab3dE9", true, false},                                    // not hidden
    };
    for (const Left& c : cases) {
        testing_support::writeBytes(disk.file(c.name), "half");
        if (c.earlier) {
            fromAnEarlierRun(disk.file(c.name));
        }
    }
    EXPECT_EQ(saveAs(target), std::vector<std::string>{target + "を保存しました。"});
    EXPECT_EQ(readBytes(target), metafileBytes);
    for (const Left& c : cases) {
        EXPECT_EQ(fs::exists(disk.file(c.name)), !c.goes) << c.name;
    }
}

}  // namespace

#endif  // __linux__
