#include "qt/compositions.h"

#include <QCoreApplication>
#include <QInputMethodEvent>

#include <algorithm>

namespace kelvqt {

Compositions::Compositions() = default;

Compositions::~Compositions()
{
    stopExpecting();
}

void Compositions::setInputMethod(InputMethodRequests* requests)
{
    inputMethod_ = requests != nullptr ? requests : &platform_;
}

void Compositions::seen(QLineEdit* edit, const QInputMethodEvent& event)
{
    const bool wasPending = pending(edit);
    std::erase_if(composing_, [edit](const auto& p) { return p.first == edit || !p.first; });
    const QString preedit = event.preeditString();
    if (!preedit.isEmpty()) {
        // The field shows this but holds it in no text until it is committed.
        composing_.emplace_back(edit, preedit);
        stopExpecting();
    } else if (wasPending && !event.commitString().isEmpty()) {
        expectCopy(event.commitString());
    }
}

bool Compositions::pending(const QLineEdit* edit) const
{
    return std::any_of(composing_.begin(), composing_.end(), [edit](const auto& p) { return p.first == edit; });
}

void Compositions::end(QLineEdit* edit)
{
    if (edit == nullptr || !pending(edit)) {
        return;
    }
    if (edit->hasFocus()) {
        // The input method composes for the focused field: it hands the
        // text over on one request or the other, or on neither.
        inputMethod_->commit();
        if (!pending(edit)) {
            return;
        }
        inputMethod_->reset();
        if (!pending(edit)) {
            return;
        }
    }
    const auto it =
        std::find_if(composing_.begin(), composing_.end(), [edit](const auto& p) { return p.first == edit; });
    QInputMethodEvent commit;
    commit.setCommitString(it->second);
    QCoreApplication::sendEvent(edit, &commit);
    // A field that did not take it (turned read-only meanwhile) shows it no
    // more either.
    std::erase_if(composing_, [edit](const auto& p) { return p.first == edit; });
}

void Compositions::pressedAt(QLineEdit* edit, QPoint at)
{
    const auto it =
        std::find_if(composing_.begin(), composing_.end(), [edit](const auto& p) { return p.first == edit; });
    if (it == composing_.end()) {
        return;
    }
    // The field lays the conversion out in line at its caret.
    const qsizetype offset = edit->cursorPositionAt(at) - edit->cursorPosition();
    if (offset >= 0 && offset <= it->second.size()) {
        return;
    }
    end(edit);
}

void Compositions::endAll()
{
    while (!composing_.empty()) {
        QPointer<QLineEdit> edit = composing_.back().first;
        if (edit) {
            end(edit);
        }
        std::erase_if(composing_, [&edit](const auto& p) { return p.first == edit; });
    }
}

void Compositions::expectCopy(const QString& committed)
{
    if (ended_.isEmpty()) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ended_ = committed;
}

void Compositions::stopExpecting()
{
    if (!ended_.isEmpty()) {
        ended_.clear();
        if (QCoreApplication* app = QCoreApplication::instance()) {
            app->removeEventFilter(this);
        }
    }
}

bool Compositions::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::InputMethod: {
        const auto* im = static_cast<const QInputMethodEvent*>(event);
        if (im->preeditString().isEmpty() && im->commitString() == ended_ && im->replacementLength() == 0) {
            // The same text again, with nothing composed since: the input
            // method's copy of what is already in the field.
            stopExpecting();
            return true;
        }
        if (!im->preeditString().isEmpty() || !im->commitString().isEmpty()) {
            stopExpecting();
        }
        break;
    }
    case QEvent::KeyPress:
        // The user goes on: whatever the input method sends now is new.
        stopExpecting();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kelvqt
