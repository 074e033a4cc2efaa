// Writing a new folder of documents in one action, as the one-shot generator
// and kelvquick do: the folder is named after the video and lies inside the
// program folder. Every check that can refuse the job runs before anything
// is created; a failure on disk takes back what the run created, so that the
// user can simply press again once the cause is gone, and nothing that was
// there before the run is ever touched.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "form/form.h"
#include "output/document_writer.h"

namespace flows {

using output::Document;

// One file of the new folder: its name inside the folder and its lines.
struct FolderFile {
    std::string name;
    Document lines;
};

// A text the user supplied (or the machine did), named as the user knows it,
// for the message that points at a character code page 932 cannot hold.
struct NamedInput {
    // What the text becomes in the files, for the characters it may not
    // hold: text inside a page's or a metafile's attribute value may hold no
    // control character and no '"', which would end the value; a file or
    // folder name besides no character, name or ending that Windows refuses
    // in a name, so that the folder can go to any web host.
    enum class Use { value, name };

    std::string title;  // "ビデオファイル名"
    std::string text;
    std::string advice;  // what the user can do about it
    Use use = Use::value;
};

struct FolderJob {
    std::string programFolder;              // empty: refused, and the user told why (ProgramFolder)
    std::string name;                       // the folder's name, exactly as typed
    std::vector<FolderFile> files;          // written in this order
    std::vector<NamedInput> inputs;         // checked for code page 932 and their use first
    std::optional<std::string> refusal;     // a problem the screen found in its own fields
    std::vector<std::string> doneMessages;  // shown once every file is written, the first with the folder
};

// The folder's path for a name: folder, separator, name; a folder that ends
// in a separator already (a root) gets no second one.
std::string joinPath(const std::string& folder, const std::string& name);

// Refuses, with a message to the user, a name that cannot be a folder of its
// own inside the program folder: the empty name, a name holding a separator,
// "." and "..". A name of spaces is a name here; one that ends in a space
// is refused with the other names Windows cannot hold.
[[nodiscard]] bool checkFolderName(form::Form& screen, const std::string& name);

// Runs the checks (name, the screen's refusal, code page 932, an existing
// folder), then writes the files in order into a hidden folder beside the
// new one (".NAME.partial-" and six characters), flushed, which then takes
// the name; a name taken meanwhile is refused like an existing folder.
// Hidden folders of the name that a run before this one left are removed
// first. Returns true when every file was written and the done messages
// were shown.
[[nodiscard]] bool GenerateFolder(form::Form& screen, const FolderJob& job);

}  // namespace flows
