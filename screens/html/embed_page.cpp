// The embed pages, Form6 and Form9: a page with the player object whose URL
// names a metafile, and an embed element for browsers that ignore the object.
// The user sets the width (the height follows), the start behaviour and the
// metafile; the rest of the page is held by template fields below the window.
// Both screens come from one builder; each adds where its metafile lies.
#include "screens/html/embed_page.h"

#include <optional>

#include "flows/save_document.h"
#include "screens/button_band.h"
#include "screens/conventions.h"
#include "screens/html/height_from_width.h"

namespace screens {

namespace {

// The fields the user fills: the player's size, the metafile and, on the
// detailed page, its folder and the "/" after it; the object's start value.
constexpr const char *widthField = "Text4", *heightField = "Text6", *metafileField = "Text12", *folderField = "Text19",
                     *folderSeparator = "Text20", *autoStartField = "Text9";
// The template's fragments, in the order the page reads them.
constexpr const char *headOpen = "Text1", *bodyOpen = "Text2", *objectWidth = "Text3", *objectHeight = "Text5",
                     *objectClassId = "Text7", *autoStartParam = "Text8", *autoStartClose = "Text10",
                     *urlParam = "Text17", *urlClose = "Text18", *embedSource = "Text11", *embedWidth = "Text13",
                     *embedHeight = "Text14", *embedClose = "Text15", *pageClose = "Text16";

// How the page names its metafile, after the "./" or "../" of the template.
using MetafilePath = std::string (*)(const form::Form&);

// What makes one embed page screen different from its twin.
struct EmbedVariant {
    const char* name;
    const char* caption;
    form::Size client;
    const char* title;
    int sizeFieldsLeft;  // Form9 has a caption between ① and the fields
    const char* widthTip;
    const char* heightTip;
    const char* optionTip;
    const char* folderPrefix;  // "./" or "../", ends Text17 and Text11
    const char* bandLabel;
    const char* backTip;
    const char* saveTip;
    const char* exitTip;
    const char* htmFilter;
    form::Steps backSteps;
    MetafilePath metafilePath;
};

output::Document embedPageLines(const form::Form& f, int width, int height, const std::string& metafile)
{
    const std::string w = std::to_string(width);
    const std::string h = std::to_string(height);
    return {
        f.text(headOpen),
        f.text(bodyOpen),
        f.text(objectWidth) + w + f.text(objectHeight) + h + f.text(objectClassId),
        f.text(autoStartParam) + f.text(autoStartField) + f.text(autoStartClose),
        f.text(urlParam) + metafile + f.text(urlClose),
        f.text(embedSource) + metafile + f.text(embedWidth) + w + f.text(embedHeight) + h + f.text(embedClose),
        f.text(pageClose),
    };
}

// The page needs the width and height as 16-bit whole numbers. Without them
// there is no page to write, so the user is told what to type before any
// dialog opens, and nothing is written.
void savePage(form::Form& f, MetafilePath metafilePath)
{
    const std::optional<int> width = roundedInteger(f.text(widthField));
    if (!width) {
        f.program().message(&f, "幅を半角の数値で記入してください。（-32768～32767）");
        return;
    }
    const std::optional<int> height = roundedInteger(f.text(heightField));
    if (!height) {
        f.program().message(&f, "高さが数値になっていません。幅を半角の数値で記入し直してください。");
        return;
    }
    flows::SaveDocument(f, embedPageLines(f, *width, *height, metafilePath(f)));
}

// One numbered entry: step mark, bold prompt, field, half-width hint, example.
void entryBlock(form::ScreenDef& s, int top, const char* mark, const char* markText, const char* prompt,
                const char* promptText, const char* field, const char* tip, int tab, const char* hint,
                const char* example, const char* exampleText, form::DropName dropped)
{
    s.label(mark, markText).at(240, top, 375, 375).font(14, true);
    s.label(prompt, promptText).at(720, top, 4815, 375).font(12, true);
    s.text(field, "")
        .at(720, top + 480, 3255, 375)
        .font(12)
        .tooltipText(tip)
        .promptedBy(prompt)
        .describedBy({mark, example, hint})
        .takesDropped(dropped)
        .tab(tab);
    s.label(hint, "（半角英入力）").at(4080, top + 540, 1935, 255);
    s.label(example, exampleText).at(720, top + 960, 3255, 255);
}

form::ScreenDef embedPage(const EmbedVariant& v)
{
    const int bottom = v.client.height;
    const int right = v.client.width;
    const int x = v.sizeFieldsLeft;
    const int buttonTop = bottom - 735;

    form::ScreenDef s{v.name, v.caption, v.client};
    s.label("Label1", v.title).at(240, 120, 5535, 495).font(18, true);
    s.label("Label2", "TV形式のストリーミング").at(240, 660, 3255, 330).font(12, true);
    s.imageBox("Image1").at(right - 1470, 120, 1035, 780).image("player", true);
    s.line("Line1", 240, 1080, right - 240, 1080).foreColor(255, 0, 0);

    // ① the size: the width typed, the height computed.
    s.label("Label8", "①").at(240, 1320, 375, 375).font(14, true);
    s.text(widthField, "")
        .at(x, 1320, 1095, 375)
        .font(12)
        .tooltipText(v.widthTip)
        .promptedBy("Frame1")
        .named("幅")
        .describedBy({"Label8", "Label5(0)", "Label7"})
        .tab(0);
    s.text(heightField, "")
        .at(x + 1200, 1320, 1095, 375)
        .font(12)
        .tooltipText(v.heightTip)
        .promptedBy("Frame1")
        .named("高さ")
        .readOnlyField()
        .computedFromField(widthField, HeightFromWidth);
    s.imageBox("Image2").at(x, 1920, 480, 480).image("video");
    s.frame("Frame1", "基本サイズ").at(x + 2520, 1200, right - x - 2760, 1815);
    s.label("Label5(0)", "幅サイズを記入すると高さは自動入力されます。")
        .at(120, 300, right - x - 3000, 255)
        .inside("Frame1");
    s.label("Label7", "160、320、480、640、があります。選択し記入してください。ビデオ製作の際のサイズをお選びください")
        .at(120, 600, right - x - 3000, 735)
        .inside("Frame1");
    s.label("Label6", "").at(120, 1380, right - x - 3000, 255).inside("Frame1");

    // ② the start behaviour.
    s.label("Label9", "②").at(240, 3240, 375, 375).font(14, true);
    s.option("Option1", "ボタンを押してスタート")
        .at(720, 3240, 3615, 375)
        .tooltipText(v.optionTip)
        .groupNamed("スタート")
        .tab(1);
    s.option("Option2", "html開いたら自動スタート").at(4440, 3240, 3615, 375).tooltipText(v.optionTip).tab(2);
    s.line("Line2", 240, 3780, right - 240, 3780).foreColor(255, 0, 0);

    ButtonBand band(s, 1320, buttonTop);
    band.strip(v.bandLabel, {0, buttonTop - 360, right, bottom - buttonTop + 360});
    band.help("Command4").tab(13);
    band.back("Command3", v.backSteps).tooltipText(v.backTip).tab(12);
    band.save("Command1", [path = v.metafilePath](form::Form& f) { savePage(f, path); }).tooltipText(v.saveTip).tab(10);
    band.exit("Command2").tooltipText(v.exitTip).tab(11);

    // Template fields, in a column below the window's bottom edge, in the
    // order in which they appear in the page.
    const int t = bottom + 240;
    s.text(headOpen, "<html><head><title>enbedsampl</title><meta http-equiv=\"Content-Type\" "
                     "content=\"text/html; charset=Shift_JIS\">")
        .at(240, t, 8655, 285);
    s.text(bodyOpen, "</head><body bgcolor=\"#FFFFFF\" text=\"#000000\">").at(240, t + 360, 4455, 285);
    s.text(objectWidth, "<OBJECT ID=\"Player\" width=\"").at(240, t + 720, 2655, 285);
    s.text(objectHeight, "\" height=\"").at(3000, t + 720, 1095, 285);
    s.text(objectClassId, "\"CLASSID=\"CLSID:6BF52A52-394A-11d3-B153-00C04F79FAA6\">").at(4200, t + 720, 4695, 285);
    s.text(autoStartParam, "<PARAM name=\"autoStart\" value=\"").at(240, t + 1080, 2655, 285);
    s.text(autoStartField, "false").at(3000, t + 1080, 735, 285);
    s.text(autoStartClose, "\">").at(3840, t + 1080, 495, 285);
    s.text(urlParam, std::string("<PARAM name=\"URL\" value=\"") + v.folderPrefix).at(240, t + 1440, 2655, 285);
    s.text(urlClose, "\">").at(3840, t + 1440, 495, 285);
    s.text(embedSource, std::string("<embed src=\"") + v.folderPrefix).at(240, t + 1800, 1455, 285);
    s.text(embedWidth, "\" autostart=\"false\" width=").at(1800, t + 1800, 2295, 285);
    s.text(embedHeight, " height=").at(4200, t + 1800, 735, 285);
    s.text(embedClose, "></embed></OBJECT>").at(5040, t + 1800, 1695, 285);
    s.text(pageClose, "</body></html>").at(240, t + 2160, 1455, 285);
    s.dialog("CommonDialog1", "htm", v.htmFilter).startingIn(designFolder);

    s.onLoad([](form::Form& f) {
        f.set(widthField, "320");
        f.select("Option1");
        f.set(metafileField, ".asx");
    });
    // Only the object's start value follows the options; the embed element's
    // autostart in Text13 stays "false" whichever is chosen.
    s.onClick("Option1", [](form::Form& f) { f.set(autoStartField, "false"); });
    s.onClick("Option2", [](form::Form& f) { f.set(autoStartField, "true"); });
    return s;
}

}  // namespace

const form::ScreenDef& simpleEmbedScreen()
{
    static const form::ScreenDef screen = [] {
        form::ScreenDef s = embedPage({
            .name = "Form6",
            .caption = "簡単エンベッド[埋め込み]形式作成",
            .client = {9330, 7335},
            .title = "簡単エンベッド形式",
            .sizeFieldsLeft = 720,
            .widthTip = "幅を数値で記入",
            .heightTip = "幅を記入すると自動で表示",
            .optionTip = "チェックボタンを選択",
            .folderPrefix = "./",
            .bandLabel = "Label11",
            .backTip = "簡単htmメニューに戻る",
            .saveTip = "htmファイルに保存",
            .exitTip = "終了します",
            .htmFilter = "ハイパーテキスト(*.htm)|*.htm",
            .backSteps = screens::Steps().unload(1, 3).show(4).unload(5, 9),
            .metafilePath = [](const form::Form& f) { return f.text(metafileField); },
        });
        // ③ the metafile, in the page's own folder.
        entryBlock(s, 4020, "Label10", "③", "Label3", "asxファイル名記入", metafileField,
                   "先ほど保存したasxファイル名記入", 3, "Label5(1)", "Label4", "例：hoge.asx",
                   form::DropName::FileName);
        s.imageBox("Image3").at(7800, 4320, 735, 735).image("metafile");
        return s;
    }();
    return screen;
}

const form::ScreenDef& detailedEmbedScreen()
{
    static const form::ScreenDef screen = [] {
        form::ScreenDef s = embedPage({
            .name = "Form9",
            .caption = "詳細エンベッド形式作成",
            .client = {9585, 7980},
            .title = "詳細エンベッド形式",
            .sizeFieldsLeft = 1440,
            .widthTip = "幅の数値を入力する",
            .heightTip = "幅の数値を入力すると高さが自動で表示",
            .optionTip = "チェックボタンを選択する",
            .folderPrefix = "../",
            .bandLabel = "Label15",
            .backTip = "詳細htmメニューに戻る",
            .saveTip = "ｈｔｍファイルに保存",
            .exitTip = "終了",
            // The pattern has no point; that is how this screen offers it.
            .htmFilter = "ハイパーテキスト(*.htm)|*htm",
            .backSteps = screens::Steps().unload(1, 2).hide(3).unload(4, 6).show(7).hide(8, 9).unload(10, 12),
            .metafilePath =
                [](const form::Form& f) {
                    return f.text(folderField) + f.text(folderSeparator) + f.text(metafileField);
                },
        });
        s.label("Label14", "位置").at(720, 1380, 615, 255);
        // ③ the metafile's folder, ④ the metafile.
        entryBlock(s, 3960, "Label10", "③", "Label11", "asxファイルを入れるフォルダー名記入", folderField,
                   "事前に作成してあるフォルダー名記入", 3, "Label5(1)", "Label12", "例：baku",
                   form::DropName::FolderName);
        entryBlock(s, 5340, "Label13", "④", "Label3", "asxファイル名記入", metafileField,
                   "先ほど保存したasxファイル記入", 4, "Label5(2)", "Label4", "例：hoge.asx", form::DropName::FileName);
        s.imageBox("Image3").at(7800, 4200, 735, 735).image("folder");
        s.imageBox("Image4").at(7800, 5580, 735, 735).image("metafile");
        s.text(folderSeparator, "/").at(5040, s.client().height + 1440, 495, 285);
        return s;
    }();
    return screen;
}

}  // namespace screens
