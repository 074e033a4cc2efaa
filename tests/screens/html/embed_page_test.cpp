// Form6 and Form9, the embed pages, driven as the user drives them. The twins
// share most cases; each also has its own example page and way back.
#include <gtest/gtest.h>

#include <string>

#include "app/catalog.h"
#include "support.h"

namespace {

using testing_support::crlf;
using testing_support::filesIn;
using testing_support::readBytes;
using testing_support::TempFolder;

const std::string head =
    "<html><head><title>enbedsampl</title><meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">";
const std::string body = "</head><body bgcolor=\"#FFFFFF\" text=\"#000000\">";
const std::string classId = "\"CLASSID=\"CLSID:6BF52A52-394A-11d3-B153-00C04F79FAA6\">";
const std::string widthRefusal = "幅を半角の数値で記入してください。（-32768～32767）";

struct Twin {
    const char* screen;
    const char* filter;
    const char* metafileRef;  // what the page names after filling in the metafile
};

const Twin simplePage{"Form6", "ハイパーテキスト(*.htm)|*.htm", "./movie.asx"};
const Twin detailedPage{"Form9", "ハイパーテキスト(*.htm)|*htm", "../baku/movie.asx"};

// The whole file for a width and height as written, a start value and a
// metafile reference.
std::string pageBytes(const std::string& w, const std::string& h, const std::string& start, const std::string& ref)
{
    return crlf({head, body, "<OBJECT ID=\"Player\" width=\"" + w + "\" height=\"" + h + classId,
                 "<PARAM name=\"autoStart\" value=\"" + start + "\">", "<PARAM name=\"URL\" value=\"" + ref + "\">",
                 "<embed src=\"" + ref + "\" autostart=\"false\" width=" + w + " height=" + h + "></embed></OBJECT>",
                 "</body></html>"});
}

class EmbedPage : public ::testing::TestWithParam<Twin> {
protected:
    EmbedPage() { program.start(name()); }

    const std::string name() const { return GetParam().screen; }
    form::Form& page() { return program.screen(name()); }
    void type(const std::string& control, const std::string& text) { program.edit(name(), control, text); }

    void fillMetafile()
    {
        if (name() == "Form9") {
            type("Text19", "baku");
        }
        type("Text12", "movie.asx");
    }

    std::string save(const std::string& file = "page.htm")
    {
        platform.answerSave(folder.file(file));
        program.click(name(), "Command1");
        return readBytes(folder.file(file));
    }

    TempFolder folder;
    form::ScriptedPlatform platform;
    form::Program program{app::kelvoraProgram(), platform};
};

TEST_P(EmbedPage, ComesUpAt320By304StartingByButton)
{
    EXPECT_EQ(page().text("Text4"), "320");
    EXPECT_EQ(page().text("Text6"), "304");
    EXPECT_TRUE(page().selected("Option1"));
    EXPECT_FALSE(page().selected("Option2"));
    EXPECT_EQ(page().text("Text9"), "false");
    EXPECT_EQ(page().text("Text12"), ".asx");
    if (name() == "Form9") {
        EXPECT_EQ(page().text("Text19"), "");
    }
    // Untouched, the page names the bare ".asx".
    const std::string ref = name() == "Form9" ? "..//.asx" : "./.asx";
    EXPECT_EQ(save(), pageBytes("320", "304", "false", ref));
}

TEST_P(EmbedPage, HeightFollowsTheWidthAndTheRoundedNumbersAreSaved)
{
    struct Case {
        const char* width;
        const char* shown;  // in the height field
        const char* savedW;
        const char* savedH;
    };
    const Case cases[] = {
        {"160", "184", "160", "184"},    {"480", "424", "480", "424"},      {"640", "544", "640", "544"},
        {"101", "139.75", "101", "140"}, {"102", "140.5", "102", "140"},  // half to the even neighbour
        {"106", "143.5", "106", "144"},  {"320.6", "304.45", "321", "304"}, {"0", "64", "0", "64"},
        {"-100", "-11", "-100", "-11"},  {" 320 ", "304", "320", "304"},    {"32767", "24639.25", "32767", "24639"},
    };
    fillMetafile();
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        type("Text4", c.width);
        EXPECT_EQ(page().text("Text6"), c.shown);
        EXPECT_EQ(page().text("Text4"), c.width);  // kept as typed
        const std::string file = "p" + std::to_string(n++) + ".htm";
        EXPECT_EQ(save(file), pageBytes(c.savedW, c.savedH, "false", GetParam().metafileRef));
        EXPECT_EQ(page().text("Text4"), c.width);  // a save changes no field
    }
}

TEST_P(EmbedPage, HeightIsEmptyWhileTheWidthIsNoNumberAndComesBack)
{
    for (const char* width : {"", "-", "abc", "３２０", "1e3", "320px"}) {
        SCOPED_TRACE(width);
        type("Text4", width);
        EXPECT_EQ(page().text("Text6"), "");
        type("Text4", "640");
        EXPECT_EQ(page().text("Text6"), "544");
    }
}

TEST_P(EmbedPage, RefusesASaveWithoutAUsableWidthBeforeTheDialog)
{
    fillMetafile();
    for (const char* width : {"", "abc", "-", "40000", "32767.5", "-32769"}) {
        SCOPED_TRACE(width);
        platform.messages.clear();
        type("Text4", width);
        program.click(name(), "Command1");
        EXPECT_EQ(platform.messageTexts(), std::vector<std::string>{widthRefusal});
        EXPECT_TRUE(platform.dialogs.empty());  // refused before the dialog
        EXPECT_EQ(filesIn(folder.path()), 0u);
    }
    // The extreme widths themselves are fine.
    type("Text4", "-32768");
    EXPECT_EQ(save("low.htm"), pageBytes("-32768", "-24512", "false", GetParam().metafileRef));
}

TEST_P(EmbedPage, TypingIntoTheHeightFieldWritesTheComputedHeightBack)
{
    fillMetafile();
    type("Text6", "999");
    EXPECT_EQ(page().text("Text6"), "304");
    EXPECT_EQ(page().text("Text4"), "320");
    EXPECT_EQ(save(), pageBytes("320", "304", "false", GetParam().metafileRef));

    type("Text4", "");
    type("Text6", "5");
    EXPECT_EQ(page().text("Text6"), "");
}

TEST_P(EmbedPage, OnlyTheObjectsStartValueFollowsTheOptions)
{
    fillMetafile();
    program.click(name(), "Option2");
    EXPECT_EQ(page().text("Text9"), "true");
    EXPECT_FALSE(page().selected("Option1"));
    EXPECT_EQ(save("auto.htm"), pageBytes("320", "304", "true", GetParam().metafileRef));
    program.click(name(), "Option1");
    EXPECT_EQ(save("button.htm"), pageBytes("320", "304", "false", GetParam().metafileRef));
}

TEST_P(EmbedPage, UsesItsOwnHtmDialog)
{
    fillMetafile();
    save("page");  // the dialog appends ".htm"
    platform.answerCancel();
    program.click(name(), "Command1");

    ASSERT_EQ(platform.dialogs.size(), 2u);
    EXPECT_EQ(platform.dialogs[0].settings.filter, GetParam().filter);
    EXPECT_EQ(platform.dialogs[1].settings.filter, GetParam().filter);  // never switched
    EXPECT_EQ(platform.dialogs[0].settings.defaultExt, "htm");
    EXPECT_EQ(platform.dialogs[0].settings.initDir, "c:\\");
    EXPECT_EQ(platform.dialogs[1].settings.fileName, folder.file("page.htm"));
    EXPECT_EQ(platform.messageTexts(),
              (std::vector<std::string>{folder.file("page.htm") + "を保存しました。", "キャンセルされました"}));
    EXPECT_EQ(readBytes(folder.file("page.htm")), pageBytes("320", "304", "false", GetParam().metafileRef));
    EXPECT_EQ(filesIn(folder.path()), 1u);
}

TEST_P(EmbedPage, HelpAndExit)
{
    program.click(name(), "Command4");
    ASSERT_EQ(platform.helpCalls.size(), 1u);
    EXPECT_EQ(platform.helpCalls[0].owner, name());
    EXPECT_EQ(platform.helpCalls[0].file, "KELVORA.hlp");
    program.click(name(), "Command2");
    EXPECT_TRUE(platform.ended);
}

INSTANTIATE_TEST_SUITE_P(Twins, EmbedPage, ::testing::Values(simplePage, detailedPage),
                         [](const ::testing::TestParamInfo<Twin>& info) { return std::string(info.param.screen); });

// The pages written as the user would write them, literally.
class EmbedExamples : public ::testing::Test {
protected:
    std::string saveFrom(const std::string& screen)
    {
        platform.answerSave(folder.file("page.htm"));
        program.click(screen, "Command1");
        return readBytes(folder.file("page.htm"));
    }

    TempFolder folder;
    form::ScriptedPlatform platform;
    form::Program program{app::kelvoraProgram(), platform};
};

TEST_F(EmbedExamples, SimplePageStartingAtOnce)
{
    program.start("Form6");
    program.edit("Form6", "Text12", "movie.asx");
    program.click("Form6", "Option2");
    EXPECT_EQ(
        saveFrom("Form6"),
        "<html><head><title>enbedsampl</title><meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\r\n"
        "</head><body bgcolor=\"#FFFFFF\" text=\"#000000\">\r\n"
        "<OBJECT ID=\"Player\" width=\"320\" height=\"304\"CLASSID=\"CLSID:6BF52A52-394A-11d3-B153-00C04F79FAA6\">\r\n"
        "<PARAM name=\"autoStart\" value=\"true\">\r\n"
        "<PARAM name=\"URL\" value=\"./movie.asx\">\r\n"
        "<embed src=\"./movie.asx\" autostart=\"false\" width=320 height=304></embed></OBJECT>\r\n"
        "</body></html>\r\n");
}

TEST_F(EmbedExamples, DetailedPageInItsFolders)
{
    program.start("Form9");
    program.edit("Form9", "Text4", "480");
    program.edit("Form9", "Text19", "baku");
    program.edit("Form9", "Text12", "movie.asx");
    EXPECT_EQ(
        saveFrom("Form9"),
        "<html><head><title>enbedsampl</title><meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\r\n"
        "</head><body bgcolor=\"#FFFFFF\" text=\"#000000\">\r\n"
        "<OBJECT ID=\"Player\" width=\"480\" height=\"424\"CLASSID=\"CLSID:6BF52A52-394A-11d3-B153-00C04F79FAA6\">\r\n"
        "<PARAM name=\"autoStart\" value=\"false\">\r\n"
        "<PARAM name=\"URL\" value=\"../baku/movie.asx\">\r\n"
        "<embed src=\"../baku/movie.asx\" autostart=\"false\" width=480 height=424></embed></OBJECT>\r\n"
        "</body></html>\r\n");
}

TEST_F(EmbedExamples, DetailedPageFolderIsWrittenAsTyped)
{
    program.start("Form9");
    program.edit("Form9", "Text12", "m.asx");
    const std::pair<const char*, const char*> cases[] = {
        {"", "..//m.asx"},
        {"wmv/meta", "../wmv/meta/m.asx"},
        {"baku/", "../baku//m.asx"},
        {"動画", "../\x93\xae\x89\xe6/m.asx"},
    };
    for (const auto& [folderName, ref] : cases) {
        SCOPED_TRACE(folderName);
        program.edit("Form9", "Text19", folderName);
        EXPECT_EQ(saveFrom("Form9"), pageBytes("320", "304", "false", ref));
    }
}

TEST_F(EmbedExamples, SimplePageBackUnloadsItAndShowsTheMenu)
{
    program.start("Form6");
    program.edit("Form6", "Text4", "640");
    program.click("Form6", "Command3");
    EXPECT_FALSE(program.isLoaded("Form6"));
    EXPECT_EQ(program.visibleScreens(), std::vector<std::string>{"Form4"});

    program.click("Form4", "Command2");
    EXPECT_EQ(program.screen("Form6").text("Text4"), "320");
    EXPECT_EQ(program.screen("Form6").text("Text6"), "304");
}

TEST_F(EmbedExamples, DetailedPageBackOnlyHidesItBesideTheMenu)
{
    program.start("Form1");
    program.click("Form1", "Command4");
    program.click("Form3", "Command2");
    program.click("Form7", "Command2");
    EXPECT_TRUE(program.isVisible("Form7"));  // the menu stays open beside the page
    EXPECT_TRUE(program.isVisible("Form9"));

    program.edit("Form9", "Text4", "640");
    program.edit("Form9", "Text19", "baku");
    program.click("Form9", "Option2");
    program.click("Form9", "Command3");
    EXPECT_TRUE(program.isVisible("Form7"));
    EXPECT_FALSE(program.isVisible("Form9"));
    EXPECT_TRUE(program.isLoaded("Form3"));
    EXPECT_FALSE(program.isVisible("Form3"));

    program.click("Form7", "Command2");
    form::Form& page = program.screen("Form9");
    EXPECT_TRUE(page.isVisible());
    EXPECT_EQ(page.text("Text4"), "640");
    EXPECT_EQ(page.text("Text6"), "544");
    EXPECT_EQ(page.text("Text19"), "baku");
    EXPECT_TRUE(page.selected("Option2"));
    EXPECT_EQ(page.text("Text9"), "true");
}

}  // namespace
