// Stand-ins for the input-method plugins a Qt program meets. Each answers
// the renderer's commit and reset requests as one kind of plugin does, and
// reacts to a change of focus as that plugin does when the toolkit asks it
// to commit then and tells it of the new focus.
#pragma once

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

#include <string>

#include "qt/input_method.h"

namespace gui {

enum class Plugin {
    CommitsAtOnce,   // commit() hands the pending text over at once
    CommitsOnReset,  // commit() does nothing; reset() hands it over, and so does a change of focus
    CommitsTwice,    // commit() hands it over at once and the daemon sends it again a moment later;
                     // reset() has the daemon send it a moment later
    CommitsNothing,  // nothing hands it over: the pending text is dropped
};

inline const char* nameOf(Plugin p)
{
    switch (p) {
    case Plugin::CommitsAtOnce:
        return "commits at once";
    case Plugin::CommitsOnReset:
        return "commits on reset";
    case Plugin::CommitsTwice:
        return "commits at once and again later";
    case Plugin::CommitsNothing:
        return "commits nothing";
    }
    return "";
}

constexpr Plugin allPlugins[] = {Plugin::CommitsAtOnce, Plugin::CommitsOnReset, Plugin::CommitsTwice,
                                 Plugin::CommitsNothing};

class FakeInputMethod : public QObject, public kelvqt::InputMethodRequests {
public:
    explicit FakeInputMethod(Plugin plugin) : plugin_(plugin)
    {
        qApp->installEventFilter(this);
        connect(qApp, &QGuiApplication::focusObjectChanged, this, [this](QObject*) { focusMoved(); });
    }
    ~FakeInputMethod() override { qApp->removeEventFilter(this); }

    // The field takes the focus and shows `text` as a conversion not yet
    // confirmed.
    void compose(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        QApplication::processEvents();
        target_ = edit;
        preedit_ = text;
        QInputMethodEvent event(text, {});
        QCoreApplication::sendEvent(edit, &event);
    }

    void commit() override
    {
        if (plugin_ == Plugin::CommitsAtOnce || plugin_ == Plugin::CommitsTwice) {
            const QString text = preedit_;
            handOver(QApplication::focusObject());
            if (plugin_ == Plugin::CommitsTwice) {
                later(text);
            }
        }
    }

    void reset() override
    {
        if (plugin_ == Plugin::CommitsOnReset) {
            handOver(QApplication::focusObject());
        } else if (plugin_ == Plugin::CommitsTwice) {
            later(preedit_);
        }
        preedit_.clear();
    }

    // Lets the daemon's late commits arrive.
    static void settle()
    {
        for (int i = 0; i < 3; ++i) {
            QApplication::processEvents();
        }
    }

    int lateCommits() const { return late_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The toolkit asks the input method to commit just before the focus
        // leaves a field that takes input-method text.
        if (event->type() == QEvent::FocusAboutToChange && watched == target_ && !preedit_.isEmpty()) {
            commit();
        }
        return false;
    }

private:
    void handOver(QObject* to)
    {
        if (to != nullptr && !preedit_.isEmpty()) {
            QInputMethodEvent event;
            event.setCommitString(preedit_);
            QCoreApplication::sendEvent(to, &event);
        }
        preedit_.clear();
    }

    // The daemon's copy, to whatever has the focus when it arrives.
    void later(const QString& text)
    {
        if (text.isEmpty()) {
            return;
        }
        QTimer::singleShot(0, this, [this, text] {
            ++late_;
            if (QObject* to = QApplication::focusObject()) {
                QInputMethodEvent event;
                event.setCommitString(text);
                QCoreApplication::sendEvent(to, &event);
            }
        });
    }

    void focusMoved()
    {
        // Told of the new focus, the plugin that commits on reset hands
        // what is pending to the field it was composing in.
        if (plugin_ == Plugin::CommitsOnReset && target_ && !preedit_.isEmpty() &&
            QApplication::focusObject() != target_) {
            handOver(target_);
        }
    }

    Plugin plugin_;
    // Held as an object: the field may be in its destructor, already no
    // QLineEdit, when the focus leaves it.
    QPointer<QObject> target_;
    QString preedit_;
    int late_ = 0;
};

}  // namespace gui
