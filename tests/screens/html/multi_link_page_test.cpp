// Form11, the multi-link popup page, driven as the user drives it.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "app/catalog.h"
#include "output/cp932.h"
#include "screen_fixture.h"
#include "support.h"

namespace {

using testing_support::crlf;
using testing_support::readBytes;
using testing_support::TempFolder;

std::string sjis(const std::string& utf8)
{
    return output::toCp932(utf8).value();
}

const std::string emptyLink = "<BR><A href=\"./.asx\"></A><BR>";
const std::string closing = "</A></TD></TR></TBODY></DIV></TABLE></BODY></HTML>";

std::vector<std::string> defaultLines()
{
    return {
        "<HTML><HEAD><TITLE></TITLE></HEAD>",
        "<BODY><DIV align=\"center\"><TABLE><TBODY><TR><TD><BR>",
        emptyLink,
        emptyLink,
        emptyLink,
        emptyLink,
        emptyLink,
        closing,
    };
}

std::string bytesOf(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& l : lines) {
        out += sjis(l) + "\r\n";
    }
    return out;
}

class MultiLinkPage : public testing_support::ScreenFixture {
protected:
    MultiLinkPage() : ScreenFixture("Form11", "page.htm") {}
};

TEST_F(MultiLinkPage, WritesTheFirstLinkExampleWithTheHtmlDialog)
{
    type("Text1", "ここをクリックすると見れます。");
    type("Text11", "abc.asx");

    const std::string bytes = save("page", "page.htm");  // the dialog adds the extension

    const std::string link = "<BR><A href=\"./.asx\"></A><BR>";
    EXPECT_EQ(bytes,
              crlf({"<HTML><HEAD><TITLE></TITLE></HEAD>", "<BODY><DIV align=\"center\"><TABLE><TBODY><TR><TD><BR>",
                    "<BR><A href=\"./abc.asx\">"
                    "\x82\xB1\x82\xB1\x82\xF0\x83\x4E\x83\x8A\x83\x62\x83\x4E\x82\xB7"
                    "\x82\xE9\x82\xC6\x8C\xA9\x82\xEA\x82\xDC\x82\xB7\x81\x42"
                    "</A><BR>",
                    link, link, link, link, "</A></TD></TR></TBODY></DIV></TABLE></BODY></HTML>"}));
    ASSERT_EQ(platform.dialogs.size(), 1u);
    const form::SaveDialogSettings& dialog = platform.dialogs[0].settings;
    EXPECT_EQ(dialog.filter, "ハイパーテキスト(*.htm)|*.htm");
    EXPECT_EQ(dialog.defaultExt, "htm");
    EXPECT_EQ(dialog.initDir, "c:\\");
    EXPECT_EQ(platform.messageTexts(), std::vector<std::string>{folder.file("page.htm") + "を保存しました。"});
}

TEST_F(MultiLinkPage, SavedStraightAfterOpeningHasFiveEmptyLinks)
{
    EXPECT_EQ(save(), bytesOf(defaultLines()));
}

TEST_F(MultiLinkPage, EachRowChangesOnlyItsOwnLine)
{
    const std::array<std::pair<const char*, const char*>, 5> rows{{
        {"Text1", "Text11"},
        {"Text2", "Text12"},
        {"Text3", "Text13"},
        {"Text4", "Text14"},
        {"Text5", "Text15"},
    }};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].first);
        program.show("Form1");  // keeps the program running while Form11 starts over
        program.unload("Form11");
        program.show("Form11");
        const std::string n = std::to_string(i + 1);
        type(rows[i].first, "第" + n + "話を見る");
        type(rows[i].second, "part" + n + ".asx");

        std::vector<std::string> expected = defaultLines();
        expected[i + 2] = "<BR><A href=\"./part" + n + ".asx\">第" + n + "話を見る</A><BR>";
        EXPECT_EQ(save("row" + n + ".htm"), bytesOf(expected));
    }
}

TEST_F(MultiLinkPage, AlignmentMovesThePreviewBlockAndWritesTheDiv)
{
    struct Case {
        const char* option;
        const char* value;
        int left;
    };
    // Right after centre: the block must come back from a clipped position.
    for (const Case& c :
         {Case{"Option7", "left", 120}, Case{"Option8", "right", 2060}, Case{"Option6", "center", 960}}) {
        SCOPED_TRACE(c.option);
        program.click("Form11", c.option);
        EXPECT_EQ(page().rect("Picture2"), (form::Rect{c.left, 1200, 1935, 1455}));
        for (const char* other : {"Option6", "Option7", "Option8"}) {
            EXPECT_EQ(page().selected(other), std::string(other) == c.option) << other;
        }
        std::vector<std::string> expected = defaultLines();
        expected[1] = std::string("<BODY><DIV align=\"") + c.value + "\"><TABLE><TBODY><TR><TD><BR>";
        EXPECT_EQ(save(std::string(c.value) + ".htm"), bytesOf(expected));
    }
}

TEST_F(MultiLinkPage, PreviewRowsShowTheCommentsAndUndoTypingIntoThem)
{
    const std::array<std::pair<const char*, const char*>, 5> rows{{
        {"Text1", "Text6"},
        {"Text2", "Text7"},
        {"Text3", "Text8"},
        {"Text4", "Text9"},
        {"Text5", "Text10"},
    }};
    for (const auto& [comment, preview] : rows) {
        SCOPED_TRACE(comment);
        type(comment, std::string("見出し") + comment);
        EXPECT_EQ(page().text(preview), std::string("見出し") + comment);

        type(preview, "勝手な文字");
        EXPECT_EQ(page().text(preview), std::string("見出し") + comment);
        EXPECT_EQ(page().text(comment), std::string("見出し") + comment);

        type(comment, "");
        EXPECT_EQ(page().text(preview), "");
        type(preview, "x");
        EXPECT_EQ(page().text(preview), "");
    }
    EXPECT_EQ(save(), bytesOf(defaultLines()));
}

TEST_F(MultiLinkPage, BackDiscardsEverythingTyped)
{
    program.show("Form1");  // the menu behind may not be built in every configuration
    type("Text1", "一話");
    type("Text13", "x.asx");
    program.click("Form11", "Option7");

    program.click("Form11", "Command3");
    EXPECT_FALSE(program.isLoaded("Form11"));

    program.show("Form11");
    for (const char* metafile : {"Text11", "Text12", "Text13", "Text14", "Text15"}) {
        EXPECT_EQ(page().text(metafile), ".asx") << metafile;
    }
    EXPECT_EQ(page().text("Text1"), "");
    EXPECT_EQ(page().text("Text6"), "");
    EXPECT_EQ(page().text("Text16"), "center");
    EXPECT_TRUE(page().selected("Option6"));
    EXPECT_EQ(page().rect("Picture2").left, 960);
}

TEST(MultiLinkPageLayout, ControlsStandWhereTheScreenPlacesThem)
{
    form::ScriptedPlatform platform;
    form::Program program{app::kelvoraProgram(), platform};
    const form::ScreenDef& def = program.screen("Form11").def();
    EXPECT_EQ(def.caption(), "その他　1");
    EXPECT_EQ(def.client().width, 10725);
    EXPECT_EQ(def.client().height, 6540);

    const std::vector<std::pair<std::string, form::Rect>> placed{
        {"Text1", {4800, 2280, 3255, 495}},    {"Text15", {8520, 4680, 1455, 495}},
        {"Picture1", {240, 1080, 3735, 3855}}, {"Picture2", {840, 1200, 1935, 1455}},
        {"Text10", {0, 960, 1815, 240}},       {"Label6", {0, 5640, 10695, 975}},
    };
    for (const auto& [name, rect] : placed) {
        EXPECT_EQ(def.get(name).rect, rect) << name;
    }
    for (const char* name :
         {"Text16", "Text17", "Text18", "Text19", "Text20", "Text21", "Text22", "Text23", "Text24"}) {
        EXPECT_GE(def.get(name).rect.top, def.client().height) << name << " would be in view";
    }
    EXPECT_EQ(def.get("Text10").container, "Picture2");
}

}  // namespace
