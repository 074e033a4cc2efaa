// Saving where the disk says no, on real folders: read-only, vanished, full,
// a folder in the file's place, names at the length limit. Every save flow
// (the dialog's SaveDocument, the one-shot generator, kelvquick) must tell
// the user why, change no file that was there and leave nothing behind.
// Read-only and full places are small tmpfs mounts when the tests run as
// root; without root the full disk is skipped and read-only is a chmod.
#ifdef __linux__

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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
#include "support.h"

namespace {

namespace fs = std::filesystem;
using testing_support::readBytes;
using testing_support::TempFolder;
using testing_support::writeBytes;

const std::string existingBytes = "<ASX Version =\"3.0\">\r\n\x89\xc6\x91\xb0\r\n";

// Everything below a folder: relative path -> bytes ("/" for a folder).
std::map<std::string, std::string> contents(const std::string& folder)
{
    std::map<std::string, std::string> all;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        const std::string rel = fs::relative(e.path(), folder).string();
        all[rel] = e.is_directory() ? "/" : readBytes(e.path().string());
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
            fs::create_directory(at);
            writeBytes(at + "/existing.asx", existingBytes);
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

TEST_F(Faults, AFolderInTheFilesPlaceIsNamedAndLeftAlone)
{
    fs::create_directory(disk.file("page.htm"));
    writeBytes(disk.file("page.htm/inside.htm"), existingBytes);
    const auto before = contents(disk.path());
    expectToldWhy(saveAs(disk.file("page.htm")), disk.file("page.htm") + "を保存できませんでした。",
                  "同じ名前のフォルダーがあります。");
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

}  // namespace

#endif  // __linux__
