#include "qt/help_viewer.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace kelvqt {

QString findHelpFile(const QString& name)
{
    const QStringList folders{
        QCoreApplication::applicationDirPath(),
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/kelvora"),
#ifdef KELVORA_DATA_DIR
        QStringLiteral(KELVORA_DATA_DIR),
#endif
    };
    for (const QString& folder : folders) {
        const QString path = folder + QLatin1Char('/') + name;
        if (QFileInfo(path).isFile()) {
            return QFileInfo(path).canonicalFilePath();
        }
    }
    return {};
}

void showHelpFile(QWidget* owner, const QString& name, int /*command: always the contents*/)
{
    const QString path = findHelpFile(name);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ヘルプ"),
                        QStringLiteral("ヘルプファイル %1 が見つかりません。").arg(name), QMessageBox::Ok,
                        owner);
        box.setObjectName(QStringLiteral("helpMissing"));
        box.exec();
        return;
    }
    // One viewer at a time, owned by the calling screen's window.
    auto* viewer = new QDialog(owner);
    viewer->setObjectName(QStringLiteral("helpViewer"));
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->setWindowTitle(QStringLiteral("ヘルプ"));
    auto* browser = new QTextBrowser(viewer);
    browser->setObjectName(QStringLiteral("helpContents"));
    browser->setOpenExternalLinks(false);
    browser->setSearchPaths({QFileInfo(path).absolutePath()});
    browser->setHtml(QString::fromUtf8(file.readAll()));
    auto* layout = new QVBoxLayout(viewer);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser);
    viewer->resize(640, 560);
    viewer->show();
}

}  // namespace kelvqt
