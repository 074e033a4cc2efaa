// Form2, the simple metafile: the user types the video name, the six template
// fields below the window's edge hold the ASX markup around it.
#include "screens/metafile/simple_metafile.h"

#include "screens/button_band.h"
#include "screens/conventions.h"
#include "screens/template_rows.h"
#include "screens/metafile/metafile_parts.h"

namespace screens {

namespace {

// The video name, and the template's fragments in the order the metafile
// reads them.
constexpr const char* videoField = "Text1";
constexpr const char *asxOpen = "Text2", *asxVersion = "Text3", *entryOpen = "Text4", *refOpen = "Text5",
                     *refClose = "Text6", *entryClose = "Text7";

}  // namespace

const form::ScreenDef& simpleMetafileScreen()
{
    static const form::ScreenDef screen = [] {
        form::ScreenDef s{"Form2", "簡単メタファイル", {9105, 4725}};
        s.label("Label1", "簡単メタファイル").at(240, 240, 8625, 495).centered().font(18, true);
        s.label("Label2", "ビデオ名記入").at(1080, 1200, 2415, 375).font(12, true);
        s.imageBox("Image1").at(480, 1080, 480, 480).image("video");
        s.text(videoField, "")
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

        ButtonBand band(s, 1560, 4080);
        band.strip("Label6", {0, 3720, 9105, 1005});
        band.help("Command4").tab(4);
        band.back("Command3", Steps().show(1).unload(2, 13)).tooltipText("topメニューに戻る").tab(3);
        band.save("Command1", saveMetafile(simpleMetafileLines)).tooltipText("asxファイルに保存します").tab(1);
        band.next("Command2", Steps().unload(1, 3).show(4).unload(5, 13)).tooltipText("htm作成へ行きます。").tab(2);

        TemplateRows(s, 4920)
            .row({{asxOpen, "<ASX Version =", 2055}, {asxVersion, "\"3.0\">", 1215}})
            .row({{entryOpen, "<Entry>", 2055}})
            .row({{refOpen, "<Ref href =\"./", 2055}, {refClose, "\">", 615}})
            .row({{entryClose, "</Entry></ASX>", 2055}});
        metafileDialogAndVideo(s, videoField);
        return s;
    }();
    return screen;
}

output::Document simpleMetafileLines(const form::Form& f)
{
    return {
        f.text(asxOpen) + f.text(asxVersion),
        f.text(entryOpen),
        f.text(refOpen) + f.text(videoField) + f.text(refClose),
        f.text(entryClose),
    };
}

}  // namespace screens
