#include "output/program_folder.h"

#include <utility>

namespace output {

bool canCreateIn(FileSystem& fs, const std::string& folder, char separator)
{
    if (folder.empty()) {
        return false;
    }
    const std::string base = folder + separator + ".kelvora-write-probe";
    // A probe left behind by a run that ended mid-way must not read as a
    // refusal: the next free name is tried instead.
    for (int n = 0; n < 100; ++n) {
        const std::string probe = n == 0 ? base : base + std::to_string(n);
        if (fs.exists(probe)) {
            continue;
        }
        if (!fs.createFolder(probe)) {
            return false;
        }
        static_cast<void>(fs.removeFolder(probe));
        return true;
    }
    return false;
}

ProgramFolder::ProgramFolder(std::string installed, std::string standIn, char separator, Tell tell)
    : installed_(std::move(installed)), standIn_(std::move(standIn)), separator_(separator), tell_(std::move(tell))
{
}

std::string ProgramFolder::folder()
{
    FileSystem& fs = fileSystem();
    // Asked each time, since the user may change the folder's permissions
    // while the program runs.
    if (canCreateIn(fs, installed_, separator_) || standIn_.empty()) {
        return installed_;
    }
    if (!fs.exists(standIn_)) {
        // A failure here shows later, when the generator's own folder cannot
        // be made, with the reason in its message.
        static_cast<void>(fs.createFolder(standIn_));
    }
    if (!told_) {
        told_ = true;
        if (tell_) {
            tell_(standInMessage(installed_, standIn_));
        }
    }
    return standIn_;
}

std::string ProgramFolder::standInMessage(const std::string& installed, const std::string& standIn)
{
    return "プログラムのあるフォルダー「" + installed + "」には書き込めないため、作成するフォルダーは「" + standIn +
           "」の中に作ります。";
}

}  // namespace output
