// kelvquick's screen. Unlike the main program's one-shot generator it has no
// settings: the video is always a .wmv, there is no embed page, and the links
// are absolute paths on the local disk, so the page and the metafile work
// where they were written without a web server.
#include "quick/quick_generator.h"

#include "flows/folder_generation.h"
#include "screens/button_band.h"
#include "screens/conventions.h"
#include "screens/oneshot/oneshot_generator.h"

namespace quick {

namespace {

// The name field of the one-shot face, and the fixed fragments of the two
// files in the order they read them.
constexpr const char* nameField = "Text1";
constexpr const char *pageOpen = "Text2", *linkOpen = "Text3", *linkClose = "Text4", *pageClose = "Text5",
                     *asxOpen = "Text6", *refOpen = "Text7", *refClose = "Text8";

}  // namespace

const form::ScreenDef& quickScreen()
{
    static const form::ScreenDef screen = [] {
        form::ScreenDef s{"Form1", "diz君", {6465, 4785}};
        screens::oneShotFace(s);
        // The example the main program's generator shows, here as what the
        // field says of itself; the field keeps its own name.
        s.label("Label7", "例：bb.wmvは”ｂｂ”と記入。").at(1320, 1440, 3855, 375).centered();
        s.control(nameField).describedBy({"Label7"});
        screens::ButtonBand band(s, 3840, 4320, -15);
        band.help("Command5").tab(3);
        paint(band.exit("Command2", 855), screens::colors::green).tooltipText("終了").tab(2);

        // Template fields, hidden below the window's bottom edge.
        const auto templateField = [&s](const std::string& name, std::string text, int top) {
            s.text(name, std::move(text)).at(120, top, 4095, 285).hidden();
        };
        templateField(pageOpen, "<HTML><HEAD><TITLE></TITLE></HEAD><BODY>", 4980);
        templateField(linkOpen, "<P align=\"center\"><B><A href=\"", 5340);
        templateField(linkClose, ".asx\" target=\"_self\">ここをクリックしてください。</A></B></P>", 5700);
        templateField(pageClose, "</BODY></HTML>", 6060);
        templateField(asxOpen, "<ASX Version =\"3.0\"><Entry>", 6420);
        templateField(refOpen, "<Ref href =\"", 6780);
        templateField(refClose, ".wmv\"></Entry></ASX>", 7140);

        s.onClick("Command1", GenerateQuickSet);
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
    const auto t = [&f](const char* field) -> const std::string& { return f.text(field); };
    const std::string& name = t(nameField);
    const std::string programFolder = f.program().platform().programFolder();
    // Both links lead into the new folder: <program folder>/<name>/<name>.
    const std::string target = flows::joinPath(flows::joinPath(programFolder, name), name);

    flows::FolderJob job;
    job.programFolder = programFolder;
    job.name = name;
    job.inputs = {
        {"ビデオファイル名", name, "名前を別の文字で記入してください。", flows::NamedInput::Use::name},
        // The folder is written into both links.
        {"プログラムのあるフォルダー", programFolder,
         "Shift_JISで書ける名前のフォルダーにプログラムを置いてから使ってください。"},
    };
    // The page first, then the metafile it links to.
    job.files = {
        {name + ".htm", {t(pageOpen), t(linkOpen) + target + t(linkClose) + t(pageClose)}},
        {name + ".asx", {t(asxOpen), t(refOpen) + target + t(refClose)}},
    };
    job.doneMessages = {"保存しました。", "完成しました。"};
    // The flow tells the user how it went; the screen has nothing to add.
    static_cast<void>(flows::GenerateFolder(f, job));
}

}  // namespace quick
