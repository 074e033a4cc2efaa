// The few file-system operations the programs perform. Every failure comes
// back with its reason in Japanese, for the message that tells the user.
// Tests put a FileSystem of their own in place to make an operation fail.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace output {

struct [[nodiscard]] FsResult {
    bool ok = true;
    std::string reason;  // why it failed, in Japanese; empty on success
    std::string note;    // on success, what the user should also know about how it was done; often empty
    int error = 0;       // the errno the reason stands for; 0 when it stands for none
    explicit operator bool() const { return ok; }
    static FsResult success() { return {}; }
    static FsResult failure(std::string why)
    {
        FsResult failed;
        failed.ok = false;
        failed.reason = std::move(why);
        return failed;
    }
    static FsResult fromErrno(int error);
    // Another save holds the file and did not let go in time.
    static FsResult busy();
    // The same reasons for the Windows API's error codes (GetLastError);
    // the Windows build alone has it.
    static FsResult fromWindowsError(unsigned long error);
};

// What stands at a path. A link in the path's last name is not followed.
// A save that finds the file locked by another tries this often, this long
// apart, before it gives up.
constexpr int lockTries = 40;
constexpr unsigned lockWaitMicroseconds = 50000;

struct PathInfo {
    enum class Kind { missing, file, folder, link, other };
    Kind kind = Kind::missing;
    std::string linkTarget;   // a link's target as stored: beside the link unless absolute
    unsigned long links = 1;  // the names a file has (hard links)
    FsResult writable;        // whether the user may write the file itself, and if not, why
    FsResult lookedAt;        // whether the path could be looked at, and if not, why; a missing name could
};

// A file open for writing. Each step is a call of its own, so that a test
// can make any one of them fail.
class OpenFile {
public:
    virtual ~OpenFile() = default;  // closes the file if it is still open
    // Writes every byte from the start of the file, over what is there.
    virtual FsResult writeFromStart(const std::string& bytes) = 0;
    virtual FsResult setLength(std::size_t length) = 0;
    virtual FsResult flush() = 0;  // down to the disk
    virtual FsResult close() = 0;
    // For a temporary file that is to replace `original`: gives it what the
    // original has besides its bytes, as far as this system keeps it with the
    // file rather than with its name. Fails when replacing would lose some of
    // it.
    virtual FsResult keepAttributesOf(const std::string& original) = 0;
};

// A folder opened once, in which things are made and removed by name: what
// stands at the folder's path may change meanwhile, what is made goes into
// the folder that was opened. A name is never followed as a link, and what
// is made is new: an existing name fails with EEXIST.
class OpenFolder {
public:
    explicit OpenFolder(std::string path) : path(std::move(path)) {}
    virtual ~OpenFolder() = default;
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;

    // A new folder inside, opened in its turn.
    virtual FsResult createFolder(const std::string& name, std::unique_ptr<OpenFolder>& made) = 0;
    // A new file inside holding the bytes, down to the disk. On failure
    // nothing of it is left.
    virtual FsResult createFile(const std::string& name, const std::string& bytes) = 0;
    // A file, or a folder that is empty.
    virtual FsResult remove(const std::string& name) = 0;
    // Gives `from` the name `to`, which must be free: a name taken meanwhile
    // fails with EEXIST and is left alone.
    virtual FsResult rename(const std::string& from, const std::string& to) = 0;
    // Writes the folder's list of names down to the disk.
    virtual FsResult flush() = 0;
    // Removes what an earlier run that ended mid-way left here: the files
    // and folders (with the files in them) whose names `ours` accepts and
    // which are older than this run of the program, so that a run going on
    // beside this one keeps its own. Returns how many it removed.
    virtual int removeLeftovers(const std::function<bool(const std::string& name)>& ours) = 0;

    std::string path;  // how messages name the folder
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Creates one folder level, which only the user may write; fails when
    // the name exists already.
    virtual FsResult createFolder(const std::string& path);
    // Puts the bytes in place of the file at path, or creates it, by the
    // save rule (saveFile below).
    virtual FsResult replaceFile(const std::string& path, const std::string& bytes);
    virtual FsResult removeFile(const std::string& path);
    virtual FsResult removeFolder(const std::string& path);
    // Whether anything stands at path, a link to nothing too.
    virtual bool exists(const std::string& path);
    // The existing folder at path, opened: a link there is followed once, as
    // the program's own folder may be reached through one; what is made in
    // it then never is.
    virtual FsResult openFolder(const std::string& path, std::unique_ptr<OpenFolder>& folder);
    // Whether the user may create files in folder, asked with a file that
    // has no name and so cannot be left behind; EOPNOTSUPP where the system
    // has no such files, and the caller must ask another way.
    virtual FsResult probeNameless(const std::string& folder);
    // Why folder cannot be trusted to hold what the user makes, if it
    // cannot: a link, not a folder, another user's, or writable by others.
    // A missing folder is no reason.
    virtual FsResult checkOwnFolder(const std::string& folder);

    // The steps the save rule is made of.
    virtual PathInfo inspect(const std::string& path);
    virtual FsResult readFile(const std::string& path, std::string& bytes);
    // A new, empty file of this program's own in the folder of `target`,
    // named `temp`, with the permissions a new file gets. Such files that an
    // earlier run left beside the target when it ended mid-way go first.
    virtual FsResult createTemporary(const std::string& target, std::unique_ptr<OpenFile>& file, std::string& temp);
    // The existing file at path, for writing; nothing is cut off yet.
    virtual FsResult openExisting(const std::string& path, std::unique_ptr<OpenFile>& file);
    // Puts the complete temporary file in place of target, or under its name
    // when there is no file yet, down to the disk. On failure an existing
    // target is as it was; once the file is in place the result is success,
    // with a note when its folder could not be flushed (flushFolder).
    virtual FsResult moveIntoPlace(const std::string& temp, const std::string& target, bool replacing);

protected:
    // Writes a folder's list of names down to the disk, where the system
    // allows it.
    virtual FsResult flushFolder(const std::string& folder);
};

// The user's own folder for what a save keeps while it writes a file in
// place ($XDG_STATE_HOME/kelvora, ~/.local/state/kelvora, or
// %LOCALAPPDATA%\kelvora), created if need be; empty when there is none.
std::string stateFolder(FileSystem& fs);

// The save rule: how the bytes come to stand at path, on every platform.
// - A link is followed to the file it names, which is saved; the link stays.
//   A link to nothing creates that file; links in a loop are refused.
// - A file with one name in a folder that takes new files is replaced
//   whole, and a new file made, the same way: the bytes go to a temporary
//   file beside it, which takes on the old file's attributes and then its
//   name, so that a failure at any step leaves the old file exactly as it was.
// - Where replacing would lose something or cannot be done (a file with more
//   names than one, a folder the user may not add to, attributes that cannot
//   be carried over), the file is written in place: its old bytes are read
//   first and written back when any step fails. The success note says so.
//   Meanwhile a copy of them waits in the state folder, so that a save cut
//   short by a crash is undone by the next save of that file.
// - A folder, a device and a file the user may not write are refused.
FsResult saveFile(FileSystem& fs, const std::string& path, const std::string& bytes);

// The file system every save uses.
FileSystem& fileSystem();

// Puts another file system in place while it lives (for tests).
class FileSystemOverride {
public:
    explicit FileSystemOverride(FileSystem& replacement);
    ~FileSystemOverride();
    FileSystemOverride(const FileSystemOverride&) = delete;
    FileSystemOverride& operator=(const FileSystemOverride&) = delete;

private:
    FileSystem* previous_;
};

}  // namespace output
