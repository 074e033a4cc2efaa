// The save rule of every file the programs write (see saveFile in
// file_system.h). It decides; the file systems only carry out its steps, so
// that the rule is the same on every platform and a test can fail any step.
#include "output/file_system.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

#include "form/path.h"

namespace output {

namespace {

// As many links as Linux follows in one path before it calls them a loop.
constexpr int maxLinks = 40;

FsResult savedWith(std::vector<std::string> notes)
{
    FsResult done = FsResult::success();
    for (std::string& note : notes) {
        done.note += (done.note.empty() ? "" : "\n") + std::move(note);
    }
    return done;
}

// Every byte of `bytes` into the open file, which then ends where they end.
// It is written over before it is cut, so that a file that does not grow
// needs no new room on the disk.
FsResult writeAll(OpenFile& file, const std::string& bytes)
{
    FsResult result = file.writeFromStart(bytes);
    if (result) {
        result = file.setLength(bytes.size());
    }
    if (result) {
        result = file.flush();
    }
    return result;
}

// The same through a new opening of the file, closed again.
FsResult writeOver(FileSystem& fs, const std::string& path, const std::string& bytes)
{
    std::unique_ptr<OpenFile> file;
    FsResult result = fs.openExisting(path, file);
    if (!result) {
        return result;
    }
    result = writeAll(*file, bytes);
    FsResult closed = file->close();
    return result ? closed : result;
}

// The disk as it is, for the copies kept in the state folder: they are the
// program's own business, not a step of the user's save.
FileSystem& stateDisk()
{
    static FileSystem plain;
    return plain;
}

// Where the old bytes of `target` wait while it is written in place: one
// name for each file, so that the next save of it finds them.
std::string backupFor(const std::string& folder, const std::string& target)
{
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const char c : target) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    char name[40];
    std::snprintf(name, sizeof name, "in-place-%016llx.bak", static_cast<unsigned long long>(hash));
    return path::join(folder, name);
}

// The file keeps its identity: every name, link and attribute stays with it.
// It is opened first, which locks it against another save, and only then are
// its old bytes read (these files are small): they are written back when any
// step fails. A copy of them (the file's path on the first line) waits in the
// state folder, flushed, until the new bytes are: a save cut short by a crash leaves the file with the new
// bytes followed by the old tail, and the next save of it takes the copy's
// bytes as the old ones.
FsResult writeInPlace(FileSystem& fs, const std::string& target, const std::string& bytes,
                      std::vector<std::string> notes, std::string why)
{
    std::unique_ptr<OpenFile> file;
    if (FsResult opened = fs.openExisting(target, file); !opened) {
        return opened;
    }
    std::string old;
    if (FsResult read = fs.readFile(target, old); !read) {
        static_cast<void>(file->close());
        return read;
    }
    FileSystem& state = stateDisk();
    const std::string folder = stateFolder(state);
    std::string backup = folder.empty() ? "" : backupFor(folder, target);
    std::string kept;
    const std::string header = target + "\n";
    if (!backup.empty() && state.exists(backup) && state.readFile(backup, kept) && kept.rfind(header, 0) == 0) {
        old = kept.substr(header.size());
        notes.push_back("前回の保存が途中で止まっていたため、その前の内容を元の内容として扱いました。");
    } else if (!backup.empty() && !saveFile(state, backup, header + old)) {
        // No copy can be kept (a full or read-only home): the save goes on
        // as it would without one.
        backup.clear();
    }
    FsResult written = writeAll(*file, bytes);
    if (!written && !writeAll(*file, old)) {
        static_cast<void>(file->close());
        written.reason += "\n元の内容にも戻せませんでした。「" + target + "」の中身が壊れているかもしれません。";
        return written;  // the copy stays for the next save
    }
    if (FsResult closed = file->close(); !closed && written) {
        // The system may not have taken the new bytes: the old ones go back.
        written = closed;
        if (!writeOver(fs, target, old)) {
            written.reason += "\n元の内容にも戻せませんでした。「" + target + "」の中身が壊れているかもしれません。";
            return written;
        }
    }
    if (!backup.empty()) {
        static_cast<void>(state.removeFile(backup));
    }
    if (!written) {
        return written;
    }
    notes.push_back(std::move(why));
    return savedWith(std::move(notes));
}

const char* const folderNote = "フォルダーに書き込む許可がないため、ファイルを置き換えずに中身を書き換えました。";

FsResult replaceWhole(FileSystem& fs, const std::string& target, const std::string& bytes, bool replacing,
                      std::vector<std::string> notes)
{
    std::unique_ptr<OpenFile> file;
    std::string temp;
    FsResult result = fs.createTemporary(target, file, temp);
    if (!result) {
        if (replacing && (result.error == EACCES || result.error == EPERM)) {
            return writeInPlace(fs, target, bytes, std::move(notes), folderNote);
        }
        return result;
    }
    if (FsResult kept = replacing ? file->keepAttributesOf(target) : FsResult::success(); !kept) {
        static_cast<void>(file->close());
        static_cast<void>(fs.removeFile(temp));
        return writeInPlace(fs, target, bytes, std::move(notes),
                            "ファイルの属性やアクセス許可を新しいファイルに移せないため、"
                            "ファイルを置き換えずに中身を書き換えました。" +
                                kept.reason);
    }
    result = file->writeFromStart(bytes);
    if (result) {
        result = file->flush();
    }
    FsResult closed = file->close();
    if (result) {
        result = closed;
    }
    if (result) {
        result = fs.moveIntoPlace(temp, target, replacing);
        if (!result && replacing && (result.error == EACCES || result.error == EPERM)) {
            // A shared folder with the sticky bit lets only a file's owner
            // replace it, while its other writers may still write it.
            static_cast<void>(fs.removeFile(temp));
            return writeInPlace(fs, target, bytes, std::move(notes),
                                "このフォルダーではファイルを置き換える許可がないため、"
                                "ファイルを置き換えずに中身を書き換えました。");
        }
    }
    if (!result) {
        static_cast<void>(fs.removeFile(temp));
        return result;
    }
    // The file is in place: whatever went wrong after that (the folder not
    // flushed to the disk) is something to know, not a failed save.
    if (!result.note.empty()) {
        notes.push_back(std::move(result.note));
    }
    return savedWith(std::move(notes));
}

}  // namespace

FsResult saveFile(FileSystem& fs, const std::string& path, const std::string& bytes)
{
    std::string target = path;
    PathInfo info = fs.inspect(target);
    for (int followed = 0; info.lookedAt && info.kind == PathInfo::Kind::link; ++followed) {
        if (followed == maxLinks) {
            return FsResult::fromErrno(ELOOP);
        }
        target = path::linkDestination(target, info.linkTarget);
        info = fs.inspect(target);
    }
    if (!info.lookedAt) {
        return info.lookedAt;
    }
    std::vector<std::string> notes;
    if (target != path) {
        notes.push_back("リンク先の「" + target + "」に保存しました。");
    }
    switch (info.kind) {
    case PathInfo::Kind::folder:
        return FsResult::fromErrno(EISDIR);
    case PathInfo::Kind::other:
        return FsResult::failure("同じ名前の、ふつうのファイルではないもの（デバイスなど）があります。");
    case PathInfo::Kind::missing:
        return replaceWhole(fs, target, bytes, false, std::move(notes));
    default:
        break;
    }
    if (!info.writable) {
        return info.writable;
    }
    if (info.links > 1) {
        // Replacing would give this name a file of its own and leave the
        // other names with the old bytes.
        return writeInPlace(fs, target, bytes, std::move(notes),
                            "このファイルには別の名前（ハードリンク）もあるため、"
                            "ファイルを置き換えずに中身を書き換えました。");
    }
    return replaceWhole(fs, target, bytes, true, std::move(notes));
}

FsResult FileSystem::replaceFile(const std::string& path, const std::string& bytes)
{
    return saveFile(*this, path, bytes);
}

}  // namespace output
