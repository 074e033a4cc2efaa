// Option buttons and the exclusive groups they form: how the keyboard moves
// through a group, and the box that names a group to assistive technology.
#pragma once

#include <QPointer>
#include <QRadioButton>

#include <vector>

#include "form/form.h"

namespace kelvqt {

class ScreenWindow;

// An option that leaves its checked state to the model: a click (mouse,
// Space, an arrow key inside its group, the accessibility Press action) only
// reports itself, and the button then shows what the model chose. It stays
// auto-exclusive, so assistive technology sees one choice of a group. The
// four arrow keys move through its group in order, wrapping round, and
// choose the option they reach, as the desktop's radio groups do.
class OptionButton : public QRadioButton {
public:
    OptionButton(QWidget* parent, const form::ScreenDef& screen) : QRadioButton(parent), screen_(screen) {}

    std::vector<QPointer<OptionButton>> group;  // its group, in keyboard order

protected:
    void nextCheckState() override {}
    void keyPressEvent(QKeyEvent* event) override;

private:
    const form::ScreenDef& screen_;
};

// Tells each option of the window its group, and puts each group that has a
// name in a box of its own.
void buildOptionGroups(form::Form& f, ScreenWindow& win);

}  // namespace kelvqt
