// Form13, the one-shot generator: the user types a video name, the screen
// writes a folder with the metafile, the link page and the embed page.
//
// Four fields mirror the settings screen (Form14): extension, width, height
// and automatic start. Whoever writes into them, their change handlers read
// Form14 again, so they always settle on its values and the height always
// follows the width. The load step clears the four mirrors, which makes each
// of them refresh itself; the first read of Form14 in a run loads it hidden.
//
// Closing this window by its frame unloads only this screen. When the
// settings screen is hidden at that moment no window is left in view, and
// the program ends (the form model ends every program that has no visible
// window after an event): a run with nothing on screen could only be ended
// from outside, and going back to the top menu instead would be a second,
// hidden way back that no button of this screen offers.
#include "screens/oneshot/oneshot_generator.h"

#include <array>

#include "form/screen_ops.h"
#include "screens/conventions.h"
#include "flows/folder_generation.h"
#include "screens/html/height_from_width.h"

namespace screens {

namespace {

form::Form& settings(form::Form& f)
{
    return f.screen("Form14");
}

// Hidden, disabled template fields: fixed fragments of the three files.
void templateField(form::ScreenDef& s, const std::string& name, std::string text, int left, int top)
{
    s.text(name, std::move(text)).at(left, top, 1935, 285).hidden().disabled();
}

}  // namespace

void oneShotFace(form::ScreenDef& s)
{
    s.imageBox("Image2").at(600, 0, 5340, 1260).image("banner", true);
    s.text("Text1", "")
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
        s.control("Text1").promptedBy("Label7");
        paint(s.button("Command5", "?").named("ヘルプ").at(3000, 4320, 735, 375).tab(5), screens::colors::help);
        paint(s.button("Command3", "戻る").at(3720, 4320, 855, 375).tooltipText("topメニューに戻る").tab(3),
              screens::colors::back);
        paint(s.button("Command2", "終了").at(4560, 4320, 855, 375).tooltipText("終了").tab(4), screens::colors::green);
        paint(s.button("Command4", "設定")
                  .at(5400, 4320, 735, 375)
                  .tooltipText("通常設定不要　ビデオ拡張子がavi、mpg、の時　使用。")
                  .tab(2),
              screens::colors::pink);

        // Mirrors of the settings screen, never in view.
        s.text("Text4", ".wmv").at(6720, 360, 855, 375).hidden();
        s.text("Text12", "320").at(6720, 960, 495, 375);
        s.text("Text14", "304").at(6720, 1440, 495, 375);
        s.text("Text17", "true").at(6720, 1920, 855, 375);

        // Leftovers of the settings that live on Form14 now; never in view.
        s.label("Label1", "asxの設定　拡張子").at(6720, 2400, 2055, 255).hidden();
        s.label("Label2", "拡張子の前に必ず点を入れてください。").at(6720, 2760, 3255, 255).hidden();
        s.label("Label3", "オート起動").at(7680, 1920, 975, 255);
        s.label("Label4", "幅").at(7320, 960, 375, 255);
        s.label("Label5", "高さ").at(7320, 1440, 495, 255);
        s.label("Label6", "オート起動の場合は”true”と記入してください。").at(6720, 3120, 3855, 255);
        s.imageBox("Image1").at(6720, 3480, 2055, 1410).image("player", true);

        // Template fields, in two columns below the window's bottom edge.
        templateField(s, "Text2", "<ASX Version =\"3.0\"><Entry>", 120, 5040);
        templateField(s, "Text3", "<Ref href =\"./", 120, 5400);
        templateField(s, "Text5", "\"></Entry></ASX>", 120, 5760);
        templateField(s, "Text6", "<HTML><HEAD><TITLE></TITLE></HEAD><BODY>", 120, 6120);
        templateField(s, "Text7", "<P align=\"center\"><B><A href=\"./", 120, 6480);
        templateField(s, "Text8", ".asx\" target=\"_self\">ここをクリックしてください。</A></B></P>\r\n'</BODY></HTML>",
                      120, 6840);
        templateField(s, "Text9",
                      "<html><head><title>enbedsampl</title><meta http-equiv=\"Content-Type\" "
                      "content=\"text/html; charset=Shift_JIS\">",
                      120, 7200);
        templateField(s, "Text10", "</head><body bgcolor=\"#FFFFFF\" text=\"#000000\">", 120, 7560);
        templateField(s, "Text11", "<OBJECT ID=\"Player\" width=\"", 120, 7920);
        templateField(s, "Text13", "\" height=\"", 2160, 5040);
        templateField(s, "Text15", "\"CLASSID=\"CLSID:6BF52A52-394A-11d3-B153-00C04F79FAA6\">", 2160, 5400);
        templateField(s, "Text16", "<PARAM name=\"autoStart\" value=\"", 2160, 5760);
        templateField(s, "Text18", "\">", 2160, 6120);
        templateField(s, "Text19", "<PARAM name=\"URL\" value=\"./", 2160, 6480);
        templateField(s, "Text20", ".asx\">", 2160, 6840);
        templateField(s, "Text21", "<embed src=\"./", 2160, 7200);
        templateField(s, "Text22", ".asx\" autostart=\"false\" width=", 2160, 7560);
        templateField(s, "Text23", " height=", 2160, 7920);
        templateField(s, "Text24", "></embed></OBJECT>\r\n</body></html>\r\n", 4200, 5040);

        // Each cleared mirror refreshes itself from Form14 (handlers below).
        s.onLoad([](form::Form& f) {
            f.set("Text4", "");
            f.set("Text17", "");
            f.set("Text12", "");
            f.set("Text14", "");
        });
        s.onChange("Text4", [](form::Form& f) { f.set("Text4", settings(f).text("Text4")); });
        s.onChange("Text17", [](form::Form& f) { f.set("Text17", settings(f).text("Text17")); });
        s.onChange("Text12", [](form::Form& f) {
            f.set("Text12", settings(f).text("Text12"));
            // A width that is not a number (the user is retyping it) leaves
            // the height empty; "一発作成" refuses to write with it.
            f.set("Text14", HeightFromWidth(settings(f).text("Text12")));
        });
        s.onChange("Text14", [](form::Form& f) { f.set("Text14", HeightFromWidth(f.text("Text12"))); });

        s.onClick("Command1", GenerateOneShot);
        s.onClick("Command3", [](form::Form& f) { form::SwitchScreen(f, screens::Steps().show(1).unload(2, 13)); });
        s.onClick("Command2", [](form::Form& f) { form::ExitProgram(f); });
        s.onClick("Command5", [](form::Form& f) { form::ShowHelp(f); });
        // Form14 is loaded already (the load step read it); show it above.
        s.onClick("Command4",
                  [](form::Form& f) { form::SwitchScreen(f, screens::Steps().unload(2, 12).show(13).show(14)); });
        return s;
    }();
    return screen;
}

void GenerateOneShot(form::Form& f)
{
    // Working copies of every field, read once, in order.
    std::array<std::string, 25> t;
    for (int i = 1; i <= 24; ++i) {
        t[i] = f.text("Text" + std::to_string(i));
    }
    const std::string& name = t[1];

    flows::FolderJob job;
    job.programFolder = f.program().platform().programFolder();
    job.name = name;
    if (!parseNumber(t[12])) {
        job.refusal = "設定の幅「" + t[12] +
                      "」が数値ではありません。"
                      "「設定」で幅に数値を入れてから作成してください。";
    } else if (!parseNumber(t[14])) {
        job.refusal = "設定の幅「" + t[12] +
                      "」から高さを決められません。"
                      "「設定」で幅を直してから作成してください。";
    }
    job.inputs = {
        {"ビデオファイル名", name, "名前を別の文字で記入してください。"},
        {"設定の拡張子", t[4], "「設定」で拡張子を直してください。"},
    };
    job.files = {
        {name + ".asx", {t[2], t[3] + name + t[4] + t[5]}},
        {name + ".htm", {t[6], t[7] + name + t[8]}},
        {name + "01.htm",
         {
             t[9],
             t[10],
             t[11] + t[12] + t[13] + t[14] + t[15],
             t[16] + t[17] + t[18],
             t[19] + name + t[20],
             t[21] + name + t[22] + t[12] + t[23] + t[14] + t[24],
         }},
    };
    job.doneMessages = {"保存しました。"};
    // The flow tells the user how it went; the screen has nothing to add.
    static_cast<void>(flows::GenerateFolder(f, job));
}

}  // namespace screens
