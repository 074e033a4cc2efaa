// The top menu: the three ways of working, help and exit.
#include "app/catalog.h"
#include "form/screen_ops.h"
#include "screens/button_band.h"
#include "screens/conventions.h"

namespace app {

const form::ScreenDef& topMenu()
{
    static const form::ScreenDef screen = [] {
        form::ScreenDef s{"Form1", "選択メニュー", {4695, 5310}};
        s.label("Label4", "選択").at(240, 120, 4215, 495).centered().font(18, true);
        paint(s.button("Command2", "diz　君").at(840, 840, 3015, 615).tab(0), screens::colors::lightGreen);
        paint(s.button("Command3", "簡単メタファイル作成").at(840, 1680, 3015, 615).tab(1), screens::colors::save);
        paint(s.button("Command4", "詳細メタファイル作成").at(840, 2520, 3015, 615).tab(2), screens::colors::next);
        screens::ButtonBand band(s, 1320, 4560);
        band.strip("Label1", {0, 4320, 4695, 990});
        band.help("Command5").tab(4);
        paint(band.exit("Command1", 855), screens::colors::green).tab(3);

        s.onClick("Command2", [](form::Form& f) { SwitchScreen(f, screens::Steps().unload(1, 12).show(13)); });
        s.onClick("Command3", [](form::Form& f) { SwitchScreen(f, screens::Steps().unload(1).show(2).unload(3, 13)); });
        s.onClick("Command4",
                  [](form::Form& f) { SwitchScreen(f, screens::Steps().unload(1, 2).show(3).unload(4, 13)); });
        return s;
    }();
    return screen;
}

}  // namespace app
