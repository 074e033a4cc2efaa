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

#include <grp.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/catalog.h"
#include "faulty_file_system.h"
#include "output/document_writer.h"
#include "quick/quick_generator.h"
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

const std::string hardLinkNote =
    "このファイルには別の名前（ハードリンク）もあるため、ファイルを置き換えずに中身を書き換えました。";

TEST_F(Faults, LinksAreFollowedToTheFileTheyNameAndStay)
{
    const std::string links = disk.file("links");
    const std::string elsewhere = disk.file("elsewhere");
    fs::create_directories(links + "/real");
    fs::create_directory(elsewhere);
    const struct {
        const char* what;
        std::vector<std::pair<std::string, std::string>> made;  // link in links/ -> its target
        std::string saved;                                      // the link saved through
        std::string written;                                    // the file written, as the note names it
        const char* reason;                                     // when the save fails
    } cases[] = {
        {"a chain", {{"chain.asx", "hop.asx"}, {"hop.asx", "real/chain.asx"}}, "chain.asx", "real/chain.asx", ""},
        {"a relative link into another folder",
         {{"rel.asx", "../elsewhere/rel.asx"}},
         "rel.asx",
         "../elsewhere/rel.asx",
         ""},
        {"an absolute link", {{"abs.asx", elsewhere + "/abs.asx"}}, "abs.asx", elsewhere + "/abs.asx", ""},
        {"a link to nothing in a folder that exists",
         {{"dangling.asx", "real/new.asx"}},
         "dangling.asx",
         "real/new.asx",
         ""},
        {"a link to nothing in no folder",
         {{"nowhere.asx", "missing/new.asx"}},
         "nowhere.asx",
         "",
         "フォルダーが見つかりません。"},
        {"a loop",
         {{"loop1.asx", "loop2.asx"}, {"loop2.asx", "loop1.asx"}},
         "loop1.asx",
         "",
         "リンクがループしていて、保存するファイルにたどり着けません。"},
        {"a link to itself",
         {{"self.asx", "self.asx"}},
         "self.asx",
         "",
         "リンクがループしていて、保存するファイルにたどり着けません。"},
        {"a link to a folder", {{"folder.asx", "../elsewhere"}}, "folder.asx", "", "同じ名前のフォルダーがあります。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& [link, target] : c.made) {
            fs::create_symlink(target, links + "/" + link);
        }
        const std::string written = c.written.empty() || c.written[0] == '/' ? c.written : links + "/" + c.written;
        if (!written.empty() && c.what != std::string("a link to nothing in a folder that exists")) {
            writeBytes(written, existingBytes);
        }
        const auto before = contents(disk.path());
        const std::string saved = links + "/" + c.saved;
        const std::vector<std::string> messages = saveAs(saved);
        if (*c.reason == '\0') {
            EXPECT_EQ(messages, std::vector<std::string>{saved + "を保存しました。\nリンク先の「" + written +
                                                         "」に保存しました。"});
            EXPECT_EQ(readBytes(written), metafileBytes);
        } else {
            EXPECT_EQ(messages, std::vector<std::string>{saved + "を保存できませんでした。\n" + c.reason});
        }
        // Nothing else changed: every link leads where it did, and no
        // temporary file is left in either folder.
        auto after = contents(disk.path());
        if (!written.empty()) {
            after.erase(fs::relative(written, disk.path()).lexically_normal().string());
        }
        auto expected = before;
        expected.erase(written.empty() ? "" : fs::relative(written, disk.path()).lexically_normal().string());
        EXPECT_EQ(after, expected);
        for (const auto& [link, target] : c.made) {
            EXPECT_EQ(fs::read_symlink(links + "/" + link).string(), target);
        }
    }
}

TEST_F(Faults, AFileWithASecondNameIsWrittenInPlaceAndBothNamesShowTheNewBytes)
{
    writeBytes(disk.file("one.asx"), existingBytes);
    fs::create_hard_link(disk.file("one.asx"), disk.file("two.asx"));
    struct stat before {};
    ::stat(disk.file("one.asx").c_str(), &before);
    EXPECT_EQ(saveAs(disk.file("two.asx")),
              std::vector<std::string>{disk.file("two.asx") + "を保存しました。\n" + hardLinkNote});
    struct stat after {};
    ::stat(disk.file("two.asx").c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_nlink, 2u);
    EXPECT_EQ(readBytes(disk.file("one.asx")), metafileBytes);
    EXPECT_EQ(testing_support::filesIn(disk.path()), 2u);
}

// Runs `work` as an ordinary user: here when the test is not root, else in a
// child process that has become the user nobody (root may write anywhere).
// Returns its messages, or nothing when no child could change its user.
std::optional<std::vector<std::string>> asOrdinaryUser(const std::function<std::vector<std::string>()>& work)
{
    if (::geteuid() != 0) {
        return work();
    }
    int pipe[2];
    if (::pipe(pipe) != 0) {
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(77);
        }
        std::string out;
        for (const std::string& m : work()) {
            out += m + '\0';
        }
        const bool sent = ::write(pipe[1], out.data(), out.size()) == static_cast<ssize_t>(out.size());
        ::_exit(sent ? 0 : 1);
    }
    ::close(pipe[1]);
    std::string in;
    char chunk[4096];
    for (ssize_t n; (n = ::read(pipe[0], chunk, sizeof chunk)) > 0;) {
        in.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(pipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (child < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    std::vector<std::string> messages;
    for (std::size_t at = 0; at < in.size(); at = in.find('\0', at) + 1) {
        messages.push_back(in.substr(at, in.find('\0', at) - at));
    }
    return messages;
}

TEST_F(Faults, AWritableFileInAFolderTheUserMayNotWriteIsWrittenInPlace)
{
    // The place belongs to root when root runs the test, and the files to
    // nobody, whom the child becomes.
    const std::string folder = disk.file("locked");
    fs::create_directory(folder);
    writeBytes(folder + "/writable.asx", existingBytes);
    writeBytes(folder + "/read-only.asx", existingBytes);
    ::chmod(folder.c_str(), 0555);
    ::chmod((folder + "/read-only.asx").c_str(), 0444);
    restoreMode = folder;
    if (::geteuid() == 0) {
        ::chmod(disk.path().c_str(), 0755);
        static_cast<void>(::chown((folder + "/writable.asx").c_str(), 65534, 65534));
        static_cast<void>(::chown((folder + "/read-only.asx").c_str(), 65534, 65534));
    }
    const std::optional<std::vector<std::string>> messages = asOrdinaryUser([&] {
        std::vector<std::string> all;
        for (const char* name : {"writable.asx", "read-only.asx", "new.asx"}) {
            all.push_back(saveAs(folder + "/" + name).at(0));
        }
        return all;
    });
    if (!messages) {
        GTEST_SKIP() << "running as root, but no child process could become the user nobody: "
                        "a folder the user may not write is not tested";
    }
    const std::string refused = "を保存できませんでした。\n書き込みの許可がありません。";
    EXPECT_EQ(*messages, (std::vector<std::string>{
                             folder + "/writable.asx" +
                                 "を保存しました。\n"
                                 "フォルダーに書き込む許可がないため、ファイルを置き換えずに中身を書き換えました。",
                             folder + "/read-only.asx" + refused, folder + "/new.asx" + refused}));
    EXPECT_EQ(readBytes(folder + "/writable.asx"), metafileBytes);
    EXPECT_EQ(readBytes(folder + "/read-only.asx"), existingBytes);
    EXPECT_EQ(testing_support::filesIn(folder), 2u);
}

std::string command(const std::string& line)
{
    std::string out;
    if (FILE* p = ::popen(line.c_str(), "r")) {
        char chunk[4096];
        for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, p)) > 0;) {
            out.append(chunk, n);
        }
        if (::pclose(p) != 0) {
            out = "(failed) " + out;
        }
    }
    return out;
}

TEST_F(Faults, AReplacedFileKeepsItsOwnerModeAccessListAndAttributes)
{
    const std::string file = disk.file("kept.asx");
    writeBytes(file, existingBytes);
    ::chmod(file.c_str(), 02640);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
    }
    std::vector<std::string> untested;
    if (::setxattr(file.c_str(), "user.kelvora.note", "keep", 4, 0) != 0) {
        untested.push_back(std::string("user attributes (") + std::strerror(errno) + ")");
    }
    const std::string acl = command("setfacl -m u:nobody:rw,g::r '" + file + "' 2>&1 && getfacl -cnp '" + file + "'");
    if (acl.rfind("(failed)", 0) == 0 || acl.find("user:65534:rw-") == std::string::npos) {
        untested.push_back("access lists (setfacl: " + acl + "; the package acl)");
    }
    struct stat before {};
    ::stat(file.c_str(), &before);

    EXPECT_EQ(saveAs(file), std::vector<std::string>{file + "を保存しました。"});
    EXPECT_EQ(readBytes(file), metafileBytes);
    struct stat after {};
    ::stat(file.c_str(), &after);
    EXPECT_NE(after.st_ino, before.st_ino) << "the file was not replaced whole";
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    if (untested.empty()) {
        EXPECT_EQ(command("getfacl -cnp '" + file + "'"), acl.substr(acl.find("user::")));
        char value[16] = {};
        EXPECT_EQ(::getxattr(file.c_str(), "user.kelvora.note", value, sizeof value), 4);
        EXPECT_STREQ(value, "keep");
    }
    EXPECT_EQ(testing_support::filesIn(disk.path()), 1u);
    if (!root) {
        untested.push_back("the owner (not running as root)");
    }
    if (!untested.empty()) {
        std::string why;
        for (const std::string& u : untested) {
            why += u + "; ";
        }
        GTEST_SKIP() << "not tested here: " << why;
    }
}

TEST_F(Faults, ADiskThatFillsUpWhileAFileIsWrittenInPlaceLeavesItsOldBytes)
{
    // A document far larger than the file, which must grow on a disk with
    // no room left, or past a file size limit that breaks the write off as
    // a full disk does, whoever runs the test.
    const output::Document big(400, std::string(40, 'n'));
    const struct {
        const char* what;
        bool tmpfs;
        const char* reason;
    } places[] = {
        {"a file size limit", false, "ファイルが大きすぎます。"},
        {"a full tmpfs", true, "ディスクの空き容量が足りません。"},
    };
    std::string skipped;
    for (const auto& place : places) {
        SCOPED_TRACE(place.what);
        std::string folder = disk.path();
        if (place.tmpfs) {
            const Place full = fullDisk();
            if (!full.skip.empty()) {
                skipped = full.skip;
                continue;
            }
            folder = full.folder;
        } else {
            writeBytes(folder + "/existing.asx", existingBytes);
        }
        // The file is there before the disk fills up; its second name takes
        // no room.
        const std::string file = folder + "/existing.asx";
        ASSERT_EQ(readBytes(file), existingBytes);
        fs::create_hard_link(file, folder + "/other.asx");
        const auto before = contents(folder);

        std::signal(SIGXFSZ, SIG_IGN);
        rlimit previous{};
        ::getrlimit(RLIMIT_FSIZE, &previous);
        rlimit small{place.tmpfs ? previous.rlim_cur : 1000, previous.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &small);
        const output::FsResult r = output::WriteDocument(file, big);
        ::setrlimit(RLIMIT_FSIZE, &previous);

        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.reason, place.reason);
        EXPECT_EQ(contents(folder), before);
        fs::remove(file);
        fs::remove(folder + "/other.asx");
    }
    if (!skipped.empty()) {
        GTEST_SKIP() << skipped;
    }
}

TEST_F(Faults, GeneratorsCreateEveryFileNewAndReplaceNothing)
{
    // Each file takes the way of a new one: no old file is kept, read or
    // opened, in a folder the run has just made.
    const std::vector<std::string> newFile = {"create temporary", "write", "flush", "close", "move into place"};
    for (const bool quick : {false, true}) {
        SCOPED_TRACE(quick ? "kelvquick" : "one-shot");
        testing_support::FailingSteps watched;
        output::FileSystemOverride use(watched);
        const std::string name = quick ? "quick" : "oneshot";
        EXPECT_EQ(generate(quick, disk.path(), name).size(), quick ? 2u : 1u);
        std::vector<std::string> expected;
        for (std::size_t file = 0; file < (quick ? 2u : 3u); ++file) {
            expected.insert(expected.end(), newFile.begin(), newFile.end());
        }
        EXPECT_EQ(watched.steps, expected);
    }
}

TEST_F(Faults, AGeneratorRefusesALinkWhereItsFolderWouldGoAndWritesNothingThroughIt)
{
    fs::create_directory(disk.file("target"));
    writeBytes(disk.file("file.htm"), existingBytes);
    const struct {
        const char* what;
        std::string target;
    } links[] = {
        {"a link to a folder", disk.file("target")},
        {"a link to a file", disk.file("file.htm")},
        {"a link to nothing", disk.file("target/none")},
    };
    for (const auto& link : links) {
        for (const bool quick : {false, true}) {
            SCOPED_TRACE(std::string(link.what) + (quick ? ", kelvquick" : ", one-shot"));
            fs::create_symlink(link.target, disk.file("bb"));
            const auto before = contents(disk.path());
            expectToldWhy(generate(quick, disk.path(), "bb"), "「" + disk.file("bb") + "」はすでにあります。",
                          "中のファイルはそのままにしてあります。");
            EXPECT_EQ(contents(disk.path()), before);
            EXPECT_EQ(fs::read_symlink(disk.file("bb")), link.target);
            EXPECT_FALSE(fs::exists(disk.file("target/none")));
            fs::remove(disk.file("bb"));
        }
    }
}

}  // namespace

#endif  // __linux__
