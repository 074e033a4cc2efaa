#include "flows/folder_generation.h"

#include <cctype>
#include <string_view>

#include "output/cp932.h"
#include "flows/save_document.h"

namespace flows {

using output::FileSystem;
using output::fileSystem;
using output::firstUnencodable;
using output::FsResult;
using output::WriteDocument;

namespace {

bool holdsSeparator(const std::string& name)
{
    // Both separators, whatever the platform: a name that means a sub-folder
    // on one machine would mean it on the user's web site too.
    return name.find_first_of(std::string("/\\\0", 3)) != std::string::npos;
}

// The first character that would break what the text becomes, as the user
// can read it (a control character as its code), or nothing.
std::optional<std::string> firstBreaking(const std::string& text, NamedInput::Use use)
{
    if (std::optional<std::string> control = firstControlCharacter(text)) {
        return control;
    }
    for (const char c : text) {
        if (c == '"' ||
            (use == NamedInput::Use::name && std::string_view("<>|?*:").find(c) != std::string_view::npos)) {
            return std::string(1, c);
        }
    }
    return std::nullopt;
}

// A name Windows keeps for a device, with or without an extension: a file
// "aux.htm" opens the device, on Windows and on a Windows web host.
bool isDeviceName(const std::string& name)
{
    std::string stem = name.substr(0, name.find('.'));
    for (char& c : stem) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") {
        return true;
    }
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) && stem[3] >= '1' &&
           stem[3] <= '9';
}

// Why the text cannot be used as it is, for the message; nothing when it can.
std::optional<std::string> whyNotUsable(const NamedInput& input)
{
    const std::string field = "「" + input.title + "」の";
    if (const std::optional<std::string> bad = firstUnencodable(input.text)) {
        std::string fullWidthMessage;
        if (const std::optional<std::string> form = output::fullWidthFor(*bad)) {
            fullWidthMessage = "全角の「" + *form + "」なら書き込めます。";
        }
        return field + "文字「" + *bad + "」はShift_JISで書き込めません。" + fullWidthMessage;
    }
    if (const std::optional<std::string> bad = firstBreaking(input.text, input.use)) {
        return field + "文字「" + *bad +
               (input.use == NamedInput::Use::name ? "」はファイルやフォルダーの名前に使えません。"
                                                   : "」はページやメタファイルの値の中に書き込めません。");
    }
    if (input.use == NamedInput::Use::name && isDeviceName(input.text)) {
        return field + "「" + input.text.substr(0, input.text.find('.')) +
               "」はWindowsが装置に使う名前なので、ファイルやフォルダーの名前にできません。";
    }
    if (input.use == NamedInput::Use::name && !input.text.empty() && input.text.back() == '.') {
        return field + "最後の「.」はWindowsでは消えてしまうため、名前の最後には使えません。";
    }
    if (input.use == NamedInput::Use::name && !input.text.empty() && input.text.back() == ' ') {
        return field + "最後の空白はWindowsでは消えてしまうため、名前の最後には使えません。";
    }
    return std::nullopt;
}

bool checkInputs(form::Form& screen, const std::vector<NamedInput>& inputs)
{
    for (const NamedInput& input : inputs) {
        if (const std::optional<std::string> why = whyNotUsable(input)) {
            screen.program().message(&screen, *why + input.advice);
            return false;
        }
    }
    return true;
}

// Takes back what this run created, newest first. Says what could not be
// removed, so that the user is not left guessing about stray files.
std::string rollBack(const std::vector<std::string>& createdFiles, const std::string& folder)
{
    FileSystem& fs = fileSystem();
    std::string leftOver;
    for (auto it = createdFiles.rbegin(); it != createdFiles.rend(); ++it) {
        if (FsResult removed = fs.removeFile(*it); !removed) {
            leftOver += "\n「" + *it + "」を削除できませんでした。" + removed.reason;
        }
    }
    if (FsResult removed = fs.removeFolder(folder); !removed) {
        leftOver += "\n「" + folder + "」を削除できませんでした。" + removed.reason;
    }
    if (leftOver.empty()) {
        return "\n作成途中のフォルダーとファイルは削除しました。";
    }
    return leftOver;
}

}  // namespace

std::string joinPath(const std::string& folder, const std::string& name)
{
    if (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) {
        return folder + name;
    }
    return folder + form::pathSeparator + name;
}

bool checkFolderName(form::Form& screen, const std::string& name)
{
    form::Program& program = screen.program();
    if (name.empty()) {
        program.message(&screen, "記入しましょう。");
        return false;
    }
    if (holdsSeparator(name)) {
        program.message(&screen, "名前に「/」や「\\」は使えません。"
                                 "ビデオファイルの名前だけを拡張子抜きで記入してください。");
        return false;
    }
    if (name == "." || name == "..") {
        program.message(&screen, "「" + name +
                                     "」はフォルダーの名前にできません。"
                                     "ビデオファイルの名前を記入してください。");
        return false;
    }
    return true;
}

bool GenerateFolder(form::Form& screen, const FolderJob& job)
{
    form::Program& program = screen.program();
    if (!checkFolderName(screen, job.name)) {
        return false;
    }
    if (job.refusal) {
        program.message(&screen, *job.refusal);
        return false;
    }
    if (!checkInputs(screen, job.inputs)) {
        return false;
    }
    for (const FolderFile& file : job.files) {
        if (!checkEncodable(screen, file.lines)) {
            return false;
        }
    }
    FileSystem& fs = fileSystem();
    const std::string folder = joinPath(job.programFolder, job.name);
    if (fs.exists(folder)) {
        program.message(&screen, "「" + folder +
                                     "」はすでにあります。"
                                     "中のファイルはそのままにしてあります。"
                                     "別の名前を記入するか、そのフォルダーを移してから作成してください。");
        return false;
    }

    if (FsResult created = fs.createFolder(folder); !created) {
        // Not ours: whatever stands at that path now is left alone.
        program.message(&screen, "フォルダー「" + folder + "」を作成できませんでした。\n" + created.reason);
        return false;
    }
    std::vector<std::string> written;
    std::string warnings;
    for (const FolderFile& file : job.files) {
        const std::string path = joinPath(folder, file.name);
        FsResult result = WriteDocument(path, file.lines);
        if (!result) {
            // The folder is this run's own, so a file under the name is too:
            // one a failed step left in place goes with the rest.
            if (fs.exists(path)) {
                written.push_back(path);
            }
            program.message(&screen,
                            "「" + path + "」を保存できませんでした。\n" + result.reason + rollBack(written, folder));
            return false;
        }
        written.push_back(path);
        if (!result.note.empty()) {
            warnings += "\n「" + path + "」: " + result.note;
        }
    }
    // The first one also names the folder, so that the user (and a screen
    // reader's listener) knows where the files are, and what to know about
    // how they were written.
    for (std::size_t i = 0; i < job.doneMessages.size(); ++i) {
        program.message(&screen, i == 0 ? job.doneMessages[i] + "\n" + folder + warnings : job.doneMessages[i]);
    }
    return true;
}

}  // namespace flows
