// Drives the real widgets offscreen: a program rendered by the Qt layer, the
// modal dialogs answered as a user would answer them, and typing that reaches
// the model the way a user's typing does.
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "form/form.h"
#include "qt/qt_platform.h"
#include "qt/renderer.h"

namespace gui {

class GuiProgram {
public:
    explicit GuiProgram(form::ProgramDescription description)
        : program(std::move(description), platform), renderer(program)
    {
        platform.setRenderer(&renderer);
        platform.onEnd = [this] { ended = true; };
    }

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

// Answers the modal windows that open, in order. Each answer runs once the
// next modal window is up.
class ModalAnswers {
public:
    struct Seen {
        QString kind;  // "file" or "message"
        QString title;
        QString text;             // message text, or the chosen path
        QStringList filterNames;  // what the file dialog's type list shows
        QString directory;
        QString fileName;
    };

    ModalAnswers()
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }

    // Types the path into the file dialog and accepts it.
    ModalAnswers& save(const QString& path)
    {
        answers_.push_back([this, path](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            if (dialog == nullptr)
                return false;
            seen.push_back(describe(dialog));
            seen.back().text = path;
            dialog->selectFile(path);
            static_cast<QDialog*>(dialog)->accept();
            return true;
        });
        return *this;
    }

    ModalAnswers& cancel()
    {
        answers_.push_back([this](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            if (dialog == nullptr)
                return false;
            seen.push_back(describe(dialog));
            dialog->reject();
            return true;
        });
        return *this;
    }

    // Reads the message box and presses its button.
    ModalAnswers& ok()
    {
        answers_.push_back([this](QWidget* w) {
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
    static Seen describe(QFileDialog* dialog)
    {
        Seen s{QStringLiteral("file"), dialog->windowTitle(), {}, {}, dialog->directory().absolutePath(), {}};
        if (auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
            for (int i = 0; i < combo->count(); ++i)
                s.filterNames << combo->itemText(i);
        }
        if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
            s.fileName = edit->text();
        }
        return s;
    }

    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == handled_ || answers_.empty() || !modal->isVisible()) {
            return;
        }
        if (answers_.front()(modal)) {
            handled_ = modal;
            answers_.pop_front();
        }
    }

    QTimer timer_;
    QPointer<QWidget> handled_;
    std::deque<std::function<bool(QWidget*)>> answers_;
};

}  // namespace gui
