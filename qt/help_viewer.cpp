#include "qt/help_viewer.h"

#include "qt/spoken_text.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

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

// The help's text, read with its full-width spaces kept. The keyboard
// works it as a browser's caret mode does: the arrows move a caret, Return
// follows the link the caret is on, and Tab goes on to the window's buttons
// and find bar at once rather than from link to link.
class HelpText : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

protected:
    bool focusNextPrevChild(bool next) override { return QTextEdit::focusNextPrevChild(next); }

    void keyPressEvent(QKeyEvent* event) override
    {
        const QTextCursor caret = textCursor();
        const bool followKey = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (followKey && !caret.hasSelection() && caret.charFormat().isAnchor()) {
            const QUrl link = source().resolved(QUrl(caret.charFormat().anchorHref()));
            if (link.scheme() == QLatin1String("http") || link.scheme() == QLatin1String("https")) {
                QDesktopServices::openUrl(link);
            } else {
                setSource(link);
            }
            event->accept();
            return;
        }
        QTextBrowser::keyPressEvent(event);
    }

    QVariant loadResource(int type, const QUrl& name) override
    {
        const QVariant loaded = QTextBrowser::loadResource(type, name);
        if (type != QTextDocument::HtmlResource || loaded.typeId() != QMetaType::QByteArray) {
            return loaded;
        }
        const QByteArray bytes = loaded.toByteArray();
        QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
        const QString html = decoder.isValid() ? QString(decoder(bytes)) : QString::fromUtf8(bytes);
        return keepFullWidthSpaces(html);
    }
};

// The help's text to assistive technology: a document with a caret, read
// by lines, words and characters as the arrows move through it, so that a
// screen reader can read it through, where a browser's text would be one
// label. Offsets are those of the document's plain text.
class HelpBodyAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit HelpBodyAccessible(QTextBrowser* body) : QAccessibleWidget(body, QAccessible::Document) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.multiLine = true;
        s.focusable = true;
        return s;
    }

    // Selections: the one of the text cursor.
    void selection(int index, int* start, int* end) const override
    {
        const QTextCursor c = body()->textCursor();
        *start = index == 0 && c.hasSelection() ? c.selectionStart() : 0;
        *end = index == 0 && c.hasSelection() ? c.selectionEnd() : 0;
    }
    int selectionCount() const override { return body()->textCursor().hasSelection() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override
    {
        QTextCursor c = body()->textCursor();
        c.clearSelection();
        body()->setTextCursor(c);
    }
    void setSelection(int, int start, int end) override
    {
        QTextCursor c = cursorAt(start);
        c.setPosition(clamped(end), QTextCursor::KeepAnchor);
        body()->setTextCursor(c);
    }

    int cursorPosition() const override { return body()->textCursor().position(); }
    void setCursorPosition(int position) override { body()->setTextCursor(cursorAt(position)); }

    QString text(int start, int end) const override
    {
        QTextCursor c = cursorAt(start);
        c.setPosition(clamped(end), QTextCursor::KeepAnchor);
        // Paragraphs end in a line break, as a reader expects.
        return c.selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    }
    int characterCount() const override { return std::max(0, body()->document()->characterCount() - 1); }

    QRect characterRect(int offset) const override
    {
        const QRect r = body()->cursorRect(cursorAt(offset));
        return QRect(body()->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    int offsetAtPoint(const QPoint& point) const override
    {
        return body()->cursorForPosition(body()->viewport()->mapFromGlobal(point)).position();
    }
    void scrollToSubstring(int start, int) override
    {
        QTextCursor c = cursorAt(start);
        body()->setTextCursor(c);
        body()->ensureCursorVisible();
    }
    QString attributes(int, int* start, int* end) const override
    {
        // One run of plain text; a run of no length would cut what a
        // screen reader reads of a line short.
        *start = 0;
        *end = characterCount();
        return {};
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary, int* start, int* end) const override
    {
        return textBefore(text(0, characterCount()), offset, boundary, start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundary, int* start, int* end) const override
    {
        return textAfter(text(0, characterCount()), offset, boundary, start, end);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int* start, int* end) const override
    {
        return textAround(text(0, characterCount()), offset, boundary, start, end);
    }

private:
    QTextBrowser* body() const { return static_cast<QTextBrowser*>(widget()); }
    int clamped(int offset) const { return std::clamp(offset, 0, characterCount()); }
    QTextCursor cursorAt(int offset) const
    {
        QTextCursor c(body()->document());
        c.setPosition(clamped(offset));
        return c;
    }
};

const char* announcementProperty = "kelvoraAnnouncement";

QAccessibleInterface* helpBodyAccessible(const QString&, QObject* object)
{
    if (auto* body = dynamic_cast<HelpText*>(object)) {
        return new HelpBodyAccessible(body);
    }
    auto* w = qobject_cast<QWidget*>(object);
    if (w != nullptr && w->property(announcementProperty).toBool()) {
        return new QAccessibleWidget(w, QAccessible::Notification);
    }
    return nullptr;
}

// The sentence of a paragraph that holds the match: what a reader who
// cannot see the mark needs to hear of it.
QString sentenceAround(const QTextCursor& match)
{
    const QString paragraph = match.block().text();
    const int from = match.selectionStart() - match.block().position();
    const int to = match.selectionEnd() - match.block().position();
    const int start = from > 0 ? paragraph.lastIndexOf(QStringLiteral("。"), from - 1) + 1 : 0;
    const int stop = paragraph.indexOf(QStringLiteral("。"), to);
    return paragraph.mid(start, stop < 0 ? -1 : stop + 1 - start).trimmed();
}

class HelpWindow : public QDialog {
public:
    explicit HelpWindow(QWidget* owner);

    // Shows the contents, as a new step in the window's history.
    void showContents(const QUrl& contents);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* command(const QString& text, const QString& tip, const QList<QKeySequence>& shortcuts,
                     const std::function<void()>& run);
    QToolButton* button(QAction* action, const QString& objectName, const QString& spokenName);
    void dropLinkOutOfView();
    void setCursorInPlace(const QTextCursor& cursor);
    void openFind();
    void closeFind();
    void find(bool backward, bool again);
    QTextCursor searchStart(bool backward, bool again) const;
    void showStatus(const QString& text, bool failed);
    void announce(const QString& said);
    void setTextSize(qreal points);

    QTextBrowser* text_ = nullptr;
    QWidget* findBar_ = nullptr;
    QLineEdit* findField_ = nullptr;
    QLabel* status_ = nullptr;
    QWidget* announcement_ = nullptr;
    QAction* larger_ = nullptr;
    QAction* smaller_ = nullptr;
    QUrl contents_;
};

HelpWindow::HelpWindow(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("helpViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("ヘルプ"));

    static const bool bodyAccessible = [] {
        QAccessible::installFactory(helpBodyAccessible);
        installSpokenText();
        return true;
    }();
    (void)bodyAccessible;
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
    QAction* findOpen =
        command(QStringLiteral("検索"), QStringLiteral("このヘルプの中の言葉を探します（Ctrl+F）"),
                keys({QKeySequence(Qt::CTRL | Qt::Key_F), QKeySequence(QKeySequence::Find)}), [this] { openFind(); });
    QAction* findNext = command(QStringLiteral("次へ"), QStringLiteral("次を探します（F3）"),
                                keys({QKeySequence(Qt::Key_F3)}), [this] { find(false, true); });
    QAction* findPrevious = command(QStringLiteral("前へ"), QStringLiteral("前を探します（Shift+F3）"),
                                    keys({QKeySequence(Qt::SHIFT | Qt::Key_F3)}), [this] { find(true, true); });
    QAction* findClose =
        command(QStringLiteral("閉じる"), QStringLiteral("検索を閉じます（Esc）"), {}, [this] { closeFind(); });
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
    connect(text_, &QTextBrowser::sourceChanged, this, [this] { showStatus({}, false); });

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(4, 4, 4, 0);
    buttons->addWidget(button(back, QStringLiteral("helpBack"), QStringLiteral("戻る")));
    buttons->addWidget(button(forward, QStringLiteral("helpForward"), QStringLiteral("進む")));
    buttons->addWidget(button(contents, QStringLiteral("helpContents"), QStringLiteral("目次")));
    buttons->addWidget(button(findOpen, QStringLiteral("helpFindOpen"), QStringLiteral("検索")));
    buttons->addStretch(1);
    buttons->addWidget(button(smaller_, QStringLiteral("helpSmaller"), QStringLiteral("文字を小さく")));
    buttons->addWidget(button(larger_, QStringLiteral("helpLarger"), QStringLiteral("文字を大きく")));

    findBar_ = new QWidget(this);
    findBar_->setObjectName(QStringLiteral("helpFindBar"));
    findField_ = new SpokenLineEdit(findBar_);
    findField_->setObjectName(QStringLiteral("helpFind"));
    findField_->setAccessibleName(QStringLiteral("探す言葉"));
    findField_->setAccessibleDescription(QStringLiteral("Enter で次を、Shift+Enter で前を探します"));
    findField_->setPlaceholderText(QStringLiteral("探す言葉"));
    findField_->setClearButtonEnabled(true);
    findField_->installEventFilter(this);
    auto* findLabel = new QLabel(QStringLiteral("検索："), findBar_);
    findLabel->setBuddy(findField_);
    announcement_ = new QWidget(findBar_);
    announcement_->setObjectName(QStringLiteral("helpAnnouncement"));
    announcement_->setProperty(announcementProperty, true);
    announcement_->setFixedSize(1, 1);
    announcement_->setFocusPolicy(Qt::NoFocus);
    announcement_->hide();
    status_ = new QLabel(findBar_);
    status_->setObjectName(QStringLiteral("helpFindStatus"));
    connect(findField_, &QLineEdit::textEdited, this, [this] { find(false, false); });
    auto* findRow = new QHBoxLayout(findBar_);
    findRow->setContentsMargins(4, 0, 4, 4);
    findRow->addWidget(findLabel);
    findRow->addWidget(findField_, 1);
    findRow->addWidget(button(findPrevious, QStringLiteral("helpFindPrevious"), QStringLiteral("前を検索")));
    findRow->addWidget(button(findNext, QStringLiteral("helpFindNext"), QStringLiteral("次を検索")));
    findRow->addWidget(status_, 1);
    findRow->addWidget(button(findClose, QStringLiteral("helpFindClose"), QStringLiteral("検索を閉じる")));
    findBar_->hide();

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
    auto* b = new QToolButton(this);
    b->setDefaultAction(action);
    b->setObjectName(objectName);
    b->setAccessibleName(spokenName);
    b->setAutoRaise(true);
    return b;
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
        setCursorInPlace(cursor);
    }
}

// Moves the text cursor without scrolling to it.
void HelpWindow::setCursorInPlace(const QTextCursor& cursor)
{
    const int across = text_->horizontalScrollBar()->value();
    const int down = text_->verticalScrollBar()->value();
    text_->setTextCursor(cursor);
    text_->horizontalScrollBar()->setValue(across);
    text_->verticalScrollBar()->setValue(down);
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

bool HelpWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == findField_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Escape:
            // Esc in the find field closes the find bar; a second Esc, in
            // the text, closes the window.
            closeFind();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            find(key->modifiers() & Qt::ShiftModifier, true);
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void HelpWindow::openFind()
{
    findBar_->show();
    findField_->setFocus(Qt::ShortcutFocusReason);
    // Selected once the focus has been told, as the field does it itself.
    QTimer::singleShot(0, findField_, [field = findField_] { field->selectAll(); });
}

void HelpWindow::closeFind()
{
    findBar_->hide();
    showStatus({}, false);
    text_->setFocus(Qt::OtherFocusReason);
}

// Where a search begins: from the match on show, or from the part of the
// page in view when the match is out of sight (the user has gone elsewhere
// since). Typing searches from the match's start, so that it grows in place;
// next and previous go past it.
QTextCursor HelpWindow::searchStart(bool backward, bool again) const
{
    const QTextCursor current = text_->textCursor();
    const QRect view = text_->viewport()->rect();
    if (current.hasSelection() && view.intersects(text_->cursorRect(current))) {
        QTextCursor from(text_->document());
        from.setPosition(again && !backward ? current.selectionEnd() : current.selectionStart());
        return from;
    }
    return text_->cursorForPosition(backward ? view.bottomRight() : view.topLeft());
}

void HelpWindow::find(bool backward, bool again)
{
    if (findBar_->isHidden()) {
        openFind();
    }
    const QString word = findField_->text();
    QTextCursor found;
    QString note;
    if (!word.isEmpty()) {
        const QTextDocument::FindFlags flags = backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
        found = text_->document()->find(word, searchStart(backward, again), flags);
        if (found.isNull()) {
            QTextCursor edge(text_->document());
            edge.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
            found = text_->document()->find(word, edge, flags);
            note = backward ? QStringLiteral("末尾に戻って検索しました") : QStringLiteral("先頭に戻って検索しました");
        }
    }
    if (found.isNull()) {
        QTextCursor cursor = text_->textCursor();
        cursor.clearSelection();
        setCursorInPlace(cursor);
        showStatus(word.isEmpty() ? QString() : QStringLiteral("見つかりません"), !word.isEmpty());
        announce(word.isEmpty() ? QString() : QStringLiteral("見つかりません"));
        return;
    }
    text_->setTextCursor(found);
    text_->ensureCursorVisible();
    showStatus(note, false);
    announce(note.isEmpty() ? sentenceAround(found) : note + QStringLiteral("。") + sentenceAround(found));
}

// What a search found is said to a screen reader by a notification that
// appears with it: readers speak a notification as it shows, where a changed
// name or description of the focused part reaches some of them without its
// text. The notification takes no room; the status beside the field shows
// the sighted reader what is to be seen. The focused part's description
// holds the result too, for reading again.
void HelpWindow::announce(const QString& said)
{
    findField_->setAccessibleDescription(said);
    text_->setAccessibleDescription(said);
    announcement_->hide();
    if (!said.isEmpty()) {
        announcement_->setAccessibleName(said);
        announcement_->show();
    }
}

void HelpWindow::showStatus(const QString& text, bool failed)
{
    status_->setText(text);
    status_->setStyleSheet(failed ? QStringLiteral("color: #b03030; font-weight: bold;") : QString());
    findField_->setStyleSheet(failed ? QStringLiteral("QLineEdit { background-color: #ffe4e4; }") : QString());
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

QStringList helpFolders(const QString& programFolder)
{
    QStringList folders;
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
    return findHelpFileIn(foldersForTesting().value_or(helpFolders(QCoreApplication::applicationDirPath())), name);
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

QString keepFullWidthSpaces(const QString& html)
{
    const QChar fullWidthSpace(0x3000);
    QString out;
    out.reserve(html.size());
    bool inTag = false;
    for (qsizetype i = 0; i < html.size();) {
        const QChar ch = html[i];
        if (!inTag && ch == fullWidthSpace) {
            qsizetype end = i;
            while (end < html.size() && html[end] == fullWidthSpace) {
                ++end;
            }
            out += QStringLiteral("<span style=\"white-space: pre-wrap\">") + html.mid(i, end - i) +
                   QStringLiteral("</span>");
            i = end;
            continue;
        }
        if (ch == QLatin1Char('<')) {
            inTag = true;
        } else if (ch == QLatin1Char('>')) {
            inTag = false;
        }
        out += ch;
        ++i;
    }
    return out;
}

QSize helpWindowSize()
{
    return remembered().size;
}

qreal helpTextSize()
{
    return remembered().textSize;
}

void forgetHelpWindowForTesting()
{
    remembered() = Remembered{};
}

}  // namespace kelvqt
