// Form13, the one-shot generator: the user types a video name, the screen
// writes a folder with the metafile, the link page and the embed page.
//
// Three fields mirror the settings screen (Form14): extension, width and
// automatic start; a fourth, the height, follows the width. Whoever writes
// into a mirror, it reads Form14 again (the field rules of form.h), so it
// always settles on its value. The load step clears the four, which makes
// each of them refresh itself; the first read of Form14 in a run loads it
// hidden.
//
// Closing this window by its frame unloads only this screen. When the
// settings screen is hidden at that moment no window is left in view, and
// the program ends (the form model ends every program that has no visible
// window after an event): a run with nothing on screen could only be ended
// from outside, and going back to the top menu instead would be a second,
// hidden way back that no button of this screen offers.
#include "screens/oneshot/oneshot_generator.h"

#include "flows/folder_generation.h"
#include "form/screen_ops.h"
#include "screens/button_band.h"
#include "screens/conventions.h"
#include "screens/html/height_from_width.h"

namespace screens {

namespace {

// The fixed fragments of the three files, in the order they read them.
constexpr const char *asxOpen = "Text2", *refOpen = "Text3", *refClose = "Text5", *linkPageOpen = "Text6",
                     *linkOpen = "Text7", *linkClose = "Text8", *embedHead = "Text9", *embedBodyOpen = "Text10",
                     *objectWidth = "Text11", *objectHeight = "Text13", *objectClassId = "Text15",
                     *autoStartParam = "Text16", *autoStartClose = "Text18", *urlParam = "Text19", *urlClose = "Text20",
                     *embedSource = "Text21", *embedWidth = "Text22", *embedHeight = "Text23", *embedClose = "Text24";

constexpr const char* settings = "Form14";

// Hidden, disabled template fields: fixed fragments of the three files, in
// columns from (left, top) down.
struct Fragment {
    const char* field;
    const char* text;
};

void templateColumn(form::ScreenDef& s, int left, int top, std::initializer_list<Fragment> fragments)
{
    for (const Fragment& f : fragments) {
        s.text(f.field, f.text).at(left, top, 1935, 285).hidden().disabled();
        top += 360;
    }
}

}  // namespace

void oneShotFace(form::ScreenDef& s)
{
    s.imageBox("Image2").at(600, 0, 5340, 1260).image("banner", true);
    s.text(oneshot::nameField, "")
        .at(2640, 1920, 1455, 495)
        .font(12)
        .tooltipText("ビデオファイルの拡張子抜きファイル名を記入")
        .takesDropped(form::DropName::BaseName)
        .tab(0);
    paint(s.button("Command1", "一発作成")
              .at(2520, 2760, 1815, 735)
              .tooltipText("フォルダーとasxファイル、ｈｔｍファイル二個自動作成")
              .font(12, true)
              .tab(1),
          colors::lightGreen);
    paint(s.label("Label8", "").at(0, 3960, 6495, 855), colors::band);
}

const form::ScreenDef& oneShotGeneratorScreen()
{
    static const form::ScreenDef screen = [] {
        form::ScreenDef s{"Form13", "diz　君", {6510, 4845}};
        oneShotFace(s);
        s.label("Label7", "例：bb.wmvは”ｂｂ”と記入。").at(1320, 1440, 3855, 375).centered();
        s.control(oneshot::nameField).promptedBy("Label7");
        ButtonBand band(s, 3000, 4320, -15);
        band.help("Command5").tab(5);
        band.back("Command3", Steps().show(1).unload(2, 13), 855).tooltipText("topメニューに戻る").tab(3);
        paint(band.exit("Command2", 855), colors::green).tooltipText("終了").tab(4);
        // Form14 is loaded already (the load step read it); show it above.
        band.button(
                "Command4", "設定", colors::pink,
                [](form::Form& f) { form::SwitchScreen(f, Steps().unload(2, 12).show(13).show(14)); }, 735)
            .tooltipText("通常設定不要　ビデオ拡張子がavi、mpg、の時　使用。")
            .tab(2);

        // Mirrors of the settings screen, never in view; the height follows
        // the width here, and stays empty while the width is no number (the
        // user is retyping it): "一発作成" refuses to write with it.
        s.text(oneshot::extensionField, ".wmv")
            .at(6720, 360, 855, 375)
            .hidden()
            .mirrors(settings, oneshot::extensionField);
        s.text(oneshot::widthField, "320").at(6720, 960, 495, 375).mirrors(settings, oneshot::widthField);
        s.text(oneshot::heightField, "304")
            .at(6720, 1440, 495, 375)
            .computedFromField(oneshot::widthField, HeightFromWidth);
        s.text(oneshot::autoStartField, "true").at(6720, 1920, 855, 375).mirrors(settings, oneshot::autoStartField);

        // Leftovers of the settings that live on Form14 now; never in view.
        s.label("Label1", "asxの設定　拡張子").at(6720, 2400, 2055, 255).hidden();
        s.label("Label2", "拡張子の前に必ず点を入れてください。").at(6720, 2760, 3255, 255).hidden();
        s.label("Label3", "オート起動").at(7680, 1920, 975, 255);
        s.label("Label4", "幅").at(7320, 960, 375, 255);
        s.label("Label5", "高さ").at(7320, 1440, 495, 255);
        s.label("Label6", "オート起動の場合は”true”と記入してください。").at(6720, 3120, 3855, 255);
        s.imageBox("Image1").at(6720, 3480, 2055, 1410).image("player", true);

        // Template fields, in two columns below the window's bottom edge.
        templateColumn(
            s, 120, 5040,
            {{asxOpen, "<ASX Version =\"3.0\"><Entry>"},
             {refOpen, "<Ref href =\"./"},
             {refClose, "\"></Entry></ASX>"},
             {linkPageOpen, "<HTML><HEAD><TITLE></TITLE></HEAD><BODY>"},
             {linkOpen, "<P align=\"center\"><B><A href=\"./"},
             {linkClose, ".asx\" target=\"_self\">ここをクリックしてください。</A></B></P>\r\n'</BODY></HTML>"},
             {embedHead, "<html><head><title>enbedsampl</title><meta http-equiv=\"Content-Type\" "
                         "content=\"text/html; charset=Shift_JIS\">"},
             {embedBodyOpen, "</head><body bgcolor=\"#FFFFFF\" text=\"#000000\">"},
             {objectWidth, "<OBJECT ID=\"Player\" width=\""}});
        templateColumn(s, 2160, 5040,
                       {{objectHeight, "\" height=\""},
                        {objectClassId, "\"CLASSID=\"CLSID:6BF52A52-394A-11d3-B153-00C04F79FAA6\">"},
                        {autoStartParam, "<PARAM name=\"autoStart\" value=\""},
                        {autoStartClose, "\">"},
                        {urlParam, "<PARAM name=\"URL\" value=\"./"},
                        {urlClose, ".asx\">"},
                        {embedSource, "<embed src=\"./"},
                        {embedWidth, ".asx\" autostart=\"false\" width="},
                        {embedHeight, " height="}});
        templateColumn(s, 4200, 5040, {{embedClose, "></embed></OBJECT>\r\n</body></html>\r\n"}});

        // Each cleared mirror refreshes itself from Form14, whose first read
        // in a run loads it hidden.
        s.onLoad([](form::Form& f) {
            f.set(oneshot::extensionField, "");
            f.set(oneshot::autoStartField, "");
            f.set(oneshot::widthField, "");
            f.set(oneshot::heightField, "");
        });
        s.onClick("Command1", GenerateOneShot);
        return s;
    }();
    return screen;
}

void GenerateOneShot(form::Form& f)
{
    const auto t = [&f](const char* field) -> const std::string& { return f.text(field); };
    const std::string& name = t(oneshot::nameField);
    const std::string& extension = t(oneshot::extensionField);
    const std::string& width = t(oneshot::widthField);
    const std::string& height = t(oneshot::heightField);

    flows::FolderJob job;
    job.programFolder = f.program().platform().programFolder();
    job.name = name;
    if (!parseNumber(width)) {
        job.refusal = "設定の幅「" + width +
                      "」が数値ではありません。"
                      "「設定」で幅に数値を入れてから作成してください。";
    } else if (!parseNumber(height)) {
        job.refusal = "設定の幅「" + width +
                      "」から高さを決められません。"
                      "「設定」で幅を直してから作成してください。";
    }
    job.inputs = {
        {"ビデオファイル名", name, "名前を別の文字で記入してください。", flows::NamedInput::Use::name},
        {"設定の拡張子", extension, "「設定」で拡張子を直してください。"},
    };
    job.files = {
        {name + ".asx", {t(asxOpen), t(refOpen) + name + extension + t(refClose)}},
        {name + ".htm", {t(linkPageOpen), t(linkOpen) + name + t(linkClose)}},
        {name + "01.htm",
         {
             t(embedHead),
             t(embedBodyOpen),
             t(objectWidth) + width + t(objectHeight) + height + t(objectClassId),
             t(autoStartParam) + t(oneshot::autoStartField) + t(autoStartClose),
             t(urlParam) + name + t(urlClose),
             t(embedSource) + name + t(embedWidth) + width + t(embedHeight) + height + t(embedClose),
         }},
    };
    job.doneMessages = {"保存しました。"};
    // The flow tells the user how it went; the screen has nothing to add.
    static_cast<void>(flows::GenerateFolder(f, job));
}

}  // namespace screens
