#include "output/program_folder.h"

#include <cerrno>
#include <memory>
#include <utility>

#include "form/path.h"

namespace output {

namespace {

bool isProbe(const std::string& name)
{
    const std::string base = ".kelvora-write-probe";
    if (name.compare(0, base.size(), base) != 0 || name.size() > base.size() + 2) {
        return false;
    }
    for (std::size_t i = base.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') {
            return false;
        }
    }
    return true;
}

}  // namespace

bool canCreateIn(FileSystem& fs, const std::string& folder, char separator)
{
    if (folder.empty()) {
        return false;
    }
    // Probes left behind by a run that ended mid-way go first.
    if (std::unique_ptr<OpenFolder> opened; fs.openFolder(folder, opened)) {
        static_cast<void>(opened->removeLeftovers(isProbe));
    }
    // A file without a name is gone with the program, however it ends.
    if (FsResult nameless = fs.probeNameless(folder); nameless || nameless.error != EOPNOTSUPP) {
        return nameless.ok;
    }
    const std::string base = path::join(folder, ".kelvora-write-probe", path::styleSeparatedBy(separator));
    // A probe of a run going on beside this one must not read as a
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
    // What the generators make there is the user's: a folder that another
    // user could swap or fill is not used.
    if (FsResult own = fs.checkOwnFolder(standIn_); !own) {
        if (tell_) {
            tell_(refusalMessage(standIn_, own.reason));
        }
        return "";
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

std::string ProgramFolder::refusalMessage(const std::string& standIn, const std::string& reason)
{
    return "作成するフォルダーの置き場所「" + standIn + "」は使えません。" + reason + "「" + standIn +
           "」を、ご自分だけが書き込めるふつうのフォルダーにしてから、もう一度作成してください。";
}

}  // namespace output
