// The file system of the Windows build: paths arrive in UTF-8 and go to the
// wide-character API; failures carry the same Japanese reasons as on Linux.
#include "output/file_system.h"
#include "output/windows_text.h"
#include "form/path.h"

#include <windows.h>

#include <winioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cwchar>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace output {

namespace {

FsResult lastError()
{
    return FsResult::fromWindowsError(::GetLastError());
}

// Names Windows cannot hold as typed: longer than a folder entry can be, or
// ending in a space or a period, which the system would silently drop.
FsResult checkName(const std::string& path)
{
    const std::wstring name = widen(path::fileName(path));
    if (name.size() > 255) {
        return FsResult::fromErrno(ENAMETOOLONG);
    }
    if (!name.empty() && (name.back() == L' ' || name.back() == L'.') && name != L"." && name != L"..") {
        return FsResult::failure("Windows では名前の最後に空白やピリオドを使えません。");
    }
    return FsResult::success();
}

// Writes every byte; a short write without an error is a full disk.
FsResult writeAll(HANDLE file, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) {
            return lastError();
        }
        if (written == 0) {
            return FsResult::fromWindowsError(ERROR_DISK_FULL);
        }
        done += written;
    }
    return FsResult::success();
}

// A path the system gave back, as the user writes it: without the "\\?\"
// or "\??\" in front, and a share as "\\server\share".
std::wstring plainPath(const std::wstring& path)
{
    for (const wchar_t* prefix : {L"\\\\?\\", L"\\??\\"}) {
        if (path.rfind(prefix, 0) == 0) {
            const std::wstring rest = path.substr(4);
            return rest.rfind(L"UNC\\", 0) == 0 ? L"\\" + rest.substr(3) : rest;
        }
    }
    return path;
}

// A new file of our own beside `target`, open for writing: CREATE_NEW never
// opens somebody else's file, so a name taken already just means another
// try.
FsResult createBeside(const std::string& target, HANDLE& file, std::string& created)
{
    const std::string folder = path::parent(target);
    std::wstring name = widen(path::fileName(target));
    if (name.size() > 200) {
        name.resize(200);
    }
    for (unsigned attempt = 0;; ++attempt) {
        wchar_t suffix[32];
        ::swprintf(suffix, 32, L".%08lx%04x", ::GetTickCount() ^ (::GetCurrentProcessId() << 12), attempt);
        created = path::join(folder, narrow(L"." + name + suffix));
        file = ::CreateFileW(widen(created).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            return FsResult::success();
        }
        const DWORD error = ::GetLastError();
        if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt >= 100) {
            return FsResult::fromWindowsError(error);
        }
    }
}

// The path the system reaches through every link and junction on the way.
// Nothing when some link leads nowhere or in a loop.
std::optional<std::wstring> finalPath(const std::wstring& path)
{
    const HANDLE handle = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::wstring final(MAX_PATH, L'\0');
    DWORD n = ::GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()), 0);
    if (n >= final.size()) {
        final.resize(n);
        n = ::GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()), 0);
    }
    ::CloseHandle(handle);
    if (n == 0 || n >= final.size()) {
        return std::nullopt;
    }
    final.resize(n);
    return plainPath(final);
}

// The target a link or junction stores, for one that leads nowhere or into
// a loop: the system gives no final path then. Relative for a relative
// symbolic link.
std::optional<std::wstring> storedTarget(const std::wstring& path)
{
    const HANDLE handle =
        ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::vector<unsigned char> buffer(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
    DWORD size = 0;
    const BOOL read = ::DeviceIoControl(handle, FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer.data(),
                                        static_cast<DWORD>(buffer.size()), &size, nullptr);
    ::CloseHandle(handle);
    // The layout of the system's reparse data: a tag, then for both kinds
    // the offsets and lengths (in bytes) of the substitute and the print
    // name in a path buffer that follows, after a flags word for links.
    struct Names {
        DWORD tag;
        WORD dataLength;
        WORD reserved;
        WORD substituteOffset;
        WORD substituteLength;
        WORD printOffset;
        WORD printLength;
    };
    if (!read || size < sizeof(Names)) {
        return std::nullopt;
    }
    Names names{};
    std::memcpy(&names, buffer.data(), sizeof names);
    std::size_t pathBuffer = sizeof names;
    bool relative = false;
    if (names.tag == IO_REPARSE_TAG_SYMLINK) {
        DWORD flags = 0;
        std::memcpy(&flags, buffer.data() + pathBuffer, sizeof flags);
        relative = (flags & SYMLINK_FLAG_RELATIVE) != 0;
        pathBuffer += sizeof flags;
    } else if (names.tag != IO_REPARSE_TAG_MOUNT_POINT) {
        return std::nullopt;
    }
    const auto name = [&](WORD offset, WORD length) -> std::wstring {
        if (pathBuffer + offset + length > size) {
            return {};
        }
        std::wstring text(length / sizeof(wchar_t), L'\0');
        std::memcpy(text.data(), buffer.data() + pathBuffer + offset, length);
        return text;
    };
    std::wstring target = name(names.printOffset, names.printLength);
    if (target.empty()) {
        target = name(names.substituteOffset, names.substituteLength);
    }
    if (target.empty()) {
        return std::nullopt;
    }
    return relative ? target : plainPath(target);
}

class WindowsFile : public OpenFile {
public:
    explicit WindowsFile(HANDLE file) : file_(file) {}
    ~WindowsFile() override
    {
        if (file_ != INVALID_HANDLE_VALUE) {
            ::CloseHandle(file_);
        }
    }
    WindowsFile(const WindowsFile&) = delete;
    WindowsFile& operator=(const WindowsFile&) = delete;

    FsResult writeFromStart(const std::string& bytes) override
    {
        LARGE_INTEGER start{};
        if (!::SetFilePointerEx(file_, start, nullptr, FILE_BEGIN)) {
            return lastError();
        }
        return writeAll(file_, bytes);
    }

    FsResult setLength(std::size_t length) override
    {
        LARGE_INTEGER end{};
        end.QuadPart = static_cast<LONGLONG>(length);
        if (!::SetFilePointerEx(file_, end, nullptr, FILE_BEGIN) || !::SetEndOfFile(file_)) {
            return lastError();
        }
        return FsResult::success();
    }

    FsResult flush() override { return ::FlushFileBuffers(file_) ? FsResult::success() : lastError(); }

    FsResult close() override
    {
        const HANDLE file = file_;
        file_ = INVALID_HANDLE_VALUE;
        return ::CloseHandle(file) ? FsResult::success() : lastError();
    }

    // ReplaceFileW carries the access list, the attributes and the streams
    // over when the temporary file takes the old one's place.
    FsResult keepAttributesOf(const std::string&) override { return FsResult::success(); }

private:
    HANDLE file_;
};

// When this run of the program began: what is older was left by a run
// before it.
const ULONGLONG runStart = [] {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}();

bool olderThanRun(const FILETIME& written)
{
    return ((static_cast<ULONGLONG>(written.dwHighDateTime) << 32) | written.dwLowDateTime) < runStart;
}

// The names in a folder with what the system knows of each, "." and ".."
// left out.
std::vector<WIN32_FIND_DATAW> entriesIn(const std::string& folder)
{
    std::vector<WIN32_FIND_DATAW> entries;
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(widen(path::join(folder, "*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return entries;
    }
    do {
        if (std::wcscmp(found.cFileName, L".") != 0 && std::wcscmp(found.cFileName, L"..") != 0) {
            entries.push_back(found);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return entries;
}

// A folder held open while things are made in it: without FILE_SHARE_DELETE
// nobody can rename or remove it meanwhile, which is as near as Windows
// comes to making things relative to an open folder. Names are reached
// through the folder's path, and a reparse point (link, junction) at one
// is never followed.
class WindowsFolder : public OpenFolder {
public:
    WindowsFolder(HANDLE handle, const std::string& path) : OpenFolder(path), where_(path), handle_(handle) {}
    ~WindowsFolder() override
    {
        if (handle_ != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle_);
        }
    }

    // made: a folder this program has just made, which it renames and
    // which must not be a reparse point; otherwise a folder that the
    // program is given, reached through a link or junction as the system
    // reaches it.
    static FsResult open(const std::string& path, bool made, std::unique_ptr<OpenFolder>& folder)
    {
        const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | (made ? FILE_SHARE_DELETE : 0);
        const HANDLE handle = ::CreateFileW(
            widen(path).c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, share, nullptr, OPEN_EXISTING,
            FILE_FLAG_BACKUP_SEMANTICS | (made ? FILE_FLAG_OPEN_REPARSE_POINT : 0), nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return lastError();
        }
        BY_HANDLE_FILE_INFORMATION about{};
        if (!::GetFileInformationByHandle(handle, &about)) {
            FsResult failed = lastError();
            ::CloseHandle(handle);
            return failed;
        }
        if ((made && (about.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) ||
            (about.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            ::CloseHandle(handle);
            return FsResult::fromErrno((about.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ? ENOTDIR : ELOOP);
        }
        // A folder held open cannot be renamed: one this program made and
        // is to rename is only checked.
        if (made) {
            ::CloseHandle(handle);
        }
        folder = std::make_unique<WindowsFolder>(made ? INVALID_HANDLE_VALUE : handle, path);
        return FsResult::success();
    }

    FsResult createFolder(const std::string& name, std::unique_ptr<OpenFolder>& made) override
    {
        if (FsResult checked = checkName(inside(name)); !checked) {
            return checked;
        }
        if (!::CreateDirectoryW(at(name).c_str(), nullptr)) {
            return lastError();
        }
        return open(inside(name), true, made);
    }

    FsResult createFile(const std::string& name, const std::string& bytes) override
    {
        if (FsResult checked = checkName(inside(name)); !checked) {
            return checked;
        }
        const std::wstring wide = at(name);
        const HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return lastError();
        }
        FsResult result = writeAll(file, bytes);
        if (result && !::FlushFileBuffers(file)) {
            result = lastError();
        }
        if (!::CloseHandle(file) && result) {
            result = lastError();
        }
        if (!result) {
            ::DeleteFileW(wide.c_str());
        }
        return result;
    }

    FsResult remove(const std::string& name) override
    {
        const std::wstring wide = at(name);
        const DWORD attributes = ::GetFileAttributesW(wide.c_str());
        const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!(folder ? ::RemoveDirectoryW(wide.c_str()) : ::DeleteFileW(wide.c_str()))) {
            return lastError();
        }
        return FsResult::success();
    }

    // Without MOVEFILE_REPLACE_EXISTING a name taken already fails.
    FsResult rename(const std::string& from, const std::string& to) override
    {
        if (FsResult checked = checkName(inside(to)); !checked) {
            return checked;
        }
        if (!::MoveFileExW(at(from).c_str(), at(to).c_str(), MOVEFILE_WRITE_THROUGH)) {
            return lastError();
        }
        return FsResult::success();
    }

    // MoveFileExW writes the folder through itself.
    FsResult flush() override { return FsResult::success(); }

    int removeLeftovers(const std::function<bool(const std::string& name)>& ours) override
    {
        int removed = 0;
        for (const WIN32_FIND_DATAW& entry : entriesIn(where_)) {
            const std::string name = narrow(entry.cFileName);
            if (!ours(name) || !olderThanRun(entry.ftLastWriteTime) ||
                (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
                continue;
            }
            const std::wstring wide = at(name);
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                for (const WIN32_FIND_DATAW& file : entriesIn(inside(name))) {
                    ::DeleteFileW(widen(path::join(inside(name), narrow(file.cFileName))).c_str());
                }
                removed += ::RemoveDirectoryW(wide.c_str()) ? 1 : 0;
            } else {
                removed += ::DeleteFileW(wide.c_str()) ? 1 : 0;
            }
        }
        return removed;
    }

private:
    // Where the folder is, which `path` may name otherwise in messages.
    std::string inside(const std::string& name) const { return path::join(where_, name); }
    std::wstring at(const std::string& name) const { return widen(inside(name)); }

    std::string where_;
    HANDLE handle_;
};

}  // namespace

FsResult FsResult::fromWindowsError(unsigned long error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return fromErrno(EACCES);
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
        return fromErrno(ENOENT);
    case ERROR_DIRECTORY:
        return fromErrno(ENOTDIR);
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
        return fromErrno(EEXIST);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return fromErrno(ENOSPC);
    case ERROR_WRITE_PROTECT:
        return fromErrno(EROFS);
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
        return fromErrno(ENAMETOOLONG);
    case ERROR_FILE_TOO_LARGE:
        return fromErrno(EFBIG);
    case ERROR_CRC:
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
    case ERROR_IO_DEVICE:
        return fromErrno(EIO);
    case ERROR_CANT_RESOLVE_FILENAME:
        return fromErrno(ELOOP);
    case ERROR_DIR_NOT_EMPTY:
        return fromErrno(ENOTEMPTY);
    case ERROR_BUSY:
        return fromErrno(EBUSY);
    case ERROR_NOT_SAME_DEVICE:
        return fromErrno(EXDEV);
    case ERROR_TOO_MANY_OPEN_FILES:
        return fromErrno(EMFILE);
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return fromErrno(ENOMEM);
    case ERROR_NOT_SUPPORTED:
        return fromErrno(ENOTSUP);
    default:
        break;
    }
    return failure("予期しないエラーで書き込めませんでした（Windows のエラー番号 " + std::to_string(error) + "）。");
}

FsResult FileSystem::createFolder(const std::string& path)
{
    if (FsResult name = checkName(path); !name) {
        return name;
    }
    if (!::CreateDirectoryW(widen(path).c_str(), nullptr)) {
        return lastError();
    }
    return FsResult::success();
}

PathInfo FileSystem::inspect(const std::string& path)
{
    PathInfo info;
    if (FsResult name = checkName(path); !name) {
        info.lookedAt = name;
        return info;
    }
    const std::wstring wide = widen(path);
    WIN32_FIND_DATAW found{};
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
            info.lookedAt = FsResult::fromWindowsError(error);
        }
        return info;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        // Symbolic links and junctions lead elsewhere; other reparse points
        // (cloud placeholders, deduplicated files) are files as they stand.
        const HANDLE search = ::FindFirstFileW(wide.c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            ::FindClose(search);
            if (found.dwReserved0 == IO_REPARSE_TAG_SYMLINK || found.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT) {
                info.kind = PathInfo::Kind::link;
                std::optional<std::wstring> target = finalPath(wide);
                if (!target) {
                    target = storedTarget(wide);
                }
                if (target) {
                    info.linkTarget = narrow(*target);
                } else {
                    info.lookedAt = lastError();
                }
                return info;
            }
        }
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        info.kind = PathInfo::Kind::folder;
        return info;
    }
    info.kind = PathInfo::Kind::file;
    // Windows refuses to replace a read-only file; so does the rule, before
    // anything is written (not every implementation of the API checks it).
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        info.writable = FsResult::fromWindowsError(ERROR_ACCESS_DENIED);
    }
    const HANDLE file =
        ::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION about{};
    if (file == INVALID_HANDLE_VALUE || !::GetFileInformationByHandle(file, &about)) {
        info.lookedAt = lastError();
    } else {
        info.links = about.nNumberOfLinks;
    }
    if (file != INVALID_HANDLE_VALUE) {
        ::CloseHandle(file);
    }
    return info;
}

FsResult FileSystem::readFile(const std::string& path, std::string& bytes)
{
    const HANDLE file = ::CreateFileW(widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return lastError();
    }
    bytes.clear();
    char chunk[65536];
    FsResult result = FsResult::success();
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(file, chunk, sizeof chunk, &n, nullptr)) {
            result = lastError();
            break;
        }
        if (n == 0) {
            break;
        }
        bytes.append(chunk, n);
    }
    ::CloseHandle(file);
    return result;
}

FsResult FileSystem::createTemporary(const std::string& target, std::unique_ptr<OpenFile>& file, std::string& temp)
{
    // Temporary files an earlier run left beside the target: "." and the
    // name, cut as createBeside cuts it, "." and twelve hexadecimal digits.
    std::wstring own = widen(path::fileName(target));
    own.resize(std::min<std::size_t>(own.size(), 200));
    const std::string prefix = "." + narrow(own) + ".";
    if (std::unique_ptr<OpenFolder> folder;
        path::lastSeparator(target) != std::string::npos && openFolder(path::parent(target), folder)) {
        static_cast<void>(folder->removeLeftovers([&prefix](const std::string& left) {
            return left.size() == prefix.size() + 12 && left.compare(0, prefix.size(), prefix) == 0 &&
                   left.find_first_not_of("0123456789abcdef", prefix.size()) == std::string::npos;
        }));
    }
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (FsResult created = createBeside(target, handle, temp); !created) {
        return created;
    }
    file = std::make_unique<WindowsFile>(handle);
    return FsResult::success();
}

// One save at a time writes a file in place: the file is opened for writing
// with readers only let in, so that a second save (this program or another)
// is refused by the system until the first closes it; it waits a short while
// for that, as on the other systems.
FsResult FileSystem::openExisting(const std::string& path, std::unique_ptr<OpenFile>& file)
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    for (int tries = 0;; ++tries) {
        handle = ::CreateFileW(widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            break;
        }
        if (::GetLastError() != ERROR_SHARING_VIOLATION) {
            return lastError();
        }
        if (tries == lockTries) {
            return FsResult::busy();
        }
        ::Sleep(lockWaitMicroseconds / 1000);
    }
    file = std::make_unique<WindowsFile>(handle);
    return FsResult::success();
}

std::string stateFolder(FileSystem& fs)
{
    wchar_t local[MAX_PATH + 1];
    const DWORD n = ::GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH) {
        return "";
    }
    const std::string folder = path::join(narrow(std::wstring(local, n)), "kelvora");
    if (!fs.exists(folder)) {
        static_cast<void>(fs.createFolder(folder));
    }
    return fs.exists(folder) ? folder : "";
}

// MoveFileExW and ReplaceFileW write the folder through themselves.
FsResult FileSystem::flushFolder(const std::string&)
{
    return FsResult::success();
}

FsResult FileSystem::moveIntoPlace(const std::string& temp, const std::string& target, bool replacing)
{
    const std::wstring from = widen(temp);
    const std::wstring to = widen(target);
    if (!replacing) {
        if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
            return lastError();
        }
        return FsResult::success();
    }
    // ReplaceFileW keeps the old file's access list, attributes and streams.
    // The old file goes to a backup name of our own, free until then: without
    // one, a failure after it was removed would leave neither file under its
    // name. Found under that name after a failure, it goes back.
    std::wstring backup;
    for (unsigned attempt = 0; backup.empty() || ::GetFileAttributesW(backup.c_str()) != INVALID_FILE_ATTRIBUTES;
         ++attempt) {
        wchar_t suffix[16];
        ::swprintf(suffix, 16, L".old%u", attempt);
        backup = from + suffix;
    }
    if (::ReplaceFileW(to.c_str(), from.c_str(), backup.c_str(), 0, nullptr, nullptr)) {
        ::DeleteFileW(backup.c_str());
        return FsResult::success();
    }
    const DWORD error = ::GetLastError();
    if (::GetFileAttributesW(backup.c_str()) != INVALID_FILE_ATTRIBUTES &&
        ::GetFileAttributesW(to.c_str()) == INVALID_FILE_ATTRIBUTES) {
        ::MoveFileExW(backup.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH);
    }
    return FsResult::fromWindowsError(error);
}

FsResult FileSystem::removeFile(const std::string& path)
{
    if (!::DeleteFileW(widen(path).c_str())) {
        return lastError();
    }
    return FsResult::success();
}

FsResult FileSystem::removeFolder(const std::string& path)
{
    if (!::RemoveDirectoryW(widen(path).c_str())) {
        return lastError();
    }
    return FsResult::success();
}

bool FileSystem::exists(const std::string& path)
{
    return ::GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

FsResult FileSystem::openFolder(const std::string& path, std::unique_ptr<OpenFolder>& folder)
{
    return WindowsFolder::open(path, false, folder);
}

// A file deleted on close would still have a name meanwhile: the caller
// probes its own way.
FsResult FileSystem::probeNameless(const std::string&)
{
    return FsResult::fromErrno(EOPNOTSUPP);
}

// A link or junction in the folder's place is refused, and so is a file.
// Who else may write the folder is its access list's business, which the
// user's profile folder keeps to the user.
FsResult FileSystem::checkOwnFolder(const std::string& folder)
{
    const DWORD attributes = ::GetFileAttributesW(widen(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FsResult::success()
                                                                              : FsResult::fromWindowsError(error);
    }
    FsResult refused = FsResult::failure("");
    refused.error = EPERM;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        refused.reason = "フォルダーではなくリンクです。";
    } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        refused.reason = "フォルダーではありません。";
    } else {
        return FsResult::success();
    }
    return refused;
}

}  // namespace output
