// What the renderer asks of the platform's input method. The plugins of the
// input-method frameworks answer the same two requests differently (one
// commits at once, one only when reset, one sends the text again later,
// one commits nothing), so the renderer asks through this and tests can
// stand in for each of them.
#pragma once

#include <QGuiApplication>
#include <QInputMethod>

namespace kelvqt {

class InputMethodRequests {
public:
    virtual ~InputMethodRequests() = default;
    // Hand the pending text to the focused field.
    virtual void commit() { QGuiApplication::inputMethod()->commit(); }
    // Forget the pending text.
    virtual void reset() { QGuiApplication::inputMethod()->reset(); }
};

}  // namespace kelvqt
