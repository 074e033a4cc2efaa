// Form2, the simple metafile: the user types the video name, the six template
// fields below the window's edge hold the ASX markup around it.
#include "screens/metafile/simple_metafile.h"

#include "form/screen_ops.h"
#include "screens/conventions.h"
#include "flows/save_document.h"

namespace screens {

using screens::colors::band;

const form::ScreenDef& simpleMetafileScreen()
{
    static const form::ScreenDef screen = [] {
        form::ScreenDef s{"Form2", "簡単メタファイル", {9105, 4725}};
        s.label("Label1", "簡単メタファイル").at(240, 240, 8625, 495).centered().font(18, true);
        s.label("Label2", "ビデオ名記入").at(1080, 1200, 2415, 375).font(12, true);
        s.imageBox("Image1").at(480, 1080, 480, 480).image("video");
        s.text("Text1", "")
            .at(1080, 1680, 3255, 375)
            .font(12)
            .tooltipText("ビデオ名を記入拡張子を忘れずに。")
            .promptedBy("Label2")
            .describedBy({"Label4", "Label5", "Label3"})
            .takesDropped(form::DropName::FileName)
            .tab(0);
        s.label("Label5", "（半角英入力）").at(4440, 1740, 1935, 255);
        s.label("Label4", "例：kyou01.wmv").at(1080, 2160, 3255, 255);
        s.label("Label3", "avi、mpg、wmvの拡張子のついたファイルを記入").at(1080, 2520, 6615, 255);
        paint(s.label("Label6", "").at(0, 3720, 9105, 1005), band);
        paint(s.button("Command4", "?").named("ヘルプ").at(1560, 4080, 735, 375).tab(4), screens::colors::help);
        paint(s.button("Command3", "戻る").at(2640, 4080, 1215, 375).tooltipText("topメニューに戻る").tab(3),
              screens::colors::back);
        paint(s.button("Command1", "保存").at(4200, 4080, 1215, 375).tooltipText("asxファイルに保存します").tab(1),
              screens::colors::save);
        paint(s.button("Command2", "次").at(5760, 4080, 1215, 375).tooltipText("htm作成へ行きます。").tab(2),
              screens::colors::next);

        // Template fields, in a column below the window's bottom edge.
        s.text("Text2", "<ASX Version =").at(240, 4920, 2055, 285);
        s.text("Text3", "\"3.0\">").at(2400, 4920, 1215, 285);
        s.text("Text4", "<Entry>").at(240, 5280, 2055, 285);
        s.text("Text5", "<Ref href =\"./").at(240, 5640, 2055, 285);
        s.text("Text6", "\">").at(2400, 5640, 615, 285);
        s.text("Text7", "</Entry></ASX>").at(240, 6000, 2055, 285);
        s.dialog("CommonDialog1", "asx", "メタファイル(*.asx)|*.asx").startingIn(designFolder);

        s.onLoad([](form::Form& f) { f.set("Text1", ".wmv"); });
        s.onClick("Command1", [](form::Form& f) {
            flows::SaveDocument(f, simpleMetafileLines(f), flows::metafileFilterAfterSave);
        });
        s.onClick("Command2",
                  [](form::Form& f) { form::SwitchScreen(f, screens::Steps().unload(1, 3).show(4).unload(5, 13)); });
        s.onClick("Command3", [](form::Form& f) { form::SwitchScreen(f, screens::Steps().show(1).unload(2, 13)); });
        s.onClick("Command4", [](form::Form& f) { form::ShowHelp(f); });
        return s;
    }();
    return screen;
}

output::Document simpleMetafileLines(const form::Form& f)
{
    return {
        f.text("Text2") + f.text("Text3"),
        f.text("Text4"),
        f.text("Text5") + f.text("Text1") + f.text("Text6"),
        f.text("Text7"),
    };
}

}  // namespace screens
