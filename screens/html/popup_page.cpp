// Form5 and Form8, the popup pages. Both are one builder: the preview that
// moves with the alignment, the comment mirrored into it, the metafile name,
// the template fields of the three page lines and the buttons. The detailed
// page adds the folder step and the "/" between folder and metafile name.
#include "screens/html/popup_page.h"

#include <string>
#include <vector>

#include "flows/save_document.h"
#include "screens/button_band.h"
#include "screens/conventions.h"

namespace screens {

namespace {

// The fields the user fills, the comment's preview, the alignment the
// options set, and on the detailed page the folder and the "/" after it.
constexpr const char *metafileField = "Text1", *commentField = "Text2", *previewField = "Text3", *alignField = "Text6",
                     *folderField = "Text11", *folderSeparator = "Text12";
// The template's fragments, in the order the page reads them.
constexpr const char *pageOpen = "Text4", *paragraphOpen = "Text5", *linkOpen = "Text7", *linkTargetClose = "Text8",
                     *linkClose = "Text9", *pageClose = "Text10";

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
    f.set(alignField, a.value);
    f.move(previewField, a.previewLeft, previewTextTop);
}

// The keyboard order, once every control of the twin is declared.
void applyTabOrder(form::ScreenDef& s, const PopupTwin& t)
{
    for (std::size_t i = 0; i < t.tabOrder.size(); ++i) {
        s.control(t.tabOrder[i]).tab(static_cast<int>(i));
    }
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

    s.label("Label1", t.title).at(240, 120, width - 480, 495).centered().font(18, true);
    s.label("Label2", "文字をクリックするとストリーミングがスタートする形式").at(240, 660, width - 480, 255).centered();
    s.label("Label8", "①").at(t.previewLeft, 1020, 375, 375).font(14, true);
    s.label("Label9", "位置決め").at(t.previewLeft + 480, 1080, 1455, 255);
    s.picture("Picture1")
        .at(t.previewLeft, 1440, previewWidth, previewHeight)
        .image("browser", true)
        .tooltipText(t.previewTip);
    s.label("Label7", "位置").at(t.previewLeft, t.optionTop - 300, 1215, 255).tooltipText(t.previewTip);
    s.option("Option1", "左端")
        .at(t.previewLeft, t.optionTop, 1335, 375)
        .tooltipText(t.previewTip)
        .promptedBy("Label7");
    s.option("Option2", "中心").at(t.previewLeft + 1560, t.optionTop, 1335, 375).tooltipText(t.previewTip);
    s.option("Option3", "右端").at(t.previewLeft + 3120, t.optionTop, 1335, 375).tooltipText(t.previewTip);

    stepLabels(s, t, t.nameMark, t.nameMarkText, "Label4", "保存したasxファイルの名前を記入", "Label5",
               "例：hoge.asx（半角入力）", t.nameTop);
    s.text(metafileField, "")
        .at(t.fieldsLeft, t.nameTop, 2055, 375)
        .tooltipText(t.nameTip)
        .promptedBy("Label4")
        .describedBy({t.nameMark, "Label5"})
        .takesDropped(form::DropName::FileName);
    stepLabels(s, t, t.commentMark, t.commentMarkText, "Label6", ".コメント記入", "Label3",
               "例：　家族の映像です。クリックしてね。", t.commentTop);
    s.text(commentField, "")
        .at(t.fieldsLeft, t.commentTop, 4455, 375)
        .tooltipText(t.commentTip)
        .promptedBy("Label6")
        .describedBy({t.commentMark, "Label3"});
    // Declared after the comment, so that a character the page cannot hold
    // is reported against the comment the user typed, not its preview.
    paint(s.text(previewField, "")
              .at(840, previewTextTop, previewTextWidth, 255)
              .inside("Picture1")
              .noBorder()
              .font(5.25)
              .previews(commentField),
          screens::colors::lightGreen);

    // The page's fragments, in rows that mirror its lines, out of view. The
    // user never sees them, so keystrokes must not reach them either.
    const auto& [line1, line2, line3] = t.templateTops;
    auto& first =
        s.text(pageOpen, "<HTML><HEAD><TITLE></TITLE></HEAD><BODY>").at(240, line1, 4455, 285).readOnlyField();
    if (t.firstLineHidden) {
        first.hidden();
    }
    s.text(paragraphOpen, "<P align=\"").at(240, line2, 1095, 285).readOnlyField();
    s.text(alignField, "").at(1380, line2, 855, 285).readOnlyField();
    s.text(linkOpen, t.linkStart).at(2280, line2, 1815, 285).readOnlyField();
    s.text(linkTargetClose, "\" target=\"_self\">").at(4140 + t.line2Shift, line2, 1575, 285).readOnlyField();
    s.text(linkClose, "</A></B></P>").at(5760 + t.line2Shift, line2, 1335, 285).readOnlyField();
    s.text(pageClose, "</BODY></HTML>").at(240, line3, 1815, 285).readOnlyField();

    // The four buttons, "?" to "終了", centred on the band.
    ButtonBand band(s, (width - 5415) / 2 / 15 * 15, t.buttonTop);
    band.strip(t.bandName, t.band);
    band.help("Command4");
    band.back("Command3", t.back).tooltipText(t.backTip);
    band.save("Command1", [lines = t.lines](form::Form& f) { flows::SaveDocument(f, lines(f)); })
        .tooltipText(t.saveTip);
    band.exit("Command2").tooltipText(t.exitTip);
    s.dialog("CommonDialog1", "htm", "ハイパーテキスト(*.htm)|*.htm").startingIn(designFolder);

    s.onLoad([](form::Form& f) {
        f.select("Option2");
        f.set(alignField, "center");
        f.move(previewField, 840, previewTextTop);
        f.set(metafileField, ".asx");
    });
    for (const Alignment& a : alignments) {
        s.onClick(a.option, [&a](form::Form& f) { align(f, a); });
    }
    return s;
}

// Every field is read before the dialog opens.
output::Document popupLines(const form::Form& f, const std::string& linkTarget)
{
    return {
        f.text(pageOpen),
        f.text(paragraphOpen) + f.text(alignField) + f.text(linkOpen) + linkTarget + f.text(linkTargetClose) +
            f.text(commentField) + f.text(linkClose),
        f.text(pageClose),
    };
}

}  // namespace

output::Document simplePopupLines(const form::Form& f)
{
    return popupLines(f, f.text(metafileField));
}

output::Document detailedPopupLines(const form::Form& f)
{
    return popupLines(f, f.text(folderField) + f.text(folderSeparator) + f.text(metafileField));
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
        applyTabOrder(s, twin);
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
        s.text(folderField, "")
            .at(twin.fieldsLeft, 1800, 1935, 375)
            .tooltipText("事前に作成したフォルダー名を記入")
            .promptedBy("Label13")
            .describedBy({"Label10", "Label14"})
            .takesDropped(form::DropName::FolderName);
        s.imageBox("Image1").at(7200, 1860, 240, 240).image("folder");
        s.imageBox("Image2").at(7320, 3180, 480, 480).image("document");
        s.text(folderSeparator, "/").at(4140, 7440, 615, 285).readOnlyField();
        applyTabOrder(s, twin);
        return s;
    }();
    return screen;
}

}  // namespace screens
