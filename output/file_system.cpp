// What every file system shares: the Japanese reasons for the system's
// error numbers, and the seam that puts another file system in place. The
// calls of POSIX systems are in file_system_posix.cpp, those of the Windows
// build in file_system_windows.cpp.
#include "output/file_system.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace output {

namespace {

FileSystem& realFileSystem()
{
    static FileSystem fs;
    return fs;
}

FileSystem* current = nullptr;

// An error with no reason of its own: its number, and on Linux its name,
// which is what a search or a support request needs.
std::string unknownReason(int error)
{
    std::string named = "エラー番号 " + std::to_string(error);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 32))
    if (const char* name = ::strerrorname_np(error)) {
        named += "、" + std::string(name);
    }
#endif
    return "予期しないエラーで書き込めませんでした（" + named + "）。";
}

FsResult reasonFor(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return FsResult::failure("書き込みの許可がありません。");
    case ENOENT:
        return FsResult::failure("フォルダーが見つかりません。");
    case ENOTDIR:
        return FsResult::failure("途中のフォルダー名がファイルです。");
    case EEXIST:
        return FsResult::failure("同じ名前のファイルかフォルダーがすでにあります。");
    case EISDIR:
        return FsResult::failure("同じ名前のフォルダーがあります。");
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return FsResult::failure("ディスクの空き容量が足りません。");
    case EROFS:
        return FsResult::failure("読み取り専用の場所です。");
    case ENAMETOOLONG:
        return FsResult::failure("名前が長すぎます。");
    case EFBIG:
        return FsResult::failure("ファイルが大きすぎます。");
    case EIO:
        return FsResult::failure("ディスクの読み書きに失敗しました。");
    case ELOOP:
        return FsResult::failure("リンクがループしていて、保存するファイルにたどり着けません。");
    case ENOTEMPTY:
        return FsResult::failure("フォルダーが空ではありません。");
    case EBUSY:
        return FsResult::failure("ほかのプログラムが使っています。");
#ifdef ETXTBSY
    case ETXTBSY:
        return FsResult::failure("実行中のプログラムのファイルです。");
#endif
    case EXDEV:
        return FsResult::failure("別のドライブ（ファイルシステム）へは移せません。");
    case EMLINK:
        return FsResult::failure("リンクやフォルダーの数が多すぎます。");
    case EMFILE:
    case ENFILE:
        return FsResult::failure("開いているファイルが多すぎます。");
    case ENOMEM:
        return FsResult::failure("メモリーが足りません。");
    case EAGAIN:
        return FsResult::failure("いまは使えません。しばらくしてからもう一度試してください。");
    case EINTR:
        return FsResult::failure("途中で中断されました。");
    case EINVAL:
        return FsResult::failure("この場所ではこの操作ができません。");
#ifdef ENOTSUP
    case ENOTSUP:
#endif
#if defined(EOPNOTSUPP) && (!defined(ENOTSUP) || EOPNOTSUPP != ENOTSUP)
    case EOPNOTSUPP:
#endif
        return FsResult::failure("この場所のファイルシステムはこの操作に対応していません。");
    case ENXIO:
    case ENODEV:
        return FsResult::failure("装置が見つかりません。");
#ifdef ESTALE
    case ESTALE:
        return FsResult::failure("ネットワーク上のファイルが見つからなくなりました。");
#endif
#ifdef ETIMEDOUT
    case ETIMEDOUT:
        return FsResult::failure("時間内に応答がありませんでした。");
#endif
    case ENOLCK:
        return FsResult::failure("ファイルをロックできません。");
    case EBADF:
        return FsResult::failure("ファイルが開かれていません。");
#ifdef EOVERFLOW
    case EOVERFLOW:
        return FsResult::failure("ファイルが大きすぎます。");
#endif
    default:
        return FsResult::failure(unknownReason(error));
    }
}

}  // namespace

FsResult FsResult::fromErrno(int error)
{
    FsResult result = reasonFor(error);
    result.error = error;
    return result;
}

FsResult FsResult::busy()
{
    FsResult busy = failure("ほかの保存がこのファイルに書き込んでいるところです。"
                            "少し待ってから、もう一度保存してください。");
    busy.error = EAGAIN;
    return busy;
}

FileSystem& fileSystem()
{
    return current != nullptr ? *current : realFileSystem();
}

FileSystemOverride::FileSystemOverride(FileSystem& replacement) : previous_(current)
{
    current = &replacement;
}

FileSystemOverride::~FileSystemOverride()
{
    current = previous_;
}

}  // namespace output
