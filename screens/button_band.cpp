#include "screens/button_band.h"

#include "form/screen_ops.h"
#include "screens/conventions.h"

namespace screens {

ButtonBand::ButtonBand(form::ScreenDef& screen, int left, int top, int gap)
    : screen_(screen), left_(left), top_(top), gap_(gap)
{
}

ButtonBand& ButtonBand::strip(const std::string& label, form::Rect area)
{
    paint(screen_.label(label, "").at(area.left, area.top, area.width, area.height), colors::band);
    return *this;
}

form::ControlDef& ButtonBand::button(const std::string& name, std::string caption, form::Color color,
                                     form::Handler click, int width)
{
    form::ControlDef& b = paint(screen_.button(name, std::move(caption)).at(left_, top_, width, buttonHeight), color);
    screen_.onClick(name, std::move(click));
    left_ += width + gap_;
    return b;
}

form::ControlDef& ButtonBand::help(const std::string& name, int width)
{
    return button(name, "?", colors::help, form::ShowHelp, width).named("ヘルプ");
}

form::ControlDef& ButtonBand::back(const std::string& name, const form::Steps& steps, int width)
{
    return button(
        name, "戻る", colors::back, [steps](form::Form& f) { form::SwitchScreen(f, steps); }, width);
}

form::ControlDef& ButtonBand::save(const std::string& name, form::Handler write, int width)
{
    return button(name, "保存", colors::save, std::move(write), width);
}

form::ControlDef& ButtonBand::next(const std::string& name, const form::Steps& steps, int width)
{
    return button(
        name, "次", colors::next, [steps](form::Form& f) { form::SwitchScreen(f, steps); }, width);
}

form::ControlDef& ButtonBand::exit(const std::string& name, int width)
{
    return button(name, "終了", colors::grey, form::ExitProgram, width);
}

}  // namespace screens
