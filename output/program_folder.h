// Where the programs make the folders the generators write: the folder that
// holds the program when the user may write there, and otherwise a folder of
// the user's own that stands in for it (as Windows' VirtualStore does for old
// programs installed where only administrators write). The rule is kept here,
// away from the window systems, so that a test can play it on a file system
// of its own; the platforms only name the two folders and show the message.
#pragma once

#include <functional>
#include <string>

#include "output/file_system.h"

namespace output {

// Whether the user may create things in folder: a probe folder is really
// made there and removed again, so that ownership, root and access lists all
// count as the operating system counts them.
// Where the system has files without a name, one of those is the probe, and
// nothing can be left behind; elsewhere a probe folder, and probes an earlier
// run left are removed first.
bool canCreateIn(FileSystem& fs, const std::string& folder, char separator);

class ProgramFolder {
public:
    using Tell = std::function<void(const std::string& text)>;

    // installed: the folder that holds the program; standIn: the user's own
    // folder used in its place; tell shows a message to the user.
    ProgramFolder(std::string installed, std::string standIn, char separator, Tell tell);

    // The folder to make the generated folders in. The first time in a run
    // that it is the stand-in, the stand-in is created if need be and the
    // user is told where the folders go. A stand-in that is not a folder of
    // the user's own alone (a link, another user's, writable by others) is
    // refused: the user is told why, and the folder is empty.
    std::string folder();

    // The message that tells the user about the stand-in.
    static std::string standInMessage(const std::string& installed, const std::string& standIn);
    // The message that refuses the stand-in, with the reason.
    static std::string refusalMessage(const std::string& standIn, const std::string& reason);

private:
    std::string installed_;
    std::string standIn_;
    char separator_;
    Tell tell_;
    bool told_ = false;
};

}  // namespace output
