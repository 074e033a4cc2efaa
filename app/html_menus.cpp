// The three menus between the metafile screens and the page screens. They
// only route: each button runs one step list, and which screens a list hides
// rather than unloads decides whose contents survive a detour.
#include <string>
#include <vector>

#include "app/catalog.h"
#include "form/screen_ops.h"
#include "screens/button_band.h"
#include "screens/conventions.h"

namespace app {

namespace {

struct Choice {
    const char* button;
    const char* caption;
    form::Color color;
};

constexpr int menuWidth = 4695;
constexpr int choiceTop = 840;
constexpr int choiceStride = 840;
constexpr int bandHeight = 1095;

// A menu window: the title, the choices one under the other, and on the band
// at the bottom the way back to the top menu and the exit button.
form::ScreenDef menuWindow(const char* screen, const char* caption, const char* title,
                           const std::vector<Choice>& choices, const char* topButton, const char* topCaption,
                           const form::Steps& toTop, const char* exitButton)
{
    const int bandTop = choiceTop + static_cast<int>(choices.size()) * choiceStride + 120;
    form::ScreenDef s{screen, caption, {menuWidth, bandTop + bandHeight}};
    s.label("Label1", title).at(240, 120, menuWidth - 480, 495).centered().font(18, true);
    int tab = 0;
    int top = choiceTop;
    for (const Choice& c : choices) {
        paint(s.button(c.button, c.caption).at(600, top, menuWidth - 1200, 615).tab(tab++), c.color);
        top += choiceStride;
    }
    screens::ButtonBand buttons(s, 480, bandTop + 360, 225);
    buttons.strip("Label2", {0, bandTop, menuWidth, bandHeight});
    buttons.back(topButton, toTop, 2175).captioned(topCaption).tab(tab++);
    buttons.exit(exitButton, 1335).tab(tab++);
    return s;
}

}  // namespace

const form::ScreenDef& htmlMenu()
{
    static const form::ScreenDef screen = [] {
        form::ScreenDef s =
            menuWindow("Form4", "ｈｔｍ作成選択", "簡単html選択",
                       {{"Command1", "ポップアップ形式（文字式）", screens::colors::save},
                        {"Command2", "エンベッド形式　（TV形式）", screens::colors::next},
                        {"Command3", "その他", screens::colors::pink}},
                       "Command4", "topメニューに戻る", screens::Steps().show(1).hide(2, 3).unload(4, 13), "Command5");
        // The page screens are hidden, not unloaded, so that both keep what
        // the user typed while the user switches between them.
        s.onClick("Command1", [](form::Form& f) {
            SwitchScreen(f, screens::Steps().unload(1, 3).hide(4).show(5).hide(6).unload(7, 13));
        });
        s.onClick("Command2", [](form::Form& f) {
            SwitchScreen(f, screens::Steps().unload(1, 3).hide(4, 5).show(6).unload(7, 13));
        });
        s.onClick("Command3",
                  [](form::Form& f) { SwitchScreen(f, screens::Steps().unload(1, 9).show(10).unload(11, 13)); });
        return s;
    }();
    return screen;
}

const form::ScreenDef& detailedHtmlMenu()
{
    static const form::ScreenDef screen = [] {
        form::ScreenDef s = menuWindow("Form7", "詳細ｈｔｍ作成選択", "詳細html選択",
                                       {{"Command1", "ポップアップ形式（文字式）", screens::colors::save},
                                        {"Command2", "エンベッド形式　（TV形式）", screens::colors::next}},
                                       "Command4", "topに戻る", screens::Steps().show(1).unload(2, 13), "Command5");
        s.onClick("Command1", [](form::Form& f) {
            SwitchScreen(f,
                         screens::Steps().unload(1, 2).hide(3).unload(4).unload(6, 7).show(8).hide(9).unload(10, 13));
        });
        // This menu stays open beside the embed page.
        s.onClick("Command2", [](form::Form& f) {
            SwitchScreen(f, screens::Steps().unload(1, 2).hide(3).unload(4).unload(6).hide(8).show(9).unload(10, 13));
        });
        return s;
    }();
    return screen;
}

const form::ScreenDef& otherFormatsMenu()
{
    static const form::ScreenDef screen = [] {
        form::ScreenDef s = menuWindow("Form10", "その他の形式メニュー", "その他の形式",
                                       {{"Command1", "ポップアップ上級htm", screens::colors::save},
                                        {"Command2", "エンベッド上級htm", screens::colors::next}},
                                       "Command4", "topに戻る", screens::Steps().show(1).unload(2, 12), "Command3");
        s.onClick("Command1",
                  [](form::Form& f) { SwitchScreen(f, screens::Steps().unload(1, 10).show(11).unload(12)); });
        s.onClick("Command2", [](form::Form& f) { SwitchScreen(f, screens::Steps().unload(1, 11).show(12)); });
        return s;
    }();
    return screen;
}

}  // namespace app
