// Form12, the link menu page: an inline frame named "sample" shows a title
// page, a menu beside it holds five links that open other pages in that frame.
// The user sets the frame width (the height follows), the title page and the
// five links; the markup comes from hidden template fields.
#include "screens/html/link_menu_page.h"

#include <array>
#include <string>

#include "flows/save_document.h"
#include "screens/button_band.h"
#include "screens/conventions.h"
#include "screens/html/link_rows.h"
#include "screens/template_rows.h"
#include "screens/html/height_from_width.h"

namespace screens {

namespace {

constexpr std::array<LinkRow, 5> rows = linkRows(4080);

// The fields the user fills besides the link rows, and the menu preview's
// fixed heading.
constexpr const char *widthField = "Text16", *heightField = "Text17", *titlePageField = "Text31",
                     *menuHeading = "Text18";
// The template's fragments, in the order the page reads them.
constexpr const char *doctype = "Text19", *pageOpen = "Text20", *frameOpen = "Text21", *frameHeight = "Text22",
                     *frameWidth = "Text23", *frameClose = "Text24", *menuOpen = "Text25", *linkOpen = "Text26",
                     *linkTargetClose = "Text27", *linkClose = "Text28", *lastLinkClose = "Text29",
                     *pageClose = "Text30";

// Positions of the preview's pictures in its one layout, "デフォルト".
constexpr int browserLeft = 120;
constexpr int frameTop = 1200;
constexpr int menuLeft = 1440;
constexpr int menuTop = 1200;

void placePreview(form::Form& f)
{
    f.move("Picture1", browserLeft, f.rect("Picture1").top);
    f.move("Picture2", f.rect("Picture2").left, frameTop);
    f.move("Picture3", menuLeft, menuTop);
}

void save(form::Form& f)
{
    // Without a number in the width there is no height to write: the page
    // would carry an empty "height=", so nothing is asked for or written.
    if (HeightFromWidth(f.text(widthField)).empty()) {
        f.program().message(&f, widthNotNumberMessage);
        return;
    }
    flows::SaveDocument(f, linkMenuPageLines(f));
}

}  // namespace

const form::ScreenDef& linkMenuPageScreen()
{
    static const form::ScreenDef screen = [] {
        form::ScreenDef s{"Form12", "その他　2", {12075, 10125}};
        const char* const linkTextHint = "日本語全角入力";
        const char* const targetHint = "事前に作成したｈｔｍ名入力";

        s.label("Label1", "多重文字エンベッド形式").at(120, 120, 11835, 405).centered().font(14.25, true);

        // ① the frame size
        s.label("Label12", "①").at(4320, 840, 375, 375).font(12, true);
        s.label("Label8", "幅").at(4800, 900, 375, 255);
        s.text(widthField, "")
            .at(5280, 840, 1215, 375)
            .tooltipText("幅を記入")
            .promptedBy("Label8")
            .describedBy({"Label12"})
            .tab(0);
        s.label("Label9", "高さ").at(6720, 900, 495, 255);
        s.text(heightField, "")
            .at(7320, 840, 1215, 375)
            .tooltipText("幅を記入すると高さ自動入力")
            .promptedBy("Label9")
            .readOnlyField()
            .computedFromField(widthField, HeightFromWidth);

        // ② the title page shown in the frame
        s.label("Label13", "②").at(4320, 1680, 375, 375).font(12, true);
        s.label("Label10", "タイトルページ").at(4800, 1680, 1815, 255).font(0, true);
        s.label("Label7", "すでに作成してあるｈｔｍ").at(6720, 1680, 3255, 255);
        s.label("Label4(1)", "htmファイルにリンク").at(4800, 2040, 1815, 255);
        s.label("Label11", "例：abc.htm（半角入力）").at(6720, 2040, 2655, 255);
        s.text(titlePageField, "")
            .at(4800, 2400, 3255, 375)
            .tooltipText("タイトルｈｔｍは事前に作成してください")
            .promptedBy("Label10")
            .describedBy({"Label13", "Label7", "Label11"})
            .takesDropped(form::DropName::FileName)
            .tab(1);

        // ③ the five links
        s.label("Label14", "③").at(4320, 3240, 375, 375).font(12, true);
        s.label("Label2", "コメント記入").at(4800, 3240, 1815, 255).font(0, true);
        s.label("Label3", "例：ここをクリックすると見れます。").at(4800, 3600, 3615, 255).tooltipText(linkTextHint);
        s.label("Label4(0)", "htmファイルにリンク").at(9000, 3240, 1815, 255).font(0, true);
        s.label("Label5", "例：abc.htm（半角入力）").at(9000, 3600, 2655, 255).tooltipText(targetHint);
        int tab = 2;
        for (const LinkRow& row : rows) {
            s.text(row.comment, "")
                .at(4800, row.top, 3855, 375)
                .tooltipText(linkTextHint)
                .promptedBy("Label2")
                .describedBy({"Label14", "Label3"})
                .tab(tab++);
            s.text(row.target, "")
                .at(9000, row.top, 2775, 375)
                .tooltipText(targetHint)
                .promptedBy("Label4(0)")
                .describedBy({"Label5"})
                .takesDropped(form::DropName::FileName)
                .tab(tab++);
        }

        // The preview: a browser with the frame on the left and the menu beside it.
        s.picture("Picture1").at(browserLeft, 840, 3735, 3855).image("browser", true);
        s.picture("Picture2").at(240, frameTop, 1095, 1035).inside("Picture1").image("player", true);
        s.picture("Picture3").at(menuLeft, menuTop, 1935, 1455).inside("Picture1").noBorder();
        // The heading only shows the fixed "メニュー" of the page's menu.
        s.text(menuHeading, "")
            .named("メニューの見出しのプレビュー")
            .at(0, 0, 1815, 240)
            .inside("Picture3")
            .backColor(192, 255, 255)
            .noBorder()
            .font(5.25)
            .readOnlyField();
        const int previewTab = tab + 5;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            s.text(rows[i].preview, "")
                .at(0, 240 * (static_cast<int>(i) + 1), 1815, 240)
                .inside("Picture3")
                .backColor(192, 255, 255)
                .noBorder()
                .font(5.25)
                .previews(rows[i].comment)
                .tab(previewTab + static_cast<int>(i));
        }
        s.option("Option1", "デフォルト").at(120, 4800, 1455, 255).groupNamed("メニューの位置").tab(tab + 4);

        // What the page combines: a page with a frame plus a page with a player.
        s.imageBox("Image1").at(120, 5400, 1695, 2655).image("frame_page", true);
        s.label("Label6", "+").at(1875, 6480, 315, 375).centered().font(12, true);
        s.imageBox("Image2").at(2280, 5400, 1695, 2655).image("player_page", true);

        s.line("Line1", 120, 660, 11955, 660);
        s.line("Line2", 4080, 840, 4080, 8040);
        s.line("Line3", 4320, 1440, 11955, 1440);
        s.line("Line4", 4320, 3000, 11955, 3000);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const int y = rows[i].top + 187;
            s.line("Line" + std::to_string(5 + i), 8715, y, 8895, y);
        }
        s.line("Line10", 120, 8280, 11955, 8280);

        ButtonBand band(s, 3360, 9240);
        band.strip("Label15", {0, 8640, 12075, 1485});
        band.help("Command4").tab(tab + 3);
        band.back("Command3", Steps().unload(1, 9).show(10).unload(11, 13))
            .tooltipText("その他のメニューに戻る")
            .tab(tab + 2);
        band.save("Command1", save).tooltipText("ｈｔｍを保存").tab(tab);
        band.exit("Command2").tooltipText("終了").tab(tab + 1);

        // Template fields: hidden, in rows shaped like the page's lines, below
        // the window's bottom edge.
        TemplateRows(s, 10320, TemplateRows::Shown::No)
            .row({{doctype, "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">", 5055}})
            .row({{pageOpen, "<HTML><HEAD><TITLE></TITLE></HEAD><BODY bgcolor=\"#a7fef3\">", 5655}})
            .row({{frameOpen, "<iframe src=\"./", 1335},
                  {frameHeight, "\" name=\"sample\" height=", 2175},
                  {frameWidth, " width=", 615},
                  {frameClose, " scrolling=no align=left marginwidth=0 marginheight=0></iframe>", 5655}})
            .row({{menuOpen, "<TABLE><TBODY><TR><TD></TD><TD>メニュー<BR>", 4215}})
            .row({{linkOpen, "<BR><A href=\"./", 1455},
                  {linkTargetClose, "\" target=\"sample\">", 1815},
                  {linkClose, "</A><BR>", 1095},
                  {lastLinkClose, "</A></TD>", 1095}})
            .row({{pageClose, "</TR></TBODY></TABLE></BODY></HTML>", 3975}});
        s.dialog("CommonDialog1", "htm", "ハイパーテキスト(*.htm)|*.htm").startingIn(designFolder);

        s.onLoad([](form::Form& f) {
            f.select("Option1");
            f.set(widthField, "320");
            f.set(heightField, "304");
            f.set(menuHeading, "メニュー");
            f.set(titlePageField, ".htm");
            for (const LinkRow& row : rows) {
                f.set(row.target, ".htm");
            }
        });
        s.onClick("Option1", placePreview);
        return s;
    }();
    return screen;
}

output::Document linkMenuPageLines(const form::Form& f)
{
    const auto link = [&f](const LinkRow& row, const char* end) {
        return f.text(linkOpen) + f.text(row.target) + f.text(linkTargetClose) + f.text(row.comment) + f.text(end);
    };
    return {
        f.text(doctype),
        f.text(pageOpen),
        f.text(frameOpen) + f.text(titlePageField) + f.text(frameHeight) + f.text(heightField) + f.text(frameWidth) +
            f.text(widthField) + f.text(frameClose),
        f.text(menuOpen),
        link(rows[0], linkClose),
        link(rows[1], linkClose),
        link(rows[2], linkClose),
        link(rows[3], linkClose),
        link(rows[4], lastLinkClose),
        f.text(pageClose),
    };
}

}  // namespace screens
