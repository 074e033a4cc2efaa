#include "qt/help_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

namespace kelvqt {

namespace {

std::optional<QStringList>& foldersForTesting()
{
    static std::optional<QStringList> folders;
    return folders;
}

}  // namespace

QStringList helpFolders(const QString& programFolder)
{
    QStringList folders;
    folders << programFolder << QDir(programFolder).filePath(QStringLiteral("../share/kelvora"));
#ifdef KELVORA_DATA_DIR
    folders << QStringLiteral(KELVORA_DATA_DIR);
#endif
    folders.removeDuplicates();
    return folders;
}

QString findHelpFileIn(const QStringList& folders, const QString& name)
{
    for (const QString& folder : folders) {
        const QFileInfo file(QDir(folder).filePath(name));
        if (file.isFile()) {
            return file.canonicalFilePath();
        }
    }
    return {};
}

QString findHelpFile(const QString& name)
{
    return findHelpFileIn(foldersForTesting().value_or(helpFolders(QCoreApplication::applicationDirPath())), name);
}

void setHelpFoldersForTesting(std::optional<QStringList> folders)
{
    foldersForTesting() = std::move(folders);
}

void showHelpFileMissing(QWidget* owner, const QString& name, const QString& path)
{
    QString text;
    if (path.isEmpty()) {
        const QStringList searched = foldersForTesting().value_or(helpFolders(QCoreApplication::applicationDirPath()));
        QStringList shown;
        for (const QString& folder : searched) {
            shown << QDir::toNativeSeparators(QDir::cleanPath(folder));
        }
        text = QStringLiteral("ヘルプファイル「%1」が見つかりません。\n探した場所：\n%2")
                   .arg(name, shown.join(QLatin1Char('\n')));
    } else {
        text = QStringLiteral("ヘルプファイル「%1」を読み込めません。").arg(QDir::toNativeSeparators(path));
    }
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ヘルプ"), text, QMessageBox::Ok, owner);
    box.setObjectName(QStringLiteral("helpMissing"));
    box.exec();
}

}  // namespace kelvqt
