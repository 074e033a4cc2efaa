// Form11, the multi-link popup page: five rows of link text and metafile name
// become five text links, one under the other, in a one-cell table whose
// block the user aligns. The markup around the names lives in template fields
// below the window's bottom edge.
#include "screens/html/multi_link_page.h"

#include <array>
#include <string>

#include "form/screen_ops.h"
#include "screens/conventions.h"
#include "flows/save_document.h"

namespace screens {

namespace {

struct LinkRow {
    const char* comment;   // the link text the user types
    const char* metafile;  // the metafile the link starts
    const char* preview;   // the row of the miniature page that shows the link text
    int top;               // of the comment and metafile fields
};

constexpr std::array<LinkRow, 5> rows{{
    {"Text1", "Text11", "Text6", 2280},
    {"Text2", "Text12", "Text7", 2880},
    {"Text3", "Text13", "Text8", 3480},
    {"Text4", "Text14", "Text9", 4080},
    {"Text5", "Text15", "Text10", 4680},
}};

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
    f.set("Text16", a.value);
    f.move("Picture2", a.blockLeft, previewBlockTop);
}

// A preview row always shows its comment. Run on a change of either field,
// it also undoes whatever is typed into the preview row; once the two agree
// the assignment changes nothing and the chain stops.
void mirrorRow(form::Form& f, const LinkRow& row)
{
    f.set(row.preview, f.text(row.comment));
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
            s.text(row.metafile, "")
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
        paint(s.label("Label6", "").at(0, 5640, 10695, 975), screens::colors::band);
        paint(s.button("Command4", "?").named("ヘルプ").at(2640, 5880, 735, 375).tab(templateTab + 9),
              screens::colors::help);
        paint(s.button("Command3", "戻る")
                  .at(3720, 5880, 1215, 375)
                  .tooltipText("その他のメニューに戻る")
                  .tab(commandTab + 2),
              screens::colors::back);
        paint(
            s.button("Command1", "保存").at(5280, 5880, 1215, 375).tooltipText("ｈｔｍファイルを保存").tab(commandTab),
            screens::colors::save);
        paint(s.button("Command2", "終了").at(6840, 5880, 1215, 375).tooltipText("終了").tab(commandTab + 1),
              screens::colors::grey);

        // Template fields, in rows shaped like the page's lines, below the
        // window's bottom edge.
        s.text("Text17", "<HTML><HEAD><TITLE></TITLE></HEAD>").at(240, 7320, 4455, 285).tab(templateTab + 1);
        s.text("Text18", "<BODY><DIV align=\"").at(240, 7800, 2055, 285).tab(templateTab + 2);
        s.text("Text16", "").at(2400, 7800, 1095, 285).tab(templateTab);
        s.text("Text19", "\"><TABLE><TBODY><TR><TD><BR>").at(3600, 7800, 3015, 285).tab(templateTab + 3);
        s.text("Text20", "<BR>").at(240, 8160, 615, 285).tab(templateTab + 4);
        s.text("Text21", "<A href=\"./").at(960, 8160, 1215, 285).tab(templateTab + 5);
        s.text("Text22", "\">").at(2280, 8160, 495, 285).tab(templateTab + 6);
        s.text("Text23", "</A><BR>").at(2880, 8160, 1095, 285).tab(templateTab + 7);
        s.text("Text24", "</A></TD></TR></TBODY></DIV></TABLE></BODY></HTML>")
            .at(240, 8760, 5055, 285)
            .tab(templateTab + 8);
        s.dialog("CommonDialog1", "htm", "ハイパーテキスト(*.htm)|*.htm").startingIn(designFolder);

        s.onLoad([](form::Form& f) {
            f.select("Option6");
            f.set("Text16", "center");
            f.move("Picture2", 960, previewBlockTop);
            for (const LinkRow& row : rows) {
                f.set(row.metafile, ".asx");
            }
        });
        for (const Alignment& a : alignments) {
            s.onClick(a.option, [&a](form::Form& f) { alignTo(f, a); });
        }
        for (const LinkRow& row : rows) {
            s.onChange(row.comment, [&row](form::Form& f) { mirrorRow(f, row); });
            s.onChange(row.preview, [&row](form::Form& f) { mirrorRow(f, row); });
        }
        s.onClick("Command1", [](form::Form& f) { flows::SaveDocument(f, multiLinkPageLines(f)); });
        s.onClick("Command3",
                  [](form::Form& f) { form::SwitchScreen(f, screens::Steps().unload(1, 9).show(10).unload(11, 12)); });
        s.onClick("Command2", [](form::Form& f) { form::ExitProgram(f); });
        s.onClick("Command4", [](form::Form& f) { form::ShowHelp(f); });
        return s;
    }();
    return screen;
}

output::Document multiLinkPageLines(const form::Form& f)
{
    output::Document lines{
        f.text("Text17"),
        f.text("Text18") + f.text("Text16") + f.text("Text19"),
    };
    for (const LinkRow& row : rows) {
        lines.push_back(f.text("Text20") + f.text("Text21") + f.text(row.metafile) + f.text("Text22") +
                        f.text(row.comment) + f.text("Text23"));
    }
    lines.push_back(f.text("Text24"));
    return lines;
}

}  // namespace screens
