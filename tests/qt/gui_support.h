// Drives the real widgets offscreen: a program rendered by the Qt layer, the
// modal dialogs answered as a user would answer them, and typing that reaches
// the model the way a user's typing does.
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "form/form.h"
#include "qt/qt_platform.h"
#include "qt/renderer.h"
#include "support/pixels.h"

namespace gui {

class DialogAnswers;

// Where the save dialog and message boxes of a GuiProgram go: the answers a
// test set up (the newest DialogAnswers), or Qt's real dialogs.
enum class Dialogs { Answered, Real };

class GuiProgram {
public:
    explicit GuiProgram(form::ProgramDescription description, Dialogs dialogs = Dialogs::Answered);

    QWidget* window(const std::string& screen) { return renderer.window(screen); }

    template <typename W>
    W* widget(const std::string& screen, const std::string& control)
    {
        QWidget* win = window(screen);
        return win == nullptr ? nullptr : win->findChild<W*>(QString::fromStdString(control));
    }

    // Clicks a button of a screen's window.
    void click(const std::string& screen, const std::string& control)
    {
        auto* b = widget<QAbstractButton>(screen, control);
        if (b == nullptr) {
            throw std::runtime_error("no button " + screen + "." + control);
        }
        b->click();
        QApplication::processEvents();
    }

    kelvqt::QtPlatform platform;
    form::Program program;
    kelvqt::Renderer renderer;
    bool ended = false;
};

// Whether a picture control shows its picture when it is painted: pictures
// are drawn with their first paint, which this forces.
inline bool showsPicture(QLabel* picture)
{
    if (picture == nullptr) {
        return false;
    }
    const QImage shown = picture->grab().toImage();
    if (picture->pixmap().isNull()) {
        return false;
    }
    // Not one plain colour: the picture is in what was painted.
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            if (shown.pixel(x, y) != shown.pixel(0, 0)) {
                return true;
            }
        }
    }
    return false;
}

// Types text into a line edit one character at a time, each as a key event
// carrying the character, so that the edit reports it as the user's.
inline void typeText(QLineEdit* edit, const QString& text)
{
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(edit, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(edit, &release);
    }
}

// Replaces the whole text as a user selecting all and typing would.
inline void retype(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(edit, &del);
    typeText(edit, text);
}

// What the save dialog and the message boxes are asked, answered in order
// through the platform's seam: no window opens. The newest living
// DialogAnswers takes the requests; one that comes with no answer left
// fails the test.
class DialogAnswers {
public:
    struct Seen {
        QString kind;  // "file" or "message"
        QString title;
        QString text;             // message text, or the chosen path
        QStringList filterNames;  // what the dialog's type list shows
        QString directory;
        QString fileName;
    };

    DialogAnswers() : previous_(current()) { current() = this; }
    ~DialogAnswers() { current() = previous_; }
    DialogAnswers(const DialogAnswers&) = delete;
    DialogAnswers& operator=(const DialogAnswers&) = delete;

    DialogAnswers& save(const QString& path)
    {
        answers_.push_back(path);
        return *this;
    }
    DialogAnswers& cancel()
    {
        answers_.push_back(std::nullopt);
        return *this;
    }
    DialogAnswers& ok()
    {
        answers_.push_back(QStringLiteral("<ok>"));
        return *this;
    }

    // Whatever windows come once the answers set up are used: each save
    // dialog is cancelled, each message closed with OK.
    DialogAnswers& dismissTheRest()
    {
        dismissTheRest_ = true;
        return *this;
    }

    bool done() const { return answers_.empty(); }
    std::vector<Seen> seen;

    static std::optional<QString> askSave(QWidget*, const kelvqt::SaveRequest& request)
    {
        DialogAnswers* a = current();
        QStringList shown;
        for (const QString& filter : request.nameFilters) {
            shown << filter.left(filter.lastIndexOf(QStringLiteral(" (")));
        }
        const std::optional<QString> answer = a != nullptr ? a->next("file") : std::nullopt;
        if (a != nullptr) {
            a->seen.push_back({QStringLiteral("file"), request.title, answer.value_or(QString()), shown,
                               request.directory, request.fileName});
        }
        if (!answer) {
            return std::nullopt;
        }
        // As the real dialog does, a name without an extension gets the default one.
        return QFileInfo(*answer).suffix().isEmpty() && !request.defaultSuffix.isEmpty()
                   ? *answer + QLatin1Char('.') + request.defaultSuffix
                   : *answer;
    }

    static void tell(QWidget*, const QString& title, const QString& text)
    {
        if (DialogAnswers* a = current()) {
            a->next("message");
            a->seen.push_back({QStringLiteral("message"), title, text, {}, {}, {}});
        } else {
            ADD_FAILURE() << "an unexpected message: " << text.toStdString();
        }
    }

private:
    static DialogAnswers*& current()
    {
        static DialogAnswers* answers = nullptr;
        return answers;
    }

    std::optional<QString> next(const char* kind)
    {
        if (answers_.empty() && dismissTheRest_) {
            return std::string(kind) == "message" ? std::optional<QString>(QStringLiteral("<ok>")) : std::nullopt;
        }
        if (answers_.empty()) {
            ADD_FAILURE() << "an unexpected " << kind;
            return std::nullopt;
        }
        std::optional<QString> answer = answers_.front();
        answers_.pop_front();
        const bool isOk = answer && *answer == QStringLiteral("<ok>");
        if (isOk != (std::string(kind) == "message")) {
            ADD_FAILURE() << "a " << kind << " came where the test expected another window";
        }
        return answer;
    }

    DialogAnswers* previous_;
    std::deque<std::optional<QString>> answers_;
    bool dismissTheRest_ = false;
};

inline GuiProgram::GuiProgram(form::ProgramDescription description, Dialogs dialogs)
    : platform(dialogs == Dialogs::Real ? kelvqt::QtPlatform()
                                        : kelvqt::QtPlatform(DialogAnswers::askSave, DialogAnswers::tell)),
      program(std::move(description), platform), renderer(program)
{
    platform.setRenderer(&renderer);
    platform.onEnd = [this] { ended = true; };
}

// Answers Qt's real modal windows as a user would: each answer runs as soon
// as the next modal window has shown. For the one test that shows the real
// save dialog and message box, and for the help viewer's own box.
class RealDialogAnswers : public QObject {
public:
    struct Seen {
        QString kind;
        QString title;
        QString text;
        QStringList filterNames;
        QString directory;
        QString fileName;
    };

    RealDialogAnswers() { qApp->installEventFilter(this); }
    ~RealDialogAnswers() override { qApp->removeEventFilter(this); }

    RealDialogAnswers& save(const QString& path)
    {
        push([this, path](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            if (dialog == nullptr)
                return false;
            seen.push_back(describe(dialog));
            dialog->selectFile(path);
            static_cast<QDialog*>(dialog)->accept();
            return true;
        });
        return *this;
    }

    RealDialogAnswers& ok()
    {
        push([this](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (box == nullptr)
                return false;
            seen.push_back({QStringLiteral("message"), box->windowTitle(), box->text(), {}, {}, {}});
            buttons.push_back(box->buttons().size());
            icons.push_back(box->icon());
            box->buttons().constFirst()->click();
            return true;
        });
        return *this;
    }

    bool done() const { return answers_.empty(); }

    std::vector<Seen> seen;
    std::vector<qsizetype> buttons;
    std::vector<QMessageBox::Icon> icons;

private:
    // What the dialog shows its user: the type list and the name field.
    static Seen describe(QFileDialog* dialog)
    {
        Seen s{QStringLiteral("file"), dialog->windowTitle(), {}, {}, dialog->directory().absolutePath(), {}};
        // The type list is the list whose entries begin the name filters.
        const QStringList filters = dialog->nameFilters();
        for (QComboBox* combo : dialog->findChildren<QComboBox*>()) {
            bool types = combo->isVisibleTo(dialog) && combo->count() == filters.size();
            for (int i = 0; types && i < combo->count(); ++i) {
                types = filters[i].startsWith(combo->itemText(i));
            }
            for (int i = 0; types && i < combo->count(); ++i) {
                s.filterNames << combo->itemText(i);
            }
        }
        s.fileName =
            dialog->selectedFiles().isEmpty() ? QString() : QFileInfo(dialog->selectedFiles().constFirst()).fileName();
        return s;
    }

    void push(std::function<bool(QWidget*)> answer) { answers_.push_back(std::move(answer)); }

    // A modal window has shown: answer it once its own event loop runs.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (event->type() == QEvent::Show && dialog != nullptr && dialog->isModal() && !answers_.empty()) {
            QPointer<QDialog> shown = dialog;
            QTimer::singleShot(0, this, [this, shown] {
                if (shown && shown->isVisible() && !answers_.empty() && answers_.front()(shown)) {
                    answers_.pop_front();
                }
            });
        }
        return false;
    }

    std::deque<std::function<bool(QWidget*)>> answers_;
};

}  // namespace gui
