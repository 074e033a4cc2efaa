// The file system of POSIX systems: the calls relative to an open folder
// (openat and the like), extended attributes, and advisory locks of the
// open file, behind the seam file_system.h declares.
#include "output/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <set>
#include <vector>

#include "form/path.h"

namespace output {

namespace {

FsResult lastError()
{
    return FsResult::fromErrno(errno);
}

// The extended attributes of a file: their names, or why they cannot be read.
// A file system without them has none.
FsResult attributeNames(int fd, std::set<std::string>& names)
{
    for (;;) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size < 0) {
            return errno == ENOTSUP ? FsResult::success() : lastError();
        }
        std::vector<char> list(static_cast<std::size_t>(size));
        const ssize_t got = ::flistxattr(fd, list.data(), list.size());
        if (got < 0 && errno == ERANGE) {
            continue;  // an attribute came meanwhile
        }
        if (got < 0) {
            return lastError();
        }
        for (ssize_t at = 0; at < got; at += static_cast<ssize_t>(std::strlen(list.data() + at)) + 1) {
            names.insert(list.data() + at);
        }
        return FsResult::success();
    }
}

FsResult attributeValue(int fd, const std::string& name, std::string& value)
{
    for (;;) {
        const ssize_t size = ::fgetxattr(fd, name.c_str(), nullptr, 0);
        if (size < 0) {
            return lastError();
        }
        value.resize(static_cast<std::size_t>(size));
        const ssize_t got = ::fgetxattr(fd, name.c_str(), value.data(), value.size());
        if (got >= 0) {
            value.resize(static_cast<std::size_t>(got));
            return FsResult::success();
        }
        if (errno != ERANGE) {
            return lastError();
        }
    }
}

// Makes the extended attributes of `to` those of `from`: the POSIX access
// list (system.posix_acl_access) is one of them, and so is whatever the
// user's tools keep there. One the new file inherited from its folder (a
// default access list) but the old file lacks goes.
FsResult copyAttributes(int from, int to)
{
    std::set<std::string> kept;
    std::set<std::string> inherited;
    FsResult result = attributeNames(from, kept);
    if (result) {
        result = attributeNames(to, inherited);
    }
    for (const std::string& name : kept) {
        std::string value;
        if (result) {
            result = attributeValue(from, name, value);
        }
        if (result && ::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) != 0) {
            result = lastError();
        }
    }
    for (const std::string& name : inherited) {
        if (result && kept.count(name) == 0 && ::fremovexattr(to, name.c_str()) != 0) {
            result = lastError();
        }
    }
    return result;
}

class PosixFile : public OpenFile {
public:
    explicit PosixFile(int fd) : fd_(fd) {}
    ~PosixFile() override
    {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    FsResult writeFromStart(const std::string& bytes) override
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return lastError();
            }
            done += static_cast<std::size_t>(n);
        }
        return FsResult::success();
    }

    FsResult setLength(std::size_t length) override
    {
        return ::ftruncate(fd_, static_cast<off_t>(length)) == 0 ? FsResult::success() : lastError();
    }

    FsResult flush() override { return ::fsync(fd_) == 0 ? FsResult::success() : lastError(); }

    FsResult close() override
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 ? FsResult::success() : lastError();
    }

    FsResult keepAttributesOf(const std::string& original) override
    {
        const int from = ::open(original.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (from < 0) {
            return lastError();
        }
        struct stat old {};
        FsResult result = ::fstat(from, &old) == 0 ? FsResult::success() : lastError();
        if (result) {
            // Owner and group where the user may set them: root both, an
            // owner a group of his own. Before the mode, which a change of
            // owner would strip of its set-id bits. Whether they took is
            // checked below, on what the new file ends up with.
            if (::fchown(fd_, old.st_uid, old.st_gid) != 0 && ::fchown(fd_, static_cast<uid_t>(-1), old.st_gid) != 0) {
                // Neither took; the check below says what that means.
            }
            result = copyAttributes(from, fd_);
        }
        if (result && ::fchmod(fd_, old.st_mode & 07777) != 0) {
            result = lastError();
        }
        // The system may refuse a step or quietly leave part of it out (a
        // set-group-id bit for a group the user is not in): what counts is
        // what the new file has. A file of another owner, group or mode in
        // the old one's place would be a changed file, not a saved one.
        struct stat now {};
        if (result && ::fstat(fd_, &now) != 0) {
            result = lastError();
        }
        if (result && (now.st_uid != old.st_uid || now.st_gid != old.st_gid)) {
            result = FsResult::failure("置き換えると持ち主（所有者）やグループが変わってしまいます。");
            result.error = EPERM;
        } else if (result && (now.st_mode & 07777) != (old.st_mode & 07777)) {
            result = FsResult::failure("置き換えるとアクセス許可が変わってしまいます。");
            result.error = EPERM;
        }
        ::close(from);
        return result;
    }

private:
    int fd_;
};

// When this run of the program began: what is older was left by a run
// before it.
const struct timespec runStart = [] {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now;
}();

bool olderThanRun(const struct stat& st)
{
    return st.st_mtim.tv_sec < runStart.tv_sec ||
           (st.st_mtim.tv_sec == runStart.tv_sec && st.st_mtim.tv_nsec < runStart.tv_nsec);
}

// The names in an open folder, "." and ".." left out.
std::vector<std::string> namesIn(int fd)
{
    std::vector<std::string> names;
    const int listed = ::openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listed < 0) {
        return names;
    }
    DIR* dir = ::fdopendir(listed);
    if (dir == nullptr) {
        ::close(listed);
        return names;
    }
    while (const struct dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    ::closedir(dir);
    return names;
}

class PosixFolder : public OpenFolder {
public:
    PosixFolder(int fd, std::string path) : OpenFolder(std::move(path)), fd_(fd) {}
    ~PosixFolder() override { ::close(fd_); }

    FsResult createFolder(const std::string& name, std::unique_ptr<OpenFolder>& made) override
    {
        if (::mkdirat(fd_, name.c_str(), 0777) != 0) {
            return lastError();
        }
        const int fd = ::openat(fd_, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            // Something else stands there now; it is not ours to remove.
            return lastError();
        }
        made = std::make_unique<PosixFolder>(fd, path::join(path, name));
        return FsResult::success();
    }

    FsResult createFile(const std::string& name, const std::string& bytes) override
    {
        const int fd = ::openat(fd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) {
            return lastError();
        }
        PosixFile file(fd);
        FsResult result = file.writeFromStart(bytes);
        if (result) {
            result = file.flush();
        }
        FsResult closed = file.close();
        if (result) {
            result = closed;
        }
        if (!result) {
            ::unlinkat(fd_, name.c_str(), 0);
        }
        return result;
    }

    FsResult remove(const std::string& name) override
    {
        if (::unlinkat(fd_, name.c_str(), 0) == 0) {
            return FsResult::success();
        }
        if (errno == EISDIR && ::unlinkat(fd_, name.c_str(), AT_REMOVEDIR) == 0) {
            return FsResult::success();
        }
        return lastError();
    }

    FsResult rename(const std::string& from, const std::string& to) override
    {
        if (::renameat2(fd_, from.c_str(), fd_, to.c_str(), RENAME_NOREPLACE) == 0) {
            return FsResult::success();
        }
        if (errno != EINVAL && errno != ENOSYS) {
            return lastError();
        }
        // A file system that cannot refuse to replace: the name is looked
        // at first, which leaves only a moment for another to take it.
        struct stat st {};
        if (::fstatat(fd_, to.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            return FsResult::fromErrno(EEXIST);
        }
        if (::renameat(fd_, from.c_str(), fd_, to.c_str()) != 0) {
            return lastError();
        }
        return FsResult::success();
    }

    FsResult flush() override { return ::fsync(fd_) == 0 || errno == EINVAL ? FsResult::success() : lastError(); }

    int removeLeftovers(const std::function<bool(const std::string& name)>& ours) override
    {
        int removed = 0;
        for (const std::string& name : namesIn(fd_)) {
            struct stat st {};
            if (!ours(name) || ::fstatat(fd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !olderThanRun(st)) {
                continue;
            }
            if (S_ISREG(st.st_mode)) {
                removed += ::unlinkat(fd_, name.c_str(), 0) == 0 ? 1 : 0;
            } else if (S_ISDIR(st.st_mode)) {
                // A folder the run made holds only files.
                const int inside = ::openat(fd_, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                if (inside >= 0) {
                    for (const std::string& file : namesIn(inside)) {
                        ::unlinkat(inside, file.c_str(), 0);
                    }
                    ::close(inside);
                }
                removed += ::unlinkat(fd_, name.c_str(), AT_REMOVEDIR) == 0 ? 1 : 0;
            }
        }
        return removed;
    }

private:
    int fd_;
};

// Whether a name is `.NAME.` followed by the six characters mkostemp puts in.
bool isTemporaryOf(const std::string& name, const std::string& prefix)
{
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        if (std::isalnum(static_cast<unsigned char>(name[i])) == 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

FsResult FileSystem::createFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), 0755) != 0) {
        return lastError();
    }
    return FsResult::success();
}

PathInfo FileSystem::inspect(const std::string& path)
{
    PathInfo info;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno != ENOENT) {
            info.lookedAt = lastError();
        }
        return info;
    }
    if (S_ISLNK(st.st_mode)) {
        info.kind = PathInfo::Kind::link;
        std::vector<char> target(static_cast<std::size_t>(st.st_size) + 256);
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0) {
            info.lookedAt = lastError();
        } else {
            info.linkTarget.assign(target.data(), static_cast<std::size_t>(n));
        }
    } else if (S_ISDIR(st.st_mode)) {
        info.kind = PathInfo::Kind::folder;
    } else if (S_ISREG(st.st_mode)) {
        info.kind = PathInfo::Kind::file;
        info.links = st.st_nlink;
        if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
            info.writable = lastError();
        }
    } else {
        info.kind = PathInfo::Kind::other;
    }
    return info;
}

FsResult FileSystem::readFile(const std::string& path, std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return lastError();
    }
    bytes.clear();
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            const FsResult result = n == 0 ? FsResult::success() : lastError();
            ::close(fd);
            return result;
        }
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
}

FsResult FileSystem::createTemporary(const std::string& target, std::unique_ptr<OpenFile>& file, std::string& temp)
{
    std::string name = path::fileName(target);
    if (name.size() > 200) {
        name.resize(200);
    }
    const std::string prefix = "." + name + ".";
    const std::string folderPath = path::parent(target);
    if (std::unique_ptr<OpenFolder> folder; openFolder(folderPath, folder)) {
        static_cast<void>(
            folder->removeLeftovers([&prefix](const std::string& left) { return isTemporaryOf(left, prefix); }));
    }
    temp = path::join(folderPath, prefix + "XXXXXX");
    std::vector<char> pattern(temp.begin(), temp.end());
    pattern.push_back('\0');
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        return lastError();
    }
    temp.assign(pattern.data());
    file = std::make_unique<PosixFile>(fd);
    // The permissions a new file gets; a replaced file's own come later. A
    // file left at mkostemp's 0600 would be a new file nobody else can read.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd, 0666 & ~mask) != 0) {
        FsResult failed = lastError();
        file.reset();
        ::unlink(temp.c_str());
        return failed;
    }
    return FsResult::success();
}

namespace {

// One save at a time writes a file in place: two at once could leave the
// start of one version followed by the tail of the other. The lock belongs
// to this opening of the file (an OFD lock), so that two windows of one
// program exclude each other too, and goes with the last close. Another save
// gets a short while to finish; a file system without locks is written
// without one.
FsResult lockForWriting(int fd)
{
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    for (int tries = 0;; ++tries) {
        if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) {
            return FsResult::success();
        }
        if (errno != EAGAIN && errno != EACCES && errno != EINTR) {
            return FsResult::success();
        }
        if (tries == lockTries) {
            return FsResult::busy();
        }
        ::usleep(lockWaitMicroseconds);
    }
}

}  // namespace

FsResult FileSystem::openExisting(const std::string& path, std::unique_ptr<OpenFile>& file)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return lastError();
    }
    if (FsResult locked = lockForWriting(fd); !locked) {
        ::close(fd);
        return locked;
    }
    file = std::make_unique<PosixFile>(fd);
    return FsResult::success();
}

FsResult FileSystem::moveIntoPlace(const std::string& temp, const std::string& target, bool)
{
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        return lastError();
    }
    // The new name is on the disk only once the folder is: flushed too. A
    // folder that cannot be opened to read, or a file system that flushes
    // no folder, leaves it to the system.
    // Once renamed, the file is saved: a folder that cannot be flushed is a
    // warning in the note, never a failure.
    FsResult saved = FsResult::success();
    if (FsResult flushed = flushFolder(path::parent(target)); !flushed) {
        saved.note = "ただし、フォルダーの変更をディスクに書き込めたかどうか確かめられませんでした。" + flushed.reason;
    }
    return saved;
}

FsResult FileSystem::flushFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return FsResult::success();
    }
    FsResult result = ::fsync(fd) == 0 || errno == EINVAL ? FsResult::success() : lastError();
    ::close(fd);
    return result;
}

std::string stateFolder(FileSystem& fs)
{
    std::string base;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && state[0] == '/') {
        base = state;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        base = path::join(path::join(home, ".local"), "state");
    } else {
        return "";
    }
    const std::string folder = path::join(base, "kelvora");
    // Each level that is missing, from the root down; the last one only for
    // the user himself.
    std::vector<std::string> levels;
    for (std::string level = folder; !path::isRoot(level) && level != "."; level = path::parent(level)) {
        levels.push_back(level);
    }
    for (auto level = levels.rbegin(); level != levels.rend(); ++level) {
        if (!fs.exists(*level)) {
            static_cast<void>(fs.createFolder(*level));
        }
    }
    ::chmod(folder.c_str(), 0700);
    return fs.exists(folder) ? folder : "";
}

FsResult FileSystem::removeFile(const std::string& path)
{
    if (::unlink(path.c_str()) != 0) {
        return lastError();
    }
    return FsResult::success();
}

FsResult FileSystem::removeFolder(const std::string& path)
{
    if (::rmdir(path.c_str()) != 0) {
        return lastError();
    }
    return FsResult::success();
}

bool FileSystem::exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

FsResult FileSystem::openFolder(const std::string& path, std::unique_ptr<OpenFolder>& folder)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return lastError();
    }
    folder = std::make_unique<PosixFolder>(fd, path);
    return FsResult::success();
}

FsResult FileSystem::probeNameless(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int error = errno;
        // Older kernels take O_TMPFILE for O_DIRECTORY (EISDIR); some file
        // systems have no nameless files.
        return FsResult::fromErrno(error == EISDIR || error == EINVAL ? EOPNOTSUPP : error);
    }
    ::close(fd);
    return FsResult::success();
}

FsResult FileSystem::checkOwnFolder(const std::string& folder)
{
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) {
        return errno == ENOENT ? FsResult::success() : lastError();
    }
    FsResult refused = FsResult::failure("");
    refused.error = EPERM;
    if (S_ISLNK(st.st_mode)) {
        refused.reason = "フォルダーではなくリンクです。";
    } else if (!S_ISDIR(st.st_mode)) {
        refused.reason = "フォルダーではありません。";
    } else if (st.st_uid != ::geteuid()) {
        refused.reason = "持ち主（所有者）がほかのユーザーです。";
    } else if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        refused.reason = "ほかのユーザーも書き込めるようになっています。";
    } else {
        return FsResult::success();
    }
    return refused;
}

}  // namespace output
