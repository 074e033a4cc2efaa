// The Windows build's file system: the same Japanese reasons as on Linux for
// the system's error codes, names that Windows would silently change, and
// the save rule's two ways on the system's own calls: ReplaceFileW for a
// file of one name, in place for a file with a second hard link.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <windows.h>

#include <cerrno>
#include <memory>

#include "output/document_writer.h"
#include "output/file_system.h"
#include "output/windows_text.h"
#include "support.h"

namespace {

using output::FsResult;
using testing_support::readBytes;
using testing_support::TempFolder;
using testing_support::writeBytes;

TEST(WindowsFileSystem, ErrorCodesGiveTheReasonsOfTheLinuxBuild)
{
    const struct {
        unsigned long windows;
        int posix;
    } cases[] = {
        {ERROR_ACCESS_DENIED, EACCES},  {ERROR_SHARING_VIOLATION, EACCES},
        {ERROR_PATH_NOT_FOUND, ENOENT}, {ERROR_FILE_NOT_FOUND, ENOENT},
        {ERROR_ALREADY_EXISTS, EEXIST}, {ERROR_FILE_EXISTS, EEXIST},
        {ERROR_DISK_FULL, ENOSPC},      {ERROR_HANDLE_DISK_FULL, ENOSPC},
        {ERROR_WRITE_PROTECT, EROFS},   {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG},
        {ERROR_FILE_TOO_LARGE, EFBIG},  {ERROR_CRC, EIO},
    };
    for (const auto& c : cases) {
        const FsResult r = FsResult::fromWindowsError(c.windows);
        EXPECT_FALSE(r.ok) << c.windows;
        EXPECT_EQ(r.reason, FsResult::fromErrno(c.posix).reason) << c.windows;
    }
    EXPECT_NE(FsResult::fromWindowsError(ERROR_INVALID_FUNCTION).reason.find("1"), std::string::npos);
}

TEST(WindowsFileSystem, NamesWindowsWouldChangeAreRefused)
{
    TempFolder dir;
    for (const std::string name : {"video ", "video.", "  "}) {
        EXPECT_FALSE(output::fileSystem().createFolder(dir.file(name)).ok) << '"' << name << '"';
        EXPECT_FALSE(output::WriteDocument(dir.file(name), {"x"}).ok) << '"' << name << '"';
    }
    EXPECT_EQ(testing_support::filesIn(dir.path()), 0u);
    // UTF-8 names reach the wide API whole.
    const std::string folder = dir.file("\xE5\xAE\xB6 video");
    EXPECT_TRUE(output::fileSystem().createFolder(folder).ok);
    EXPECT_TRUE(output::WriteDocument(folder + "\\a.asx", {"x"}).ok);
    EXPECT_NE(::GetFileAttributesW(output::widen(folder + "\\a.asx").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(WindowsFileSystem, AReadOnlyFileStaysAsItWasAndNoTemporaryFileIsLeft)
{
    TempFolder dir;
    writeBytes(dir.file("keep.asx"), "old");
    const std::wstring wide = output::widen(dir.file("keep.asx"));
    ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY);
    const FsResult r = output::WriteDocument(dir.file("keep.asx"), {"new"});
    ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.reason, FsResult::fromErrno(EACCES).reason);
    EXPECT_EQ(readBytes(dir.file("keep.asx")), "old");
    EXPECT_EQ(testing_support::filesIn(dir.path()), 1u);
}

TEST(WindowsFileSystem, AReplacementWhoseTargetWentAwayCreatesNothingInItsPlace)
{
    // ReplaceFileW fails; the backup name it was given must not come back
    // as an empty file under the target's name. (Its success is the writer
    // test's replaced file.)
    TempFolder dir;
    output::FileSystem& disk = output::fileSystem();
    std::unique_ptr<output::OpenFile> file;
    std::string temp;
    ASSERT_TRUE(disk.createTemporary(dir.file("gone.htm"), file, temp).ok);
    ASSERT_TRUE(file->writeFromStart("new").ok);
    ASSERT_TRUE(file->close().ok);
    EXPECT_FALSE(disk.moveIntoPlace(temp, dir.file("gone.htm"), true).ok);
    EXPECT_EQ(::GetFileAttributesW(output::widen(dir.file("gone.htm")).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(readBytes(temp), "new");
    EXPECT_EQ(testing_support::filesIn(dir.path()), 1u);
}

TEST(WindowsFileSystem, AFileWithASecondHardLinkIsWrittenInPlaceUnderBothNames)
{
    TempFolder dir;
    writeBytes(dir.file("one.htm"), "old");
    ASSERT_TRUE(::CreateHardLinkW(output::widen(dir.file("two.htm")).c_str(),
                                  output::widen(dir.file("one.htm")).c_str(), nullptr));
    const FsResult r = output::WriteDocument(dir.file("two.htm"), {"new"});
    EXPECT_TRUE(r.ok) << r.reason;
    EXPECT_NE(r.note.find("ハードリンク"), std::string::npos) << r.note;
    EXPECT_EQ(readBytes(dir.file("one.htm")), "new\r\n");
    EXPECT_EQ(readBytes(dir.file("two.htm")), "new\r\n");
    EXPECT_EQ(output::fileSystem().inspect(dir.file("one.htm")).links, 2u);
    EXPECT_EQ(testing_support::filesIn(dir.path()), 2u);
}

TEST(WindowsFileSystem, AFileAnotherSaveIsWritingInPlaceWaitsForItAndIsThenRefusedUntouched)
{
    // The other save holds the file open for writing, readers let in, as a
    // save in place does.
    TempFolder dir;
    writeBytes(dir.file("one.htm"), "old");
    ASSERT_TRUE(::CreateHardLinkW(output::widen(dir.file("two.htm")).c_str(),
                                  output::widen(dir.file("one.htm")).c_str(), nullptr));
    const HANDLE other = ::CreateFileW(output::widen(dir.file("one.htm")).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    const FsResult r = output::WriteDocument(dir.file("two.htm"), {"new"});
    EXPECT_EQ(r.reason, FsResult::busy().reason);
    EXPECT_EQ(readBytes(dir.file("one.htm")), "old");
    ::CloseHandle(other);
    EXPECT_TRUE(output::WriteDocument(dir.file("two.htm"), {"new"}).ok);
    EXPECT_EQ(readBytes(dir.file("one.htm")), "new\r\n");
}

}  // namespace

#endif  // _WIN32
