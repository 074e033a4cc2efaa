#include "qt/help_viewer.h"

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QHBoxLayout>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

#include "qt/help_accessible.h"
#include "qt/help_button.h"
#include "qt/help_file.h"
#include "qt/help_find_bar.h"
#include "qt/help_text.h"

namespace kelvqt {

namespace {

// The help's own anchor for its table of contents.
const QString contentsAnchor = QStringLiteral("contents");

// What the run remembers of the help window the user last had open. Only in
// memory: the programs keep no configuration.
struct Remembered {
    QSize size{640, 560};
    qreal textSize = 10.5;  // points
};

Remembered& remembered()
{
    static Remembered r;
    return r;
}

constexpr qreal textSizeStep = 1.5;
constexpr qreal smallestTextSize = 7.5;
constexpr qreal largestTextSize = 30.0;

// The key sequences once each: a sequence given twice to one action would
// make its shortcut ambiguous with itself.
QList<QKeySequence> keys(std::initializer_list<QKeySequence> wanted)
{
    QList<QKeySequence> out;
    for (const QKeySequence& k : wanted) {
        if (!k.isEmpty() && !out.contains(k)) {
            out << k;
        }
    }
    return out;
}

class HelpWindow : public QDialog {
public:
    explicit HelpWindow(QWidget* owner);

    // Shows the contents, as a new step in the window's history.
    void showContents(const QUrl& contents);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QAction* command(const QString& text, const QString& tip, const QList<QKeySequence>& shortcuts,
                     const std::function<void()>& run);
    QToolButton* button(QAction* action, const QString& objectName, const QString& spokenName);
    void dropLinkOutOfView();
    void setTextSize(qreal points);

    HelpText* text_ = nullptr;
    HelpFindBar* findBar_ = nullptr;
    QAction* larger_ = nullptr;
    QAction* smaller_ = nullptr;
    QUrl contents_;
};

HelpWindow::HelpWindow(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("helpViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("ヘルプ"));

    installHelpAccessibility();
    text_ = new HelpText(this);
    text_->setObjectName(QStringLiteral("helpText"));
    text_->setAccessibleName(QStringLiteral("ヘルプの本文"));
    // A caret the arrows move, as in a browser's caret mode, and Tab to the
    // buttons and the find bar rather than from link to link.
    text_->setTextInteractionFlags(Qt::TextBrowserInteraction | Qt::TextSelectableByKeyboard);
    text_->setTabChangesFocus(true);
    text_->setOpenExternalLinks(true);
    // The match found stays marked while the find field has the focus.
    QPalette palette = text_->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    }
    text_->setPalette(palette);

    QAction* back = command(QStringLiteral("◀ 戻る"), QStringLiteral("前に見ていたところに戻ります（Alt+←）"),
                            keys({QKeySequence(Qt::ALT | Qt::Key_Left), QKeySequence(QKeySequence::Back)}), [this] {
                                dropLinkOutOfView();
                                text_->backward();
                            });
    QAction* forward =
        command(QStringLiteral("進む ▶"), QStringLiteral("戻る前のところに進みます（Alt+→）"),
                keys({QKeySequence(Qt::ALT | Qt::Key_Right), QKeySequence(QKeySequence::Forward)}), [this] {
                    dropLinkOutOfView();
                    text_->forward();
                });
    QAction* contents =
        command(QStringLiteral("目次"), QStringLiteral("目次を表示します"), {}, [this] { showContents(contents_); });
    QAction* findOpen = command(QStringLiteral("検索"), QStringLiteral("このヘルプの中の言葉を探します（Ctrl+F）"),
                                keys({QKeySequence(Qt::CTRL | Qt::Key_F), QKeySequence(QKeySequence::Find)}),
                                [this] { findBar_->openFind(); });
    QAction* findNext = command(QStringLiteral("次へ"), QStringLiteral("次を探します（F3）"),
                                keys({QKeySequence(Qt::Key_F3)}), [this] { findBar_->find(false, true); });
    QAction* findPrevious =
        command(QStringLiteral("前へ"), QStringLiteral("前を探します（Shift+F3）"),
                keys({QKeySequence(Qt::SHIFT | Qt::Key_F3)}), [this] { findBar_->find(true, true); });
    QAction* findClose = command(QStringLiteral("閉じる"), QStringLiteral("検索を閉じます（Esc）"), {},
                                 [this] { findBar_->closeFind(); });
    // Keyboards send "+" as Ctrl+Shift+plus or Ctrl+plus, and "=" for the
    // key that carries it; the numeric keypad sends its own plus and minus.
    larger_ = command(QStringLiteral("文字を大きく"), QStringLiteral("文字を大きくします（Ctrl+＋）"),
                      keys({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal),
                            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Plus), QKeySequence(QKeySequence::ZoomIn)}),
                      [this] { setTextSize(text_->font().pointSizeF() + textSizeStep); });
    smaller_ = command(QStringLiteral("文字を小さく"), QStringLiteral("文字を小さくします（Ctrl+－）"),
                       keys({QKeySequence(Qt::CTRL | Qt::Key_Minus), QKeySequence(QKeySequence::ZoomOut)}),
                       [this] { setTextSize(text_->font().pointSizeF() - textSizeStep); });

    back->setEnabled(false);
    forward->setEnabled(false);
    connect(text_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(text_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    connect(text_, &QTextBrowser::sourceChanged, this, [this] { findBar_->showStatus({}, false); });

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(4, 4, 4, 0);
    buttons->addWidget(button(back, QStringLiteral("helpBack"), QStringLiteral("戻る")));
    buttons->addWidget(button(forward, QStringLiteral("helpForward"), QStringLiteral("進む")));
    buttons->addWidget(button(contents, QStringLiteral("helpContents"), QStringLiteral("目次")));
    buttons->addWidget(button(findOpen, QStringLiteral("helpFindOpen"), QStringLiteral("検索")));
    buttons->addStretch(1);
    buttons->addWidget(button(smaller_, QStringLiteral("helpSmaller"), QStringLiteral("文字を小さく")));
    buttons->addWidget(button(larger_, QStringLiteral("helpLarger"), QStringLiteral("文字を大きく")));

    findBar_ = new HelpFindBar(text_, findPrevious, findNext, findClose, this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addLayout(buttons);
    layout->addWidget(text_, 1);
    layout->addWidget(findBar_);

    setTextSize(remembered().textSize);
    resize(remembered().size);
    text_->setFocus();
}

QAction* HelpWindow::command(const QString& text, const QString& tip, const QList<QKeySequence>& shortcuts,
                             const std::function<void()>& run)
{
    auto* action = new QAction(text, this);
    action->setToolTip(tip);
    action->setShortcuts(shortcuts);
    connect(action, &QAction::triggered, this, run);
    // On the window itself, the keys work wherever the focus is in it, with
    // the find bar shown or not.
    addAction(action);
    return action;
}

QToolButton* HelpWindow::button(QAction* action, const QString& objectName, const QString& spokenName)
{
    return helpButton(action, objectName, spokenName, this);
}

// A clicked link stays marked as the keyboard's place in the page, and the
// history keeps that mark with the place the reader leaves: coming back, the
// window would scroll to the mark, a link of some earlier page, rather than
// to where the reader was. A mark out of view is dropped before each step.
void HelpWindow::dropLinkOutOfView()
{
    QTextCursor cursor = text_->textCursor();
    if (cursor.hasSelection() && !text_->viewport()->rect().intersects(text_->cursorRect(cursor))) {
        cursor.clearSelection();
        text_->setCursorInPlace(cursor);
    }
}

void HelpWindow::showContents(const QUrl& contents)
{
    dropLinkOutOfView();
    contents_ = contents;
    text_->setSource(contents, QTextDocument::HtmlResource);
    // Already at the contents, the source stays as it is: bring the
    // contents back into view all the same.
    text_->scrollToAnchor(contents.fragment());
}

void HelpWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (isVisible()) {
        remembered().size = size();
    }
}

void HelpWindow::setTextSize(qreal points)
{
    points = std::clamp(points, smallestTextSize, largestTextSize);
    QFont font = text_->font();
    font.setPointSizeF(points);
    text_->setFont(font);
    remembered().textSize = points;
    larger_->setEnabled(points < largestTextSize);
    smaller_->setEnabled(points > smallestTextSize);
}

}  // namespace

void showHelpFile(QWidget* owner, const QString& name, int /*command: always the contents*/)
{
    const QString path = findHelpFile(name);
    if (path.isEmpty() || !QFile(path).open(QIODevice::ReadOnly)) {
        showHelpFileMissing(owner, name, path);
        return;
    }
    // One window per owner: asking again brings it back at the contents.
    HelpWindow* viewer = owner != nullptr ? dynamic_cast<HelpWindow*>(owner->findChild<QDialog*>(
                                                QStringLiteral("helpViewer"), Qt::FindDirectChildrenOnly))
                                          : nullptr;
    if (viewer == nullptr) {
        viewer = new HelpWindow(owner);
    }
    // The file is HTML whatever its name says; with its own address as the
    // source, the links inside it find their anchors and pictures.
    QUrl url = QUrl::fromLocalFile(path);
    url.setFragment(contentsAnchor);
    viewer->showContents(url);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
}

QSize helpWindowSize()
{
    return remembered().size;
}

void forgetHelpWindowForTesting()
{
    remembered() = Remembered{};
}

}  // namespace kelvqt
