// Form3, the detailed metafile: the video lies in a folder of its own and the
// metafile in a sibling folder, so the reference climbs one level ("../") and
// goes down into the video folder. The user types the folder and the video
// name; the five template fields below the window's edge hold the markup.
#include "screens/metafile/detailed_metafile.h"

#include "form/screen_ops.h"
#include "screens/conventions.h"
#include "flows/save_document.h"

namespace screens {

namespace {

// The explanation on the left: a small drawing of the site, a server with
// one folder for each kind of file under it. Coordinates are inside Frame1.
void siteDiagram(form::ScreenDef& s)
{
    s.frame("Frame1", "説明").at(240, 720, 4935, 4800).tooltipText("ご自分でフォルダーを作成してください。");
    s.imageBox("Image1").at(240, 360, 480, 480).inside("Frame1").image("server");
    s.label("Label6", "サーバー").at(840, 360, 1455, 255).inside("Frame1").font(9, true);
    s.label("Label7", "www.example.jp").at(840, 630, 3855, 255).inside("Frame1");
    // The server's ground line, the trunk down to the folders, one branch each.
    s.line("Line1", 240, 960, 4680, 960).inside("Frame1");
    s.line("Line5", 480, 960, 480, 3960).inside("Frame1");
    s.label("Label11", "各ファイルを入れるフォルダー（ご自分で作成したフォルダー）")
        .at(720, 1140, 3975, 495)
        .inside("Frame1");
    s.line("Line2", 480, 2160, 840, 2160).inside("Frame1");
    s.label("Label8", "ビデオを入れるフォルダー").at(960, 2040, 3735, 255).inside("Frame1");
    s.line("Line3", 480, 3060, 840, 3060).inside("Frame1");
    s.label("Label9", "メタファイルを入れるフォルダー").at(960, 2940, 3735, 255).inside("Frame1");
    s.line("Line4", 480, 3960, 840, 3960).inside("Frame1");
    s.label("Label10", "ｈｔｍを入れるフォルダー").at(960, 3840, 3735, 255).inside("Frame1");
}

}  // namespace

const form::ScreenDef& detailedMetafileScreen()
{
    static const form::ScreenDef screen = [] {
        form::ScreenDef s{"Form3", "詳細メタファイル作成", {10380, 6720}};
        s.label("Label1", "詳細メタファイル作成").at(240, 120, 9900, 495).centered().font(18, true);
        s.imageBox("Image3").at(9600, 120, 480, 480).image("folder");
        siteDiagram(s);

        // ① the folder that holds the video.
        s.label("Label13", "①").at(5400, 840, 375, 375).font(14, true);
        s.label("Label5(0)", "フォルダー名記入").at(5880, 840, 2295, 375).font(12, true);
        s.label("Label16", "ビデオファイルを置くフォルダー名").at(5880, 1260, 4215, 255);
        s.text("Text1", "")
            .at(5880, 1560, 2535, 375)
            .font(12)
            .tooltipText("フォルダー名を半角英で記入")
            .promptedBy("Label5(0)")
            .describedBy({"Label13", "Label16", "Label12", "Label15", "Label5(1)"})
            .takesDropped(form::DropName::FolderName)
            .tab(0);
        s.label("Label5(1)", "（半角英入力）").at(8520, 1620, 1695, 255);
        s.label("Label12", "例：wmv").at(5880, 2010, 1455, 255);
        s.label("Label15", "例：wmv/wmv2").at(7440, 2010, 2175, 255);

        // ② the video file name.
        s.label("Label14", "②").at(5400, 2640, 375, 375).font(14, true);
        s.label("Label2", "ビデオ名記入").at(5880, 2640, 2295, 375).font(12, true);
        s.label("Label3", "avi、mpg、wmvの拡張子のついたファイルを記入").at(5880, 3060, 4380, 255);
        s.text("Text2", "")
            .at(5880, 3360, 2535, 375)
            .font(12)
            .tooltipText("ビデオ名を記入")
            .promptedBy("Label2")
            .describedBy({"Label14", "Label4", "Label3", "Label5(2)"})
            .takesDropped(form::DropName::FileName)
            .tab(1);
        s.label("Label5(2)", "（半角英入力）").at(8520, 3420, 1695, 255);
        s.label("Label4", "例：kyou01.wmv").at(5880, 3810, 2535, 255);
        s.imageBox("Image2").at(5400, 4320, 480, 480).image("video");

        paint(s.label("Label17", "").at(0, 5760, 10380, 960), screens::colors::band);
        paint(s.button("Command4", "?").named("ヘルプ").at(2040, 6060, 735, 375).tab(5), screens::colors::help);
        paint(s.button("Command1", "topに戻る").at(3000, 6060, 1575, 375).tooltipText("topに戻る").tab(4),
              screens::colors::back);
        paint(s.button("Command3", "保存").at(4800, 6060, 1215, 375).tooltipText("asxファイルを保存").tab(2),
              screens::colors::green);
        paint(s.button("Command2", "次").at(6240, 6060, 1215, 375).tooltipText("詳細htm作成メニュー行く").tab(3),
              screens::colors::next);

        // Template fields, in a column below the window's bottom edge.
        s.text("Text3", "/").at(240, 6960, 615, 285);
        s.text("Text4", "<ASX Version =\"3.0\"><Entry>").at(240, 7320, 3015, 285);
        s.text("Text5", "<Ref href =\"../").at(240, 7680, 2055, 285);
        s.text("Text6", "\">").at(2400, 7680, 615, 285);
        s.text("Text7", "</Entry></ASX>").at(240, 8040, 2055, 285);
        s.dialog("CommonDialog1", "asx", "メタファイル(*.asx)|*.asx").startingIn(designFolder);

        s.onLoad([](form::Form& f) { f.set("Text2", ".wmv"); });
        s.onClick("Command3", [](form::Form& f) {
            flows::SaveDocument(f, detailedMetafileLines(f), flows::metafileFilterAfterSave);
        });
        // Only hidden: the entries stay while the detailed pages are made.
        s.onClick("Command2", [](form::Form& f) {
            form::SwitchScreen(f, screens::Steps().unload(1, 2).hide(3).unload(4, 6).show(7).hide(8, 9).unload(10, 13));
        });
        s.onClick("Command1", [](form::Form& f) { form::SwitchScreen(f, screens::Steps().show(1).unload(2, 13)); });
        s.onClick("Command4", [](form::Form& f) { form::ShowHelp(f); });
        return s;
    }();
    return screen;
}

output::Document detailedMetafileLines(const form::Form& f)
{
    return {
        f.text("Text4"),
        f.text("Text5") + f.text("Text1") + f.text("Text3") + f.text("Text2") + f.text("Text6"),
        f.text("Text7"),
    };
}

}  // namespace screens
