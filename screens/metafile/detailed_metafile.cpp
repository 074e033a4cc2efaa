// Form3, the detailed metafile: the video lies in a folder of its own and the
// metafile in a sibling folder, so the reference climbs one level ("../") and
// goes down into the video folder. The user types the folder and the video
// name; the five template fields below the window's edge hold the markup.
#include "screens/metafile/detailed_metafile.h"

#include <vector>

#include "screens/button_band.h"
#include "screens/template_rows.h"
#include "screens/conventions.h"
#include "screens/metafile/metafile_parts.h"

namespace screens {

namespace {

// The folder and video name, and the template's fragments in the order
// the metafile reads them.
constexpr const char *folderField = "Text1", *videoField = "Text2";
constexpr const char *asxOpen = "Text4", *refOpen = "Text5", *folderSeparator = "Text3", *refClose = "Text6",
                     *asxClose = "Text7";

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

// A numbered step on the right, from its mark at `top` down: the bold
// prompt, what to type, the field and its half-width hint. The examples
// under the field differ between the steps and follow it.
struct Label {
    const char* name;
    const char* caption;
    int width = 0;
};

struct Field {
    const char* name;
    const char* tip;
    form::DropName dropped;
    int tab;
};

constexpr int entryLeft = 5880;

void entry(form::ScreenDef& s, int top, Label mark, Label prompt, Label explanation, Field field, const char* hint,
           std::vector<std::string> notes)
{
    s.label(mark.name, mark.caption).at(5400, top, 375, 375).font(14, true);
    s.label(prompt.name, prompt.caption).at(entryLeft, top, 2295, 375).font(12, true);
    s.label(explanation.name, explanation.caption).at(entryLeft, top + 420, explanation.width, 255);
    s.text(field.name, "")
        .at(entryLeft, top + 720, 2535, 375)
        .font(12)
        .tooltipText(field.tip)
        .promptedBy(prompt.name)
        .describedBy(std::move(notes))
        .takesDropped(field.dropped)
        .tab(field.tab);
    s.label(hint, "（半角英入力）").at(8520, top + 780, 1695, 255);
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
        entry(s, 840, {"Label13", "①"}, {"Label5(0)", "フォルダー名記入"},
              {"Label16", "ビデオファイルを置くフォルダー名", 4215},
              {folderField, "フォルダー名を半角英で記入", form::DropName::FolderName, 0}, "Label5(1)",
              {"Label13", "Label16", "Label12", "Label15", "Label5(1)"});
        s.label("Label12", "例：wmv").at(entryLeft, 2010, 1455, 255);
        s.label("Label15", "例：wmv/wmv2").at(7440, 2010, 2175, 255);

        // ② the video file name.
        entry(s, 2640, {"Label14", "②"}, {"Label2", "ビデオ名記入"},
              {"Label3", "avi、mpg、wmvの拡張子のついたファイルを記入", 4380},
              {videoField, "ビデオ名を記入", form::DropName::FileName, 1}, "Label5(2)",
              {"Label14", "Label4", "Label3", "Label5(2)"});
        s.label("Label4", "例：kyou01.wmv").at(entryLeft, 3810, 2535, 255);
        s.imageBox("Image2").at(5400, 4320, 480, 480).image("video");

        ButtonBand band(s, 2040, 6060, 225);
        band.strip("Label17", {0, 5760, 10380, 960});
        band.help("Command4").tab(5);
        band.back("Command1", Steps().show(1).unload(2, 13), 1575)
            .captioned("topに戻る")
            .tooltipText("topに戻る")
            .tab(4);
        paint(band.save("Command3", saveMetafile(detailedMetafileLines)), colors::green)
            .tooltipText("asxファイルを保存")
            .tab(2);
        // Only hidden: the entries stay while the detailed pages are made.
        band.next("Command2", Steps().unload(1, 2).hide(3).unload(4, 6).show(7).hide(8, 9).unload(10, 13))
            .tooltipText("詳細htm作成メニュー行く")
            .tab(3);

        TemplateRows(s, 6960)
            .row({{folderSeparator, "/", 615}})
            .row({{asxOpen, "<ASX Version =\"3.0\"><Entry>", 3015}})
            .row({{refOpen, "<Ref href =\"../", 2055}, {refClose, "\">", 615}})
            .row({{asxClose, "</Entry></ASX>", 2055}});
        metafileDialogAndVideo(s, videoField);
        return s;
    }();
    return screen;
}

output::Document detailedMetafileLines(const form::Form& f)
{
    return {
        f.text(asxOpen),
        f.text(refOpen) + f.text(folderField) + f.text(folderSeparator) + f.text(videoField) + f.text(refClose),
        f.text(asxClose),
    };
}

}  // namespace screens
