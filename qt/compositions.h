// The conversions an input method is still composing in the screens'
// fields, and the one way the renderer ends them. Whatever ends one (a press
// on any control by any means, a click elsewhere in the same field, the
// focus leaving the field, the window closing), its text goes into the
// field where it is shown, exactly once, before the press is handled.
//
// Input-method plugins answer a request to commit differently: one hands
// the text over at once, one only when reset, one at once and then again a
// moment later from its daemon, one not at all. So the input method is
// asked to commit, then to reset, and only what it still has not handed
// over is committed here; a copy it sends afterwards of the text just
// committed is dropped, wherever the focus is by then.
#pragma once

#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <QString>

#include <utility>
#include <vector>

#include "qt/input_method.h"

class QInputMethodEvent;

namespace kelvqt {

class Compositions : public QObject {
public:
    Compositions();
    ~Compositions() override;

    // Where the requests to the input method go: the platform's own unless
    // a test stands in for a plugin.
    void setInputMethod(InputMethodRequests* requests);

    // An input method's event has reached `edit`, before the field takes it.
    void seen(QLineEdit* edit, const QInputMethodEvent& event);

    // Whether `edit` shows text the input method has not committed yet.
    bool pending(const QLineEdit* edit) const;

    // Commits the pending text of `edit` into it, once.
    void end(QLineEdit* edit);

    // A mouse press at `at` in `edit`. A press on the conversion it shows is
    // the input method's (it may choose the part to convert); a press
    // elsewhere in the field commits the conversion where it stands, and the
    // field then puts the caret at the press.
    void pressedAt(QLineEdit* edit, QPoint at);

    // Commits every field's pending text.
    void endAll();

protected:
    // The late copies of a commit, whatever object they are sent to.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void expectCopy(const QString& committed);
    void stopExpecting();

    std::vector<std::pair<QPointer<QLineEdit>, QString>> composing_;
    InputMethodRequests platform_;
    InputMethodRequests* inputMethod_ = &platform_;
    // The text a composition ended with, until the input method has sent its
    // copy of it or begins something else.
    QString ended_;
};

}  // namespace kelvqt
