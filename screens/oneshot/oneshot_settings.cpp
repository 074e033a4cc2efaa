// Form14, the one-shot settings. There is no apply step: the generator
// (Form13) mirrors the extension, width and automatic start fields, so each
// change of one of them here is copied there at once (the field rules of
// form.h), and the generator works out the height there.
//
// Closing this window by its frame unloads it; the next read from the
// generator or the next "設定" loads it afresh with its start values. Only
// the field that load step changes (automatic start) is copied then, so the
// generator keeps the extension and width it holds until one of them is
// changed here again.
#include "screens/oneshot/oneshot_settings.h"

#include "screens/button_band.h"
#include "screens/conventions.h"
#include "screens/oneshot/oneshot_generator.h"

namespace screens {

const form::ScreenDef& oneShotSettingsScreen()
{
    static const form::ScreenDef screen = [] {
        form::ScreenDef s{"Form14", "一発　diz君　設定", {8745, 4005}};
        s.placedBySystem();
        s.label("Label6", "①").at(240, 240, 615, 495).font(18, true);
        s.label("Label1", "asxの設定　拡張子").at(1920, 360, 2055, 255);
        s.label("Label2", "拡張子の前に必ず点を入れてください。avi、ｍｐｇの時").at(1200, 960, 2895, 1095);
        s.text(oneshot::extensionField, ".wmv")
            .at(2160, 2160, 855, 375)
            .font(12, true)
            .promptedBy("Label1")
            .describedBy({"Label6", "Label2"})
            .tab(0);
        s.label("Label8", "②").at(4320, 240, 615, 495).font(18, true);
        s.label("Label4", "幅").at(4200, 960, 375, 255);
        s.text(oneshot::widthField, "320")
            .at(4680, 960, 495, 375)
            .promptedBy("Label4")
            .describedBy({"Label8", "Label7"})
            .tab(1);
        s.text(oneshot::heightField, "304").at(6000, 2160, 495, 375).hidden();
        s.imageBox("Image1").at(4560, 1440, 2055, 1410).image("player", true);
        // Declared after the picture it overlaps, so that it stays readable.
        s.label("Label5", "高さ").at(6000, 1800, 495, 255);
        s.frame("Frame1", "大きさ").at(6720, 600, 1935, 1695);
        s.label("Label7", "160、320、480、640　他いろいろサイズがあります。幅に数値を入れると自動で高さが決まります。")
            .at(60, 240, 1815, 1425)
            .inside("Frame1");
        s.label("Label3", "オート起動").at(4080, 3120, 975, 255);
        s.option("Option1", "オン").at(5160, 3000, 975, 375).promptedBy("Label3").tab(2);
        s.option("Option2", "オフ").at(5160, 3480, 975, 375).tab(3);
        s.text(oneshot::autoStartField, "true").at(6720, 3000, 855, 375).hidden();
        ButtonBand band(s, 360, 3120, 105);
        band.back("Command1", Steps().unload(2, 12).show(13).hide(14), 615).tab(4);
        band.help("Command2", 615).tab(5);

        s.onLoad([](form::Form& f) {
            f.set(oneshot::extensionField, ".wmv");
            f.set(oneshot::widthField, "320");
            f.set(oneshot::heightField, "");
            f.set(oneshot::autoStartField, "false");
            f.deselect("Option1");
            f.select("Option2");
        });
        // The model has selected the option (and cleared its partner) when
        // these run.
        s.onClick("Option1", [](form::Form& f) { f.set(oneshot::autoStartField, "true"); });
        s.onClick("Option2", [](form::Form& f) { f.set(oneshot::autoStartField, "false"); });

        return s;
    }();
    return screen;
}

}  // namespace screens
