#include "output/file_system.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace output {

namespace {

FileSystem& realFileSystem()
{
    static FileSystem fs;
    return fs;
}

FileSystem* current = nullptr;

#ifndef _WIN32
std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string fileOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

FsResult writeAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return FsResult::fromErrno(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    return FsResult::success();
}
#endif

}  // namespace

FsResult FsResult::fromErrno(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return failure("書き込みの許可がありません。");
    case ENOENT:
        return failure("フォルダーが見つかりません。");
    case ENOTDIR:
        return failure("途中のフォルダー名がファイルです。");
    case EEXIST:
        return failure("同じ名前のファイルかフォルダーがすでにあります。");
    case EISDIR:
        return failure("同じ名前のフォルダーがあります。");
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return failure("ディスクの空き容量が足りません。");
    case EROFS:
        return failure("読み取り専用の場所です。");
    case ENAMETOOLONG:
        return failure("名前が長すぎます。");
    case EFBIG:
        return failure("ファイルが大きすぎます。");
    case EIO:
        return failure("ディスクの読み書きに失敗しました。");
    default:
        return failure(std::string("ファイルを書き込めませんでした（") + std::strerror(error) + "）。");
    }
}

// The Windows build has its own (file_system_windows.cpp).
#ifndef _WIN32
FsResult FileSystem::createFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), 0777) != 0) {
        return FsResult::fromErrno(errno);
    }
    return FsResult::success();
}

FsResult FileSystem::replaceFile(const std::string& path, const std::string& bytes)
{
    struct stat target {};
    if (::stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode)) {
        return FsResult::fromErrno(EISDIR);
    }
    std::string name = fileOf(path);
    if (name.size() > 200) {
        name.resize(200);
    }
    std::string temp = folderOf(path) + "/." + name + ".XXXXXX";
    std::vector<char> pattern(temp.begin(), temp.end());
    pattern.push_back('\0');
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        return FsResult::fromErrno(errno);
    }
    temp.assign(pattern.data());

    // A new file gets the usual permissions; a replaced one keeps its own.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode_t mode = 0666 & ~mask;
    if (::stat(path.c_str(), &target) == 0) {
        mode = target.st_mode & 07777;
    }
    ::fchmod(fd, mode);

    FsResult result = writeAll(fd, bytes);
    if (result && ::fsync(fd) != 0) {
        result = FsResult::fromErrno(errno);
    }
    if (::close(fd) != 0 && result) {
        result = FsResult::fromErrno(errno);
    }
    if (result && ::rename(temp.c_str(), path.c_str()) != 0) {
        result = FsResult::fromErrno(errno);
    }
    if (!result) {
        ::unlink(temp.c_str());
    }
    return result;
}

FsResult FileSystem::removeFile(const std::string& path)
{
    if (::unlink(path.c_str()) != 0) {
        return FsResult::fromErrno(errno);
    }
    return FsResult::success();
}

FsResult FileSystem::removeFolder(const std::string& path)
{
    if (::rmdir(path.c_str()) != 0) {
        return FsResult::fromErrno(errno);
    }
    return FsResult::success();
}

bool FileSystem::exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}
#endif

FileSystem& fileSystem()
{
    return current != nullptr ? *current : realFileSystem();
}

FileSystemOverride::FileSystemOverride(FileSystem& replacement) : previous_(current)
{
    current = &replacement;
}

FileSystemOverride::~FileSystemOverride()
{
    current = previous_;
}

}  // namespace output
