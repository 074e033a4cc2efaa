// The row of buttons along the bottom of a screen: 「?」, the way back,
// 「保存」, 「次」 and 「終了」. Each kind of button is declared here once,
// with its caption, colour, size, the name assistive technology reads and
// what a click does; a screen says only where its row stands, the design
// names of its buttons, their tab stops and tooltips, and what differs.
#pragma once

#include <string>

#include "form/form.h"

namespace screens {

class ButtonBand {
public:
    static constexpr int helpWidth = 735;
    static constexpr int buttonWidth = 1215;
    static constexpr int buttonHeight = 375;
    static constexpr int usualGap = 345;

    // The buttons stand left to right from (left, top), `gap` apart.
    ButtonBand(form::ScreenDef& screen, int left, int top, int gap = usualGap);

    // The coloured strip the buttons lie on; declared before them, so that
    // it is drawn below them.
    ButtonBand& strip(const std::string& label, form::Rect area);

    // 「?」: opens the help.
    form::ControlDef& help(const std::string& name, int width = helpWidth);
    // 「戻る」: runs the steps back to a menu.
    form::ControlDef& back(const std::string& name, const form::Steps& steps, int width = buttonWidth);
    // 「保存」: writes the screen's document.
    form::ControlDef& save(const std::string& name, form::Handler write, int width = buttonWidth);
    // 「次」: runs the steps on to the next screen.
    form::ControlDef& next(const std::string& name, const form::Steps& steps, int width = buttonWidth);
    // 「終了」: ends the program.
    form::ControlDef& exit(const std::string& name, int width = buttonWidth);
    // A button only this screen has, in the same row.
    form::ControlDef& button(const std::string& name, std::string caption, form::Color color, form::Handler click,
                             int width = buttonWidth);

private:
    form::ScreenDef& screen_;
    int left_;
    int top_;
    int gap_;
};

}  // namespace screens
