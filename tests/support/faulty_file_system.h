// File systems that fail chosen operations and otherwise work on the real
// disk: the fuzz target's faults, the generators' failure paths, and every
// step of the save rule.
#pragma once

#include <cerrno>
#include <csignal>
#include <functional>
#include <memory>
#include <map>
#include <string>
#include <vector>

#include "output/file_system.h"

namespace testing_support {

// The real disk, on which one chosen operation fails: the Nth of its
// folder creations, file writes and removals from the moment it is told,
// counted down as they are asked for, in a folder opened through it too
// (the fuzz target and the generators' tests). A folder's file is recorded
// under the folder's path as messages name it.
class FaultyFileSystem : public output::FileSystem {
public:
    // The nth operation from now (1: the next one) fails with `error`; 0
    // fails none.
    void failOperation(int nth, int error)
    {
        countdown_ = nth;
        error_ = error;
    }

    output::FsResult createFolder(const std::string& path) override
    {
        return fails() ? failure() : FileSystem::createFolder(path);
    }
    output::FsResult replaceFile(const std::string& path, const std::string& bytes) override
    {
        replaced.push_back(path);
        return fails() ? failure() : FileSystem::replaceFile(path, bytes);
    }
    output::FsResult removeFile(const std::string& path) override
    {
        return fails() ? failure() : FileSystem::removeFile(path);
    }
    output::FsResult removeFolder(const std::string& path) override
    {
        return fails() ? failure() : FileSystem::removeFolder(path);
    }

    output::FsResult openFolder(const std::string& path, std::unique_ptr<output::OpenFolder>& folder) override
    {
        output::FsResult opened = FileSystem::openFolder(path, folder);
        if (opened) {
            folder = std::make_unique<Folder>(*this, std::move(folder));
        }
        return opened;
    }

    std::vector<std::string> replaced;  // every file written, the failed write too
    // When set, the run ends at once (SIGKILL) at the nth operation instead
    // of failing it, as a crash or a power cut would end it.
    bool killInstead = false;
    // Called before each counted operation, as something else on the
    // machine would act between two of them.
    std::function<void()> onOperation;

private:
    class Folder : public output::OpenFolder {
    public:
        Folder(FaultyFileSystem& disk, std::unique_ptr<output::OpenFolder> real)
            : OpenFolder(real->path), disk_(disk), real_(std::move(real))
        {
        }
        output::FsResult createFolder(const std::string& name, std::unique_ptr<output::OpenFolder>& made) override
        {
            if (disk_.fails()) {
                return disk_.failure();
            }
            output::FsResult created = real_->createFolder(name, made);
            if (created) {
                made = std::make_unique<Folder>(disk_, std::move(made));
            }
            return created;
        }
        output::FsResult createFile(const std::string& name, const std::string& bytes) override
        {
#ifdef _WIN32
            disk_.replaced.push_back(path + "\\" + name);
#else
            disk_.replaced.push_back(path + "/" + name);
#endif
            return disk_.fails() ? disk_.failure() : real_->createFile(name, bytes);
        }
        output::FsResult remove(const std::string& name) override
        {
            return disk_.fails() ? disk_.failure() : real_->remove(name);
        }
        output::FsResult rename(const std::string& from, const std::string& to) override
        {
            return real_->rename(from, to);
        }
        output::FsResult flush() override
        {
            return real_->flush();
        }
        int removeLeftovers(const std::function<bool(const std::string& name)>& ours) override
        {
            return real_->removeLeftovers(ours);
        }

    private:
        FaultyFileSystem& disk_;
        std::unique_ptr<output::OpenFolder> real_;
    };

    bool fails()
    {
        if (onOperation) {
            onOperation();
        }
        if (countdown_ > 0 && --countdown_ == 0) {
#ifdef SIGKILL
            if (killInstead) {
                ::raise(SIGKILL);
            }
#endif
            return true;
        }
        return false;
    }
    output::FsResult failure() const
    {
        return output::FsResult::fromErrno(error_);
    }

    int countdown_ = 0;
    int error_ = 0;
};

// The steps of the save rule that touch the disk, numbered from 1 in the
// order they are taken: the ones in `failing` fail with their error, and so
// does every step named `failingStep`, with ENOSPC. A failing write puts half
// of its bytes down first, as a disk does that fills up.
class FailingSteps : public output::FileSystem {
public:
    output::FsResult readFile(const std::string& path, std::string& bytes) override
    {
        return fails("read") ? failure() : FileSystem::readFile(path, bytes);
    }
    output::FsResult createTemporary(const std::string& target, std::unique_ptr<output::OpenFile>& file,
                                     std::string& temp) override
    {
        return fails("create temporary") ? failure() : wrap(FileSystem::createTemporary(target, file, temp), file);
    }
    output::FsResult openExisting(const std::string& path, std::unique_ptr<output::OpenFile>& file) override
    {
        return fails("open") ? failure() : wrap(FileSystem::openExisting(path, file), file);
    }
    output::FsResult moveIntoPlace(const std::string& temp, const std::string& target, bool replacing) override
    {
        return fails("move into place") ? failure() : FileSystem::moveIntoPlace(temp, target, replacing);
    }

    std::map<std::size_t, int> failing;  // step number -> errno
    std::string failingStep;
    std::vector<std::string> steps;  // every step taken, failed ones too

private:
    class File : public output::OpenFile {
    public:
        File(FailingSteps& disk, std::unique_ptr<output::OpenFile> real) : disk_(disk), real_(std::move(real)) {}
        output::FsResult writeFromStart(const std::string& bytes) override
        {
            if (disk_.fails("write")) {
                static_cast<void>(real_->writeFromStart(bytes.substr(0, bytes.size() / 2)));
                return disk_.failure();
            }
            return real_->writeFromStart(bytes);
        }
        output::FsResult setLength(std::size_t length) override
        {
            return disk_.fails("set length") ? disk_.failure() : real_->setLength(length);
        }
        output::FsResult flush() override { return disk_.fails("flush") ? disk_.failure() : real_->flush(); }
        output::FsResult close() override
        {
            output::FsResult closed = real_->close();
            return disk_.fails("close") ? disk_.failure() : closed;
        }
        output::FsResult keepAttributesOf(const std::string& original) override
        {
            return disk_.fails("keep attributes") ? disk_.failure() : real_->keepAttributesOf(original);
        }

    private:
        FailingSteps& disk_;
        std::unique_ptr<output::OpenFile> real_;
    };

    bool fails(const char* step)
    {
        steps.push_back(step);
        const auto chosen = failing.find(steps.size());
        error_ = chosen != failing.end() ? chosen->second : ENOSPC;
        return chosen != failing.end() || failingStep == step;
    }
    output::FsResult failure() const { return output::FsResult::fromErrno(error_); }
    output::FsResult wrap(output::FsResult opened, std::unique_ptr<output::OpenFile>& file)
    {
        if (opened) {
            file = std::make_unique<File>(*this, std::move(file));
        }
        return opened;
    }

    int error_ = 0;
};

}  // namespace testing_support
