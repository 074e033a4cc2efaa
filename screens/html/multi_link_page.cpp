// Form11, the multi-link popup page: five rows of link text and metafile name
// become five text links, one under the other, in a one-cell table whose
// block the user aligns. The markup around the names lives in template fields
// below the window's bottom edge.
#include "screens/html/multi_link_page.h"

#include <array>
#include <string>

#include "flows/save_document.h"
#include "screens/button_band.h"
#include "screens/conventions.h"
#include "screens/html/link_rows.h"

namespace screens {

namespace {

constexpr std::array<LinkRow, 5> rows = linkRows(2280);

// The block's alignment, which the options set, and the template's
// fragments in the order the page reads them; the link rows are above.
constexpr const char *alignField = "Text16", *pageOpen = "Text17", *blockOpen = "Text18", *tableOpen = "Text19",
                     *lineBreak = "Text20", *linkOpen = "Text21", *linkTargetClose = "Text22", *linkClose = "Text23",
                     *pageClose = "Text24";

struct Alignment {
    const char* option;
    const char* value;  // written into the page's DIV
    int blockLeft;      // where the preview block stands inside Picture1
};

// The right position lets the block run past the browser picture's edge,
// where the picture clips it: the user sees it pressed against the right side.
constexpr std::array<Alignment, 3> alignments{{
    {"Option7", "left", 120},
    {"Option6", "center", 960},
    {"Option8", "right", 2060},
}};

constexpr int previewBlockTop = 1200;

const char* const previewHint = "チェックボタンを選択　文字表示が移動";

void alignTo(form::Form& f, const Alignment& a)
{
    f.set(alignField, a.value);
    f.move("Picture2", a.blockLeft, previewBlockTop);
}

}  // namespace

const form::ScreenDef& multiLinkPageScreen()
{
    static const form::ScreenDef screen = [] {
        form::ScreenDef s{"Form11", "その他　1", {10725, 6540}};

        int tab = 0;
        for (const LinkRow& row : rows) {
            s.text(row.comment, "")
                .at(4800, row.top, 3255, 495)
                .tooltipText("全角日本語を記入")
                .promptedBy("Label2")
                .describedBy({"Label3"})
                .tab(tab++);
            s.text(row.target, "")
                .at(8520, row.top, 1455, 495)
                .tooltipText("事前に作成したasxファイルを記入")
                .promptedBy("Label4")
                .describedBy({"Label5"})
                .takesDropped(form::DropName::FileName)
                .tab(tab++);
        }

        s.label("Label1", "多重文字ポップアップ形式").at(240, 240, 10245, 405).centered().font(14.25, true);
        s.label("Label2", "コメント記入").at(4800, 1080, 3255, 255).font(0, true);
        s.label("Label3", "例：ここをクリックすると見れます。")
            .at(4800, 1560, 3255, 255)
            .tooltipText("全角日本語を記入");
        s.label("Label4", "asxファイルにリンク").at(8520, 1080, 1935, 255).font(0, true);
        s.label("Label5", "例：abc.asx（半角入力）")
            .at(8520, 1560, 2175, 255)
            .tooltipText("事前に作成したasxファイルを記入");

        s.picture("Picture1").at(240, 1080, 3735, 3855).image("browser", true).tooltipText(previewHint).tab(tab++);
        s.picture("Picture2").at(840, previewBlockTop, 1935, 1455).inside("Picture1").noBorder().tab(tab++);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            s.text(rows[i].preview, "")
                .at(0, static_cast<int>(i) * 240, 1815, 240)
                .inside("Picture2")
                .backColor(192, 255, 255)
                .noBorder()
                .font(5.25)
                .previews(rows[i].comment)
                .tab(tab++);
        }

        s.option("Option7", "左端").at(360, 5040, 1095, 255).tooltipText(previewHint).groupNamed("位置").tab(tab++);
        s.option("Option6", "中").at(1680, 5040, 855, 255).tooltipText(previewHint).tab(tab++);
        s.option("Option8", "右端").at(2880, 5040, 1095, 255).tooltipText(previewHint).tab(tab++);

        // Tab order after the options: the buttons, the template fields, help last.
        constexpr int commandTab = 20;
        constexpr int templateTab = commandTab + 3;
        ButtonBand band(s, 2640, 5880);
        band.strip("Label6", {0, 5640, 10695, 975});
        band.help("Command4").tab(templateTab + 9);
        band.back("Command3", Steps().unload(1, 9).show(10).unload(11, 12))
            .tooltipText("その他のメニューに戻る")
            .tab(commandTab + 2);
        band.save("Command1", [](form::Form& f) { flows::SaveDocument(f, multiLinkPageLines(f)); })
            .tooltipText("ｈｔｍファイルを保存")
            .tab(commandTab);
        band.exit("Command2").tooltipText("終了").tab(commandTab + 1);

        // Template fields, in rows shaped like the page's lines, below the
        // window's bottom edge.
        s.text(pageOpen, "<HTML><HEAD><TITLE></TITLE></HEAD>").at(240, 7320, 4455, 285).tab(templateTab + 1);
        s.text(blockOpen, "<BODY><DIV align=\"").at(240, 7800, 2055, 285).tab(templateTab + 2);
        s.text(alignField, "").at(2400, 7800, 1095, 285).tab(templateTab);
        s.text(tableOpen, "\"><TABLE><TBODY><TR><TD><BR>").at(3600, 7800, 3015, 285).tab(templateTab + 3);
        s.text(lineBreak, "<BR>").at(240, 8160, 615, 285).tab(templateTab + 4);
        s.text(linkOpen, "<A href=\"./").at(960, 8160, 1215, 285).tab(templateTab + 5);
        s.text(linkTargetClose, "\">").at(2280, 8160, 495, 285).tab(templateTab + 6);
        s.text(linkClose, "</A><BR>").at(2880, 8160, 1095, 285).tab(templateTab + 7);
        s.text(pageClose, "</A></TD></TR></TBODY></DIV></TABLE></BODY></HTML>")
            .at(240, 8760, 5055, 285)
            .tab(templateTab + 8);
        s.dialog("CommonDialog1", "htm", "ハイパーテキスト(*.htm)|*.htm").startingIn(designFolder);

        s.onLoad([](form::Form& f) {
            f.select("Option6");
            f.set(alignField, "center");
            f.move("Picture2", 960, previewBlockTop);
            for (const LinkRow& row : rows) {
                f.set(row.target, ".asx");
            }
        });
        for (const Alignment& a : alignments) {
            s.onClick(a.option, [&a](form::Form& f) { alignTo(f, a); });
        }
        return s;
    }();
    return screen;
}

output::Document multiLinkPageLines(const form::Form& f)
{
    output::Document lines{
        f.text(pageOpen),
        f.text(blockOpen) + f.text(alignField) + f.text(tableOpen),
    };
    for (const LinkRow& row : rows) {
        lines.push_back(f.text(lineBreak) + f.text(linkOpen) + f.text(row.target) + f.text(linkTargetClose) +
                        f.text(row.comment) + f.text(linkClose));
    }
    lines.push_back(f.text(pageClose));
    return lines;
}

}  // namespace screens
