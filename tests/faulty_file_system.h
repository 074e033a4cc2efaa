// A file system that fails chosen operations and otherwise works on the
// real disk, for the generators' failure paths.
#pragma once

#include <cerrno>
#include <string>
#include <vector>

#include "output/file_system.h"

namespace testing_support {

class FaultyFileSystem : public output::FileSystem {
public:
    output::FsResult createFolder(const std::string& path) override
    {
        if (refuseFolders) {
            return output::FsResult::fromErrno(EACCES);
        }
        return FileSystem::createFolder(path);
    }
    output::FsResult replaceFile(const std::string& path, const std::string& bytes) override
    {
        replaced.push_back(path);
        if (static_cast<int>(replaced.size()) == failingWrite) {
            return output::FsResult::fromErrno(writeError);
        }
        return FileSystem::replaceFile(path, bytes);
    }

    bool refuseFolders = false;
    int failingWrite = 0;  // 1-based number of the write that fails; 0: none
    int writeError = ENOSPC;
    std::vector<std::string> replaced;
};

}  // namespace testing_support
