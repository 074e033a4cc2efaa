#include "qt/qt_platform.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QIconEngine>
#include <QLibraryInfo>
#include <QAbstractButton>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QSvgRenderer>
#include <QTranslator>
#include <QWindow>

#include <map>
#include <utility>

#include "form/form.h"
#include "qt/fonts.h"
#include "qt/help_viewer.h"
#include "qt/renderer.h"

// The pictures live in the Qt library, which the linker would leave out of
// the programs unless something refers to them.
static void initPictures()
{
    Q_INIT_RESOURCE(pictures);
}

namespace kelvqt {

namespace {

// The programs' icon, drawn from its vector picture at each size the window
// system asks for. Qt's own way to an SVG icon goes through its icon plugins,
// which every start would search for and load before the first window shows.
class PictureIconEngine : public QIconEngine {
public:
    explicit PictureIconEngine(QString file) : file_(std::move(file)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override
    {
        QSvgRenderer(file_).render(painter, rect);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        // Every new window asks again for the same few sizes.
        auto cached = drawn_.find({size.width(), size.height()});
        if (cached != drawn_.end()) {
            return cached->second;
        }
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        {
            QPainter painter(&pm);
            paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        }
        drawn_[{size.width(), size.height()}] = pm;
        return pm;
    }

    QIconEngine* clone() const override { return new PictureIconEngine(file_); }
    QString key() const override { return QStringLiteral("kelvora-picture"); }

private:
    QString file_;
    std::map<std::pair<int, int>, QPixmap> drawn_;
};

}  // namespace

QWidget* QtPlatform::windowOf(const form::Form* f) const
{
    if (f == nullptr || renderer_ == nullptr) {
        return nullptr;
    }
    QWidget* w = renderer_->window(f->name());
    return w != nullptr && w->isVisible() ? w : nullptr;
}

QStringList QtPlatform::nameFilters(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        // With the details hidden, the dialog shows only the text before the
        // last parenthesised pattern: the description exactly as stored.
        filters << parts[i] + QStringLiteral(" (") + parts[i + 1] + QStringLiteral(")");
    }
    return filters;
}

SaveRequest QtPlatform::saveRequest(const form::SaveDialogSettings& settings)
{
    SaveRequest request;
    request.title = QString::fromStdString(settings.title);
    request.nameFilters = nameFilters(settings.filter);
    request.defaultSuffix = QString::fromStdString(settings.defaultExt);
    if (!settings.fileName.empty()) {
        const QFileInfo last(QString::fromStdString(settings.fileName));
        request.directory = last.absolutePath();
        request.fileName = last.fileName();
    } else if (settings.initDir == "c:\\" || settings.initDir.empty()) {
        // The drive root of the design stands for the user's home here.
        request.directory = QDir::homePath();
    } else {
        request.directory = QString::fromStdString(settings.initDir);
    }
    return request;
}

// The dialogs are made on the heap and watched: a child of its owner window,
// so that it is placed over it and the desktop keeps it in front, but never a
// local variable that the owner's deletion would destroy a second time. The
// renderer keeps the owner while a dialog runs; should anything else delete
// it, exec() returns and the dialog is simply gone.
std::optional<QString> QtPlatform::realSaveDialog(QWidget* owner, const SaveRequest& request)
{
    const QPointer<QFileDialog> dialog = new QFileDialog(owner, request.title);
    dialog->setObjectName(QStringLiteral("saveDialog"));
    // Qt's own dialog behaves the same on every desktop: filters shown as
    // stored, the default extension, the replace prompt.
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setOption(QFileDialog::HideNameFilterDetails, true);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilters(request.nameFilters);
    dialog->setDefaultSuffix(request.defaultSuffix);
    dialog->setDirectory(request.directory);
    if (!request.fileName.isEmpty()) {
        dialog->selectFile(request.fileName);
    }
    const bool accepted = dialog->exec() == QDialog::Accepted;
    std::optional<QString> chosen;
    if (dialog && accepted && !dialog->selectedFiles().isEmpty()) {
        chosen = dialog->selectedFiles().constFirst();
    }
    delete dialog.data();
    return chosen;
}

namespace {

// A message box keeps its size, but a title bar the toolkit draws itself (as
// on Wayland) still offers to maximize it, and the compositor holds a
// maximized window to the size it gives: a box that kept its own would be
// refused at its next repaint, which ends the program. So while maximized
// the box may grow, its layout spread over it; once the window system
// says it is restored, it has its own size again.
class GrowWhileMaximized : public QObject {
public:
    explicit GrowWhileMaximized(QWidget* box) : QObject(box), box_(box) { box->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && box_->windowHandle() != nullptr) {
            connect(box_->windowHandle(), &QWindow::windowStateChanged, this, &GrowWhileMaximized::follow,
                    Qt::UniqueConnection);
        } else if (event->type() == QEvent::WindowStateChange && own_.isValid() && !box_->isMaximized() &&
                   !box_->isFullScreen()) {
            box_->setFixedSize(own_);
            own_ = QSize();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void follow(Qt::WindowState state)
    {
        if ((state == Qt::WindowMaximized || state == Qt::WindowFullScreen) && !own_.isValid()) {
            own_ = box_->size();
            box_->setMinimumSize(own_);
            box_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        }
    }

    QWidget* box_;
    QSize own_;
};

}  // namespace

void QtPlatform::realMessageBox(QWidget* owner, const QString& title, const QString& text)
{
    const QPointer<QMessageBox> box = new QMessageBox(QMessageBox::NoIcon, title, text, QMessageBox::Ok, owner);
    box->setObjectName(QStringLiteral("messageBox"));
    // The message is also what its button describes. A screen reader reads
    // the message when the box is activated, but one that is behind on a
    // busy machine may take the button's focus first and then present only
    // the button; its description still carries the message to the listener.
    if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
        ok->setAccessibleDescription(text);
    }
    new GrowWhileMaximized(box);
    box->exec();
    delete box.data();
}

// While either dialog runs, the renderer keeps every window and the program
// takes no press (render::takesPresses).
class QtPlatform::DialogRunning {
public:
    explicit DialogRunning(Renderer* renderer) : renderer_(renderer)
    {
        if (renderer_ != nullptr) {
            renderer_->dialogStarted();
        }
    }
    ~DialogRunning()
    {
        if (renderer_ != nullptr) {
            renderer_->dialogEnded();
        }
    }
    DialogRunning(const DialogRunning&) = delete;
    DialogRunning& operator=(const DialogRunning&) = delete;

private:
    QPointer<Renderer> renderer_;
};

std::optional<std::string> QtPlatform::chooseSaveFile(const form::Form& owner, const form::SaveDialogSettings& settings)
{
    const DialogRunning running(renderer_);
    const std::optional<QString> chosen = saveDialog_(windowOf(&owner), saveRequest(settings));
    return chosen ? std::optional<std::string>(chosen->toStdString()) : std::nullopt;
}

void QtPlatform::message(const form::Form* owner, const std::string& title, const std::string& text)
{
    const DialogRunning running(renderer_);
    messageBox_(windowOf(owner), QString::fromStdString(title), QString::fromStdString(text));
}

void QtPlatform::help(const form::Form& owner, const std::string& file, int command, const std::string&)
{
    showHelpFile(windowOf(&owner), QString::fromStdString(file), command);
}

QString QtPlatform::standInFolder()
{
    return QDir::toNativeSeparators(QDir::home().filePath(QStringLiteral("kelvora")));
}

std::string QtPlatform::programFolder()
{
    if (!folder_) {
        folder_.emplace(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString(),
                        standInFolder().toStdString(), form::pathSeparator, [this](const std::string& text) {
                            message(nullptr,
                                    title_.empty() ? QCoreApplication::applicationName().toStdString() : title_, text);
                        });
    }
    return folder_->folder();
}

void QtPlatform::endProgram()
{
    if (onEnd) {
        onEnd();
    }
}

void setUpApplication(QApplication& app)
{
    initPictures();
    setUpFonts(app);

    static QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        app.installTranslator(&qtTranslator);
    }
    app.setWindowIcon(QIcon(new PictureIconEngine(QStringLiteral(":/pictures/icon.svg"))));
    app.setQuitOnLastWindowClosed(false);
}

}  // namespace kelvqt
