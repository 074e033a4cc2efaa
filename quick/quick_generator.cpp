// kelvquick's screen. Unlike the main program's one-shot generator it has no
// settings: the video is always a .wmv, there is no embed page, and the links
// are absolute paths on the local disk, so the page and the metafile work
// where they were written without a web server.
#include "quick/quick_generator.h"

#include <array>

#include "form/screen_ops.h"
#include "screens/conventions.h"
#include "flows/folder_generation.h"
#include "screens/oneshot/oneshot_generator.h"

namespace quick {

const form::ScreenDef& quickScreen()
{
    static const form::ScreenDef screen = [] {
        form::ScreenDef s{"Form1", "diz君", {6465, 4785}};
        screens::oneShotFace(s);
        // The example the main program's generator shows, here as what the
        // field says of itself; the field keeps its own name.
        s.label("Label7", "例：bb.wmvは”ｂｂ”と記入。").at(1320, 1440, 3855, 375).centered();
        s.control("Text1").describedBy({"Label7"});
        paint(s.button("Command5", "?").named("ヘルプ").at(3840, 4320, 735, 375).tab(3), screens::colors::help);
        paint(s.button("Command2", "終了").at(4560, 4320, 855, 375).tooltipText("終了").tab(2), screens::colors::green);

        // Template fields, hidden below the window's bottom edge.
        const auto templateField = [&s](const std::string& name, std::string text, int top) {
            s.text(name, std::move(text)).at(120, top, 4095, 285).hidden();
        };
        templateField("Text2", "<HTML><HEAD><TITLE></TITLE></HEAD><BODY>", 4980);
        templateField("Text3", "<P align=\"center\"><B><A href=\"", 5340);
        templateField("Text4", ".asx\" target=\"_self\">ここをクリックしてください。</A></B></P>", 5700);
        templateField("Text5", "</BODY></HTML>", 6060);
        templateField("Text6", "<ASX Version =\"3.0\"><Entry>", 6420);
        templateField("Text7", "<Ref href =\"", 6780);
        templateField("Text8", ".wmv\"></Entry></ASX>", 7140);

        s.onClick("Command1", GenerateQuickSet);
        s.onClick("Command2", [](form::Form& f) { form::ExitProgram(f); });
        s.onClick("Command5", [](form::Form& f) { form::ShowHelp(f); });
        return s;
    }();
    return screen;
}

form::Program::Catalog quickCatalog()
{
    return {{"Form1", quickScreen}};
}

form::ProgramDescription quickProgram()
{
    return {applicationTitle, quickCatalog(), "Form1", "KELVORA.hlp"};
}

void GenerateQuickSet(form::Form& f)
{
    std::array<std::string, 9> t;
    for (int i = 1; i <= 8; ++i) {
        t[i] = f.text("Text" + std::to_string(i));
    }
    const std::string& name = t[1];
    const std::string programFolder = f.program().platform().programFolder();
    // Both links lead into the new folder: <program folder>/<name>/<name>.
    const std::string target = flows::joinPath(flows::joinPath(programFolder, name), name);

    flows::FolderJob job;
    job.programFolder = programFolder;
    job.name = name;
    job.inputs = {
        {"ビデオファイル名", name, "名前を別の文字で記入してください。"},
        // The folder is written into both links.
        {"プログラムのあるフォルダー", programFolder,
         "Shift_JISで書ける名前のフォルダーにプログラムを置いてから使ってください。"},
    };
    // The page first, then the metafile it links to.
    job.files = {
        {name + ".htm", {t[2], t[3] + target + t[4] + t[5]}},
        {name + ".asx", {t[6], t[7] + target + t[8]}},
    };
    job.doneMessages = {"保存しました。", "完成しました。"};
    // The flow tells the user how it went; the screen has nothing to add.
    static_cast<void>(flows::GenerateFolder(f, job));
}

}  // namespace quick
