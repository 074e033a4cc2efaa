// The widget a declared command button is shown as.
#pragma once

#include <QPushButton>

namespace kelvqt {

// A push button that Return presses as Space does, as people used to the
// desktop's dialogs expect of the focused button. The press is a click, so
// it takes the same way to the program as the mouse's.
class ScreenButton : public QPushButton {
public:
    using QPushButton::QPushButton;

    // Pressed while a dialog ran: the click that ends this press is refused.
    bool pressedUnderDialog = false;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace kelvqt
