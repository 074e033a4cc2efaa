// The few file-system operations the programs perform. Every failure comes
// back with its reason in Japanese, for the message that tells the user.
// Tests put a FileSystem of their own in place to make an operation fail.
#pragma once

#include <string>

namespace output {

struct [[nodiscard]] FsResult {
    bool ok = true;
    std::string reason;  // why it failed, in Japanese; empty on success
    explicit operator bool() const { return ok; }
    static FsResult success() { return {}; }
    static FsResult failure(std::string why) { return {false, std::move(why)}; }
    static FsResult fromErrno(int error);
#ifdef _WIN32
    // The same reasons for the Windows API's error codes (GetLastError).
    static FsResult fromWindowsError(unsigned long error);
#endif
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Creates one folder level; fails when the name exists already.
    virtual FsResult createFolder(const std::string& path);
    // Puts the bytes in place of the file at path, or creates it. The bytes go
    // to a temporary file beside the target first, which replaces the target
    // only once complete: a failure leaves an existing file exactly as it was
    // and no temporary file behind.
    virtual FsResult replaceFile(const std::string& path, const std::string& bytes);
    virtual FsResult removeFile(const std::string& path);
    virtual FsResult removeFolder(const std::string& path);
    virtual bool exists(const std::string& path);
};

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
