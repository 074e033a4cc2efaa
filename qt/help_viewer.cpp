#include "qt/help_viewer.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace kelvqt {

namespace {

std::optional<QStringList>& foldersForTesting()
{
    static std::optional<QStringList> folders;
    return folders;
}

// The help's own anchor for its table of contents.
const QString contentsAnchor = QStringLiteral("contents");

void showMissing(QWidget* owner, const QString& name, const QString& path)
{
    QString text;
    if (path.isEmpty()) {
        const QStringList searched = foldersForTesting().value_or(
            helpFolders(QCoreApplication::applicationDirPath()));
        QStringList shown;
        for (const QString& folder : searched) {
            shown << QDir::toNativeSeparators(QDir::cleanPath(folder));
        }
        text = QStringLiteral("ヘルプファイル「%1」が見つかりません。\n探した場所：\n%2")
                   .arg(name, shown.join(QLatin1Char('\n')));
    } else {
        text = QStringLiteral("ヘルプファイル「%1」を読み込めません。")
                   .arg(QDir::toNativeSeparators(path));
    }
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ヘルプ"), text, QMessageBox::Ok, owner);
    box.setObjectName(QStringLiteral("helpMissing"));
    box.exec();
}

}  // namespace

QStringList helpFolders(const QString& programFolder)
{
    QStringList folders;
    const QString chosen = qEnvironmentVariable("KELVORA_HELP_DIR");
    if (!chosen.isEmpty()) {
        folders << chosen;
    }
    folders << programFolder << programFolder + QStringLiteral("/../share/kelvora");
#ifdef KELVORA_DATA_DIR
    folders << QStringLiteral(KELVORA_DATA_DIR);
#endif
    folders.removeDuplicates();
    return folders;
}

QString findHelpFileIn(const QStringList& folders, const QString& name)
{
    for (const QString& folder : folders) {
        const QFileInfo file(folder + QLatin1Char('/') + name);
        if (file.isFile()) {
            return file.canonicalFilePath();
        }
    }
    return {};
}

QString findHelpFile(const QString& name)
{
    return findHelpFileIn(foldersForTesting().value_or(helpFolders(QCoreApplication::applicationDirPath())),
                          name);
}

void setHelpFoldersForTesting(std::optional<QStringList> folders)
{
    foldersForTesting() = std::move(folders);
}

void showHelpFile(QWidget* owner, const QString& name, int /*command: always the contents*/)
{
    const QString path = findHelpFile(name);
    if (path.isEmpty() || !QFile(path).open(QIODevice::ReadOnly)) {
        showMissing(owner, name, path);
        return;
    }
    // One viewer per owner: asking again brings it back at the contents.
    QDialog* viewer = owner != nullptr
                          ? owner->findChild<QDialog*>(QStringLiteral("helpViewer"), Qt::FindDirectChildrenOnly)
                          : nullptr;
    QTextBrowser* browser = nullptr;
    if (viewer == nullptr) {
        viewer = new QDialog(owner);
        viewer->setObjectName(QStringLiteral("helpViewer"));
        viewer->setAttribute(Qt::WA_DeleteOnClose);
        viewer->setWindowTitle(QStringLiteral("ヘルプ"));
        browser = new QTextBrowser(viewer);
        browser->setObjectName(QStringLiteral("helpContents"));
        browser->setOpenExternalLinks(true);
        auto* layout = new QVBoxLayout(viewer);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(browser);
        viewer->resize(640, 560);
    } else {
        browser = viewer->findChild<QTextBrowser*>(QStringLiteral("helpContents"));
    }
    // The file is HTML whatever its name says; with its own address as the
    // source, the links inside it find their anchors and pictures.
    QUrl url = QUrl::fromLocalFile(path);
    url.setFragment(contentsAnchor);
    browser->setSource(url, QTextDocument::HtmlResource);
    browser->scrollToAnchor(contentsAnchor);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
}

}  // namespace kelvqt
