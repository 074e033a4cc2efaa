#include "flows/folder_generation.h"

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

bool checkInputs(form::Form& screen, const std::vector<NamedInput>& inputs)
{
    for (const NamedInput& input : inputs) {
        if (const std::optional<std::string> bad = firstUnencodable(input.text)) {
            std::string fullWidthMessage;
            if (const std::optional<std::string> form = output::fullWidthFor(*bad)) {
                fullWidthMessage = "全角の「" + *form + "」なら書き込めます。";
            }
            screen.program().message(&screen, "「" + input.title + "」の文字「" + *bad +
                                                  "」はShift_JISで書き込めません。" + fullWidthMessage + input.advice);
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
