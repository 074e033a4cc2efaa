// The file system of the Windows build: paths arrive in UTF-8 and go to the
// wide-character API; failures carry the same Japanese reasons as on Linux.
#ifdef _WIN32

#include "output/file_system.h"
#include "output/windows_text.h"

#include <windows.h>

#include <cerrno>
#include <string>

namespace output {

namespace {

FsResult lastError()
{
    return FsResult::fromWindowsError(::GetLastError());
}

std::size_t lastSeparator(const std::wstring& path)
{
    return path.find_last_of(L"\\/");
}

// Names Windows cannot hold as typed: longer than a folder entry can be, or
// ending in a space or a period, which the system would silently drop.
FsResult checkName(const std::wstring& path)
{
    const std::size_t slash = lastSeparator(path);
    const std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
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
    default:
        break;
    }
    return failure("ファイルを書き込めませんでした（Windows のエラー " + std::to_string(error) + "）。");
}

FsResult FileSystem::createFolder(const std::string& path)
{
    const std::wstring folder = widen(path);
    if (FsResult name = checkName(folder); !name) {
        return name;
    }
    if (!::CreateDirectoryW(folder.c_str(), nullptr)) {
        return lastError();
    }
    return FsResult::success();
}

FsResult FileSystem::replaceFile(const std::string& path, const std::string& bytes)
{
    const std::wstring target = widen(path);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return FsResult::fromErrno(EISDIR);
    }
    // Windows refuses to replace a read-only file; say so before writing
    // anything (not every implementation of the API checks it).
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return FsResult::fromWindowsError(ERROR_ACCESS_DENIED);
    }
    if (FsResult checked = checkName(target); !checked) {
        return checked;
    }
    const std::size_t slash = lastSeparator(target);
    const std::wstring folder = slash == std::wstring::npos ? L"." : target.substr(0, slash);
    std::wstring name = slash == std::wstring::npos ? target : target.substr(slash + 1);
    if (name.size() > 200) {
        name.resize(200);
    }

    // A temporary file of our own beside the target: CREATE_NEW never opens
    // somebody else's file, so a name taken already just means another try.
    std::wstring temp;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; file == INVALID_HANDLE_VALUE; ++attempt) {
        wchar_t suffix[32];
        ::swprintf(suffix, 32, L".%08lx%04x", ::GetTickCount() ^ (::GetCurrentProcessId() << 12), attempt);
        temp = folder + L"\\." + name + suffix;
        file = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt >= 100) {
                return FsResult::fromWindowsError(error);
            }
        }
    }

    FsResult result = writeAll(file, bytes);
    if (result && !::FlushFileBuffers(file)) {
        result = lastError();
    }
    if (!::CloseHandle(file) && result) {
        result = lastError();
    }
    if (result && !::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        result = lastError();
    }
    if (!result) {
        ::DeleteFileW(temp.c_str());
    }
    return result;
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

}  // namespace output

#endif  // _WIN32
