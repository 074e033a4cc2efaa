#include "flows/folder_generation.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <memory>
#include <random>
#include <string_view>

#include "form/path.h"
#include "output/cp932.h"
#include "flows/save_document.h"

namespace flows {

using output::FileSystem;
using output::fileSystem;
using output::firstUnencodable;
using output::FsResult;
using output::OpenFolder;

namespace {

bool holdsSeparator(const std::string& name)
{
    // Both separators, whatever the platform: a name that means a sub-folder
    // on one machine would mean it on the user's web site too.
    return std::any_of(name.begin(), name.end(),
                       [](char c) { return c == '\0' || path::isSeparator(c, path::Style::windows); });
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

// Takes back what this run created, newest first: the files in the hidden
// folder, then the folder. Says what could not be removed, under the names
// it has, so that the user is not left guessing about stray files.
std::string rollBack(OpenFolder& parent, OpenFolder& hidden, const std::string& hiddenName,
                     const std::vector<std::string>& createdFiles)
{
    const std::string hiddenPath = joinPath(parent.path, hiddenName);
    std::string leftOver;
    for (auto it = createdFiles.rbegin(); it != createdFiles.rend(); ++it) {
        if (FsResult removed = hidden.remove(*it); !removed) {
            leftOver += "\n「" + joinPath(hiddenPath, *it) + "」を削除できませんでした。" + removed.reason;
        }
    }
    if (FsResult removed = parent.remove(hiddenName); !removed) {
        leftOver += "\n「" + hiddenPath + "」を削除できませんでした。" + removed.reason;
    }
    return leftOver;
}

// The hidden folder a run fills before it gives the folder its name:
// ".NAME.partial-" and six letters or digits of its own.
// A long name is cut, on a character's boundary, so that the hidden name
// fits where the name itself fits (255 bytes).
std::string partialPrefix(const std::string& name)
{
    std::size_t kept = std::min<std::size_t>(name.size(), 239);
    while (kept > 0 && kept < name.size() && (static_cast<unsigned char>(name[kept]) & 0xC0) == 0x80) {
        --kept;
    }
    return "." + name.substr(0, kept) + ".partial-";
}

std::string partialName(const std::string& name)
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof letters - 2);
    std::string made = partialPrefix(name);
    for (int i = 0; i < 6; ++i) {
        made += letters[pick(random)];
    }
    return made;
}

bool isPartialOf(const std::string& left, const std::string& name)
{
    const std::string prefix = partialPrefix(name);
    if (left.size() != prefix.size() + 6 || left.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    return std::all_of(left.begin() + static_cast<std::ptrdiff_t>(prefix.size()), left.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

std::string existsMessage(const std::string& folder)
{
    return "「" + folder +
           "」はすでにあります。"
           "中のファイルはそのままにしてあります。"
           "別の名前を記入するか、そのフォルダーを移してから作成してください。";
}

}  // namespace

std::string joinPath(const std::string& folder, const std::string& name)
{
    return path::join(folder, name);
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
    if (job.programFolder.empty()) {
        return false;  // the platform has told the user why there is none
    }
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
        program.message(&screen, existsMessage(folder));
        return false;
    }

    // The files are written into a hidden folder beside the new one, which
    // takes the name only once they are all on the disk: a run that ends
    // mid-way leaves no half-made folder under the name, only the hidden
    // one, which the next run in this folder removes. Everything is made
    // through the opened program folder, never through a path that someone
    // could turn into a link meanwhile.
    std::unique_ptr<OpenFolder> parent;
    if (FsResult opened = fs.openFolder(job.programFolder, parent); !opened) {
        program.message(&screen, "フォルダー「" + folder + "」を作成できませんでした。\n" + opened.reason);
        return false;
    }
    static_cast<void>(parent->removeLeftovers([&job](const std::string& left) { return isPartialOf(left, job.name); }));
    std::unique_ptr<OpenFolder> hidden;
    std::string hiddenName;
    FsResult created;
    for (int tries = 0; tries < 10; ++tries) {
        hiddenName = partialName(job.name);
        created = parent->createFolder(hiddenName, hidden);
        if (created || created.error != EEXIST) {
            break;
        }
    }
    if (!created) {
        program.message(&screen, "フォルダー「" + folder + "」を作成できませんでした。\n" + created.reason);
        return false;
    }
    // Messages name the files where they are meant to be.
    hidden->path = folder;
    std::vector<std::string> written;
    for (const FolderFile& file : job.files) {
        // Every line was checked above, so the document has its bytes.
        FsResult result = hidden->createFile(file.name, output::encodeDocument(file.lines).value_or(""));
        if (!result) {
            const std::string leftOver = rollBack(*parent, *hidden, hiddenName, written);
            program.message(&screen,
                            "「" + joinPath(folder, file.name) + "」を保存できませんでした。\n" + result.reason +
                                (leftOver.empty() ? "\n作成途中のフォルダーとファイルは削除しました。" : leftOver));
            return false;
        }
        written.push_back(file.name);
    }
    FsResult placed = hidden->flush();
    if (placed) {
        placed = parent->rename(hiddenName, job.name);
    }
    if (!placed) {
        const std::string leftOver = rollBack(*parent, *hidden, hiddenName, written);
        if (placed.error == EEXIST || placed.error == ENOTEMPTY) {
            // Made meanwhile by someone else: left as it is.
            program.message(&screen, existsMessage(folder) + leftOver);
        } else {
            program.message(&screen,
                            "フォルダー「" + folder + "」を作成できませんでした。\n" + placed.reason +
                                (leftOver.empty() ? "\n作成途中のフォルダーとファイルは削除しました。" : leftOver));
        }
        return false;
    }
    // Under its name the folder is made: a list of names not flushed is
    // something to know, not a failure.
    std::string warnings;
    if (FsResult flushed = parent->flush(); !flushed) {
        warnings = "\nただし、フォルダーの変更をディスクに書き込めたかどうか確かめられませんでした。" + flushed.reason;
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
