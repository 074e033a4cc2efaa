// Form5 and Form8, the popup pages. Both are one builder: the preview that
// moves with the alignment, the comment mirrored into it, the metafile name,
// the template fields of the three page lines and the buttons. The detailed
// page adds the folder step and the "/" between folder and metafile name.
#include "screens/html/popup_page.h"

#include <algorithm>
#include <string>
#include <vector>

#include "form/screen_ops.h"
#include "screens/conventions.h"
#include "flows/save_document.h"

namespace screens {

namespace {

// Where the twins differ. Positions in twips.
struct PopupTwin {
    const char* screen;
    const char* caption;
    form::Size client;
    const char* title;
    int previewLeft;  // Picture1; the option row starts under it
    int optionTop;
    int fieldsLeft;        // the column of the numbered steps on the right
    int nameTop;           // Text1
    int commentTop;        // Text2
    const char* nameMark;  // step mark of the metafile name: label, caption
    const char* nameMarkText;
    const char* commentMark;
    const char* commentMarkText;
    const char* previewTip;
    const char* nameTip;
    const char* commentTip;
    const char* linkStart;  // Text7: closes the alignment, opens the link
    int line2Shift;         // room for the detailed page's "/" field in the second row
    int templateTops[3];    // one row per page line
    bool firstLineHidden;   // the first row would reach into the client area
    const char* bandName;
    form::Rect band;
    int buttonTop;
    const char* backTip;
    const char* saveTip;
    const char* exitTip;
    form::Steps back;
    std::vector<std::string> tabOrder;
    output::Document (*lines)(const form::Form&);
};

constexpr int previewWidth = 3735;
constexpr int previewHeight = 3255;
constexpr int previewTextWidth = 2055;
constexpr int previewTextTop = 1440;

struct Alignment {
    const char* option;
    const char* value;  // the page's align attribute
    int previewLeft;    // flush left, centred, flush right inside the preview
};

constexpr Alignment alignments[] = {
    {"Option1", "left", 0},
    {"Option2", "center", (previewWidth - previewTextWidth) / 2},
    {"Option3", "right", previewWidth - previewTextWidth},
};

void align(form::Form& f, const Alignment& a)
{
    f.set("Text6", a.value);
    f.move("Text3", a.previewLeft, previewTextTop);
}

int tabIndex(const PopupTwin& t, const std::string& control)
{
    const auto it = std::find(t.tabOrder.begin(), t.tabOrder.end(), control);
    return it == t.tabOrder.end() ? -1 : static_cast<int>(it - t.tabOrder.begin());
}

// A numbered step on the right: its mark, the prompt and the example above
// the field at `fieldTop`.
void stepLabels(form::ScreenDef& s, const PopupTwin& t, const char* markName, const char* mark, const char* promptName,
                const char* prompt, const char* exampleName, const char* example, int fieldTop)
{
    s.label(markName, mark).at(t.fieldsLeft - 480, fieldTop - 780, 375, 375).font(14, true);
    s.label(promptName, prompt).at(t.fieldsLeft, fieldTop - 720, 4455, 255);
    s.label(exampleName, example).at(t.fieldsLeft, fieldTop - 420, 4455, 255);
}

form::ScreenDef popupPage(const PopupTwin& t)
{
    form::ScreenDef s{t.screen, t.caption, t.client};
    const int width = t.client.width;
    const auto tab = [&t](const std::string& control) { return tabIndex(t, control); };

    s.label("Label1", t.title).at(240, 120, width - 480, 495).centered().font(18, true);
    s.label("Label2", "文字をクリックするとストリーミングがスタートする形式").at(240, 660, width - 480, 255).centered();
    s.label("Label8", "①").at(t.previewLeft, 1020, 375, 375).font(14, true);
    s.label("Label9", "位置決め").at(t.previewLeft + 480, 1080, 1455, 255);
    s.picture("Picture1")
        .at(t.previewLeft, 1440, previewWidth, previewHeight)
        .image("browser", true)
        .tooltipText(t.previewTip)
        .tab(tab("Picture1"));
    s.label("Label7", "位置").at(t.previewLeft, t.optionTop - 300, 1215, 255).tooltipText(t.previewTip);
    s.option("Option1", "左端")
        .at(t.previewLeft, t.optionTop, 1335, 375)
        .tooltipText(t.previewTip)
        .promptedBy("Label7")
        .tab(tab("Option1"));
    s.option("Option2", "中心")
        .at(t.previewLeft + 1560, t.optionTop, 1335, 375)
        .tooltipText(t.previewTip)
        .tab(tab("Option2"));
    s.option("Option3", "右端")
        .at(t.previewLeft + 3120, t.optionTop, 1335, 375)
        .tooltipText(t.previewTip)
        .tab(tab("Option3"));

    stepLabels(s, t, t.nameMark, t.nameMarkText, "Label4", "保存したasxファイルの名前を記入", "Label5",
               "例：hoge.asx（半角入力）", t.nameTop);
    s.text("Text1", "")
        .at(t.fieldsLeft, t.nameTop, 2055, 375)
        .tooltipText(t.nameTip)
        .promptedBy("Label4")
        .describedBy({t.nameMark, "Label5"})
        .takesDropped(form::DropName::FileName)
        .tab(tab("Text1"));
    stepLabels(s, t, t.commentMark, t.commentMarkText, "Label6", ".コメント記入", "Label3",
               "例：　家族の映像です。クリックしてね。", t.commentTop);
    s.text("Text2", "")
        .at(t.fieldsLeft, t.commentTop, 4455, 375)
        .tooltipText(t.commentTip)
        .promptedBy("Label6")
        .describedBy({t.commentMark, "Label3"})
        .tab(tab("Text2"));
    // Declared after the comment, so that a character the page cannot hold
    // is reported against the comment the user typed, not its preview.
    paint(s.text("Text3", "")
              .at(840, previewTextTop, previewTextWidth, 255)
              .inside("Picture1")
              .noBorder()
              .font(5.25)
              .previews("Text2")
              .tab(tab("Text3")),
          screens::colors::lightGreen);

    // The page's fragments, in rows that mirror its lines, out of view. The
    // user never sees them, so keystrokes must not reach them either.
    const auto& [line1, line2, line3] = t.templateTops;
    auto& first = s.text("Text4", "<HTML><HEAD><TITLE></TITLE></HEAD><BODY>")
                      .at(240, line1, 4455, 285)
                      .readOnlyField()
                      .tab(tab("Text4"));
    if (t.firstLineHidden) {
        first.hidden();
    }
    s.text("Text5", "<P align=\"").at(240, line2, 1095, 285).readOnlyField().tab(tab("Text5"));
    s.text("Text6", "").at(1380, line2, 855, 285).readOnlyField().tab(tab("Text6"));
    s.text("Text7", t.linkStart).at(2280, line2, 1815, 285).readOnlyField().tab(tab("Text7"));
    s.text("Text8", "\" target=\"_self\">").at(4140 + t.line2Shift, line2, 1575, 285).readOnlyField().tab(tab("Text8"));
    s.text("Text9", "</A></B></P>").at(5760 + t.line2Shift, line2, 1335, 285).readOnlyField().tab(tab("Text9"));
    s.text("Text10", "</BODY></HTML>").at(240, line3, 1815, 285).readOnlyField().tab(tab("Text10"));

    // The four buttons, "?" to "終了", centred on the band.
    const int buttonsLeft = (width - 5415) / 2 / 15 * 15;
    paint(s.label(t.bandName, "").at(t.band.left, t.band.top, t.band.width, t.band.height), screens::colors::band);
    paint(s.button("Command4", "?").named("ヘルプ").at(buttonsLeft, t.buttonTop, 735, 375).tab(tab("Command4")),
          screens::colors::help);
    paint(s.button("Command3", "戻る")
              .at(buttonsLeft + 1080, t.buttonTop, 1215, 375)
              .tooltipText(t.backTip)
              .tab(tab("Command3")),
          screens::colors::back);
    paint(s.button("Command1", "保存")
              .at(buttonsLeft + 2640, t.buttonTop, 1215, 375)
              .tooltipText(t.saveTip)
              .tab(tab("Command1")),
          screens::colors::save);
    paint(s.button("Command2", "終了")
              .at(buttonsLeft + 4200, t.buttonTop, 1215, 375)
              .tooltipText(t.exitTip)
              .tab(tab("Command2")),
          screens::colors::grey);
    s.dialog("CommonDialog1", "htm", "ハイパーテキスト(*.htm)|*.htm").startingIn(designFolder);

    s.onLoad([](form::Form& f) {
        f.select("Option2");
        f.set("Text6", "center");
        f.move("Text3", 840, previewTextTop);
        f.set("Text1", ".asx");
    });
    for (const Alignment& a : alignments) {
        s.onClick(a.option, [&a](form::Form& f) { align(f, a); });
    }
    // The preview always shows the comment; an edit made in the preview
    // itself is undone at once. Setting the text it already holds fires
    // nothing, so the mirror settles after one step.
    const auto mirror = [](form::Form& f) { f.set("Text3", f.text("Text2")); };
    s.onChange("Text2", mirror);
    s.onChange("Text3", mirror);
    s.onClick("Command1", [lines = t.lines](form::Form& f) { flows::SaveDocument(f, lines(f)); });
    s.onClick("Command3", [back = t.back](form::Form& f) { form::SwitchScreen(f, back); });
    s.onClick("Command2", [](form::Form& f) { form::ExitProgram(f); });
    s.onClick("Command4", [](form::Form& f) { form::ShowHelp(f); });
    return s;
}

// Every field is read before the dialog opens.
output::Document popupLines(const form::Form& f, const std::string& linkTarget)
{
    return {
        f.text("Text4"),
        f.text("Text5") + f.text("Text6") + f.text("Text7") + linkTarget + f.text("Text8") + f.text("Text2") +
            f.text("Text9"),
        f.text("Text10"),
    };
}

}  // namespace

output::Document simplePopupLines(const form::Form& f)
{
    return popupLines(f, f.text("Text1"));
}

output::Document detailedPopupLines(const form::Form& f)
{
    return popupLines(f, f.text("Text11") + f.text("Text12") + f.text("Text1"));
}

const form::ScreenDef& simplePopupPage()
{
    static const form::ScreenDef screen = [] {
        const PopupTwin twin{
            .screen = "Form5",
            .caption = "簡単ポップアップ形式",
            .client = {9360, 6705},
            .title = "簡単ポップアップ形式",
            .previewLeft = 240,
            .optionTop = 5040,
            .fieldsLeft = 4800,
            .nameTop = 2040,
            .commentTop = 3240,
            .nameMark = "Label10",
            .nameMarkText = "②",
            .commentMark = "Label11",
            .commentMarkText = "③",
            .previewTip = "チェックボタンを押すと文字表示が動きます",
            .nameTip = "先に保存したasxファイルを記入",
            .commentTip = "日本語全角で記入",
            .linkStart = "\"><B><A href=\"./",
            .line2Shift = 0,
            .templateTops = {6480, 6960, 7560},
            .firstLineHidden = true,
            .bandName = "Label12",
            .band = {0, 5760, 9375, 975},
            .buttonTop = 6000,
            .backTip = "簡単htmメニューに戻る",
            .saveTip = "htmに保存",
            .exitTip = "終了します",
            // Hides both simple pages, so that their entries survive a visit to the menu.
            .back = screens::Steps().unload(1, 3).show(4).hide(5, 6).unload(7, 13),
            .tabOrder = {"Text1", "Text2", "Picture1", "Command1", "Text3", "Text5", "Text6", "Text7", "Text8", "Text9",
                         "Text10", "Option1", "Option2", "Option3", "Command2", "Command3", "Command4"},
            .lines = simplePopupLines,
        };
        form::ScreenDef s = popupPage(twin);
        s.imageBox("Image1").at(7080, 1980, 480, 480).image("document");
        return s;
    }();
    return screen;
}

const form::ScreenDef& detailedPopupPage()
{
    static const form::ScreenDef screen = [] {
        const PopupTwin twin{
            .screen = "Form8",
            .caption = "詳細ポップアップ形式作成",
            .client = {9915, 6630},
            .title = "詳細ポップアップ形式",
            .previewLeft = 600,
            .optionTop = 5160,
            .fieldsLeft = 5160,
            .nameTop = 3240,
            .commentTop = 4440,
            .nameMark = "Label11",
            .nameMarkText = "③",
            .commentMark = "Label12",
            .commentMarkText = "④",
            .previewTip = "チェックボタンを選択　文字表示移動します",
            .nameTip = "先ほど保存したasxファイル名を記入",
            .commentTip = "日本語全角を記入する",
            .linkStart = "\"><B><A href=\"../",
            .line2Shift = 720,
            .templateTops = {6960, 7560, 8160},
            .firstLineHidden = false,
            .bandName = "Label15",
            .band = {0, 5760, 9975, 855},
            .buttonTop = 6120,
            .backTip = "詳細htmメニューに戻る",
            .saveTip = "htmファイルを保存する",
            .exitTip = "終了",
            // Hides both detailed pages, so that their entries survive a visit to the menu.
            .back = screens::Steps().unload(1, 2).hide(3).unload(4, 6).show(7).hide(8, 9).unload(10, 13),
            .tabOrder = {"Text11",   "Text1", "Text2",  "Option1",  "Option2",  "Option3", "Command1",
                         "Picture1", "Text3", "Text4",  "Text5",    "Text6",    "Text7",   "Text12",
                         "Text8",    "Text9", "Text10", "Command3", "Command4", "Command2"},
            .lines = detailedPopupLines,
        };
        form::ScreenDef s = popupPage(twin);
        // The folder that holds the metafile, one level up from the page.
        stepLabels(s, twin, "Label10", "②", "Label13", "asxファイルを入れるフォルダー記入", "Label14",
                   "例：omiyage（半角入力）", 1800);
        s.text("Text11", "")
            .at(twin.fieldsLeft, 1800, 1935, 375)
            .tooltipText("事前に作成したフォルダー名を記入")
            .promptedBy("Label13")
            .describedBy({"Label10", "Label14"})
            .takesDropped(form::DropName::FolderName)
            .tab(tabIndex(twin, "Text11"));
        s.imageBox("Image1").at(7200, 1860, 240, 240).image("folder");
        s.imageBox("Image2").at(7320, 3180, 480, 480).image("document");
        s.text("Text12", "/").at(4140, 7440, 615, 285).readOnlyField().tab(tabIndex(twin, "Text12"));
        return s;
    }();
    return screen;
}

}  // namespace screens
