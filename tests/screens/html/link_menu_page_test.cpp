// Form12, the link menu page with its inline frame, driven as the user drives it.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/catalog.h"
#include "form/field_name.h"
#include "output/cp932.h"
#include "screens/html/link_menu_page.h"
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

std::string frameLine(const std::string& height, const std::string& width, const std::string& title = ".htm")
{
    return "<iframe src=\"./" + title + "\" name=\"sample\" height=" + height + " width=" + width +
           " scrolling=no align=left marginwidth=0 marginheight=0></iframe>";
}

const std::string emptyLink = "<BR><A href=\"./.htm\" target=\"sample\"></A><BR>";

std::vector<std::string> defaultLines()
{
    return {
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">",
        "<HTML><HEAD><TITLE></TITLE></HEAD><BODY bgcolor=\"#a7fef3\">",
        frameLine("304", "320"),
        "<TABLE><TBODY><TR><TD></TD><TD>メニュー<BR>",
        emptyLink,
        emptyLink,
        emptyLink,
        emptyLink,
        "<BR><A href=\"./.htm\" target=\"sample\"></A></TD>",
        "</TR></TBODY></TABLE></BODY></HTML>",
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

// Counts how often each control of Form12 changed during one user action.
class ChangeCounter : public form::Observer {
public:
    void controlChanged(form::Form&, const std::string& control) override { ++changes[control]; }
    std::map<std::string, int> changes;
};

class LinkMenuPage : public testing_support::ScreenFixture {
protected:
    LinkMenuPage() : ScreenFixture("Form12", "menu.htm") {}
};

TEST_F(LinkMenuPage, StartsFromItsLoadedDefaults)
{
    EXPECT_EQ(page().text("Text16"), "320");
    EXPECT_EQ(page().text("Text17"), "304");
    EXPECT_EQ(page().text("Text18"), "メニュー");
    for (const char* name : {"Text31", "Text11", "Text12", "Text13", "Text14", "Text15"}) {
        EXPECT_EQ(page().text(name), ".htm") << name;
    }
    for (int n = 1; n <= 10; ++n) {
        EXPECT_EQ(page().text("Text" + std::to_string(n)), "") << n;
    }
    EXPECT_TRUE(page().selected("Option1"));
    EXPECT_EQ(page().rect("Picture1").left, 120);
    EXPECT_EQ(page().rect("Picture2").top, 1200);
    EXPECT_EQ(page().rect("Picture3").left, 1440);
    EXPECT_EQ(page().rect("Picture3").top, 1200);
}

TEST_F(LinkMenuPage, WritesTheFrameAndFirstLinkExample)
{
    type("Text31", "title.htm");
    type("Text1", "ここをクリックすると見れます。");
    type("Text11", "a.htm");

    EXPECT_EQ(save("menu", "menu.htm"),  // the dialog adds the extension
              crlf({"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">",
                    "<HTML><HEAD><TITLE></TITLE></HEAD><BODY bgcolor=\"#a7fef3\">",
                    "<iframe src=\"./title.htm\" name=\"sample\" height=304 width=320 "
                    "scrolling=no align=left marginwidth=0 marginheight=0></iframe>",
                    "<TABLE><TBODY><TR><TD></TD><TD>\x83\x81\x83\x6A\x83\x85\x81\x5B<BR>",
                    "<BR><A href=\"./a.htm\" target=\"sample\">"
                    "\x82\xB1\x82\xB1\x82\xF0\x83\x4E\x83\x8A\x83\x62\x83\x4E\x82\xB7"
                    "\x82\xE9\x82\xC6\x8C\xA9\x82\xEA\x82\xDC\x82\xB7\x81\x42</A><BR>",
                    emptyLink, emptyLink, emptyLink, "<BR><A href=\"./.htm\" target=\"sample\"></A></TD>",
                    "</TR></TBODY></TABLE></BODY></HTML>"}));
    ASSERT_EQ(platform.dialogs.size(), 1u);
    EXPECT_EQ(platform.dialogs[0].settings.filter, "ハイパーテキスト(*.htm)|*.htm");
    EXPECT_EQ(platform.dialogs[0].settings.defaultExt, "htm");
    EXPECT_EQ(platform.dialogs[0].settings.initDir, "c:\\");
}

TEST_F(LinkMenuPage, SavedStraightAfterOpeningHasTenLinesAndFiveLinks)
{
    EXPECT_EQ(save(), bytesOf(defaultLines()));
}

TEST_F(LinkMenuPage, EachRowChangesOnlyItsOwnLineAndTheLastEndsTheCell)
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
        program.show("Form1");  // keeps the program running while Form12 starts over
        program.unload("Form12");
        program.show("Form12");
        const std::string n = std::to_string(i + 1);
        type(rows[i].first, "第" + n + "話");
        type(rows[i].second, "v" + n + ".htm");

        std::vector<std::string> expected = defaultLines();
        expected[i + 4] =
            "<BR><A href=\"./v" + n + ".htm\" target=\"sample\">第" + n + "話" + (i == 4 ? "</A></TD>" : "</A><BR>");
        EXPECT_EQ(save("row" + n + ".htm"), bytesOf(expected));
    }
}

TEST_F(LinkMenuPage, HeightFollowsTheWidthAndBothGoIntoTheFrameAsText)
{
    struct Case {
        const char* width;
        const char* height;
    };
    for (const Case& c : {Case{"160", "184"}, Case{"480", "424"}, Case{"640", "544"}, Case{"101", "139.75"},
                          Case{"320.6", "304.45"}, Case{"320", "304"}}) {
        SCOPED_TRACE(c.width);
        type("Text16", c.width);
        EXPECT_EQ(page().text("Text17"), c.height);
        std::vector<std::string> expected = defaultLines();
        expected[2] = frameLine(c.height, c.width);
        EXPECT_EQ(save(std::string("w") + c.width + ".htm"), bytesOf(expected));
    }
}

TEST_F(LinkMenuPage, RefusesToSaveWhileTheWidthIsNotANumber)
{
    for (const char* width : {"", "abc", "320px"}) {
        SCOPED_TRACE(width);
        platform.messages.clear();
        type("Text16", width);
        EXPECT_EQ(page().text("Text17"), "");

        program.click("Form12", "Command1");

        EXPECT_TRUE(platform.dialogs.empty());  // refused before the dialog
        EXPECT_EQ(platform.messageTexts(), std::vector<std::string>{screens::widthNotNumberMessage});
        EXPECT_EQ(page().text("Text16"), width);
    }
    type("Text16", "320");
    EXPECT_EQ(page().text("Text17"), "304");
    EXPECT_EQ(save(), bytesOf(defaultLines()));
}

TEST_F(LinkMenuPage, TypingIntoTheHeightIsUndoneWithoutLooping)
{
    ChangeCounter counter;
    program.setObserver(&counter);
    type("Text17", "999");
    program.setObserver(nullptr);
    EXPECT_EQ(page().text("Text17"), "304");
    EXPECT_EQ(page().text("Text16"), "320");
    EXPECT_LE(counter.changes["Text17"], 2);  // the typed text, then the computed one

    type("Text16", "abc");
    type("Text17", "5");
    EXPECT_EQ(page().text("Text17"), "");

    type("Text16", "640");
    type("Text17", "1");
    EXPECT_EQ(page().text("Text17"), "544");
    std::vector<std::string> expected = defaultLines();
    expected[2] = frameLine("544", "640");
    EXPECT_EQ(save(), bytesOf(expected));
}

TEST_F(LinkMenuPage, MenuPreviewShowsLinkTextsAndUndoesTypingIntoIt)
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
        type(comment, std::string("動画") + comment);
        EXPECT_EQ(page().text(preview), std::string("動画") + comment);
        type(preview, "別の文字");
        EXPECT_EQ(page().text(preview), std::string("動画") + comment);
        EXPECT_EQ(page().text(comment), std::string("動画") + comment);
        type(comment, "");
        EXPECT_EQ(page().text(preview), "");
    }
    EXPECT_EQ(save(), bytesOf(defaultLines()));
}

TEST(LinkMenuPageLayout, TemplatesAreHiddenAndEveryControlLiesInsideTheWindow)
{
    form::ScriptedPlatform platform;
    form::Program program{app::kelvoraProgram(), platform};
    const form::ScreenDef& def = program.screen("Form12").def();
    EXPECT_EQ(def.caption(), "その他　2");
    EXPECT_EQ(def.client().width, 12075);
    EXPECT_EQ(def.client().height, 10125);
    for (int n = 19; n <= 30; ++n) {
        EXPECT_FALSE(def.get("Text" + std::to_string(n)).visible) << n;
    }
    EXPECT_EQ(def.get("Picture1").rect.left, 120);
    EXPECT_EQ(def.get("Picture3").container, "Picture1");
    EXPECT_EQ(def.get("Text18").container, "Picture3");
    // Every visible control lies inside the window.
    for (const form::ControlDef& c : def.controls()) {
        if (!c.visible || !c.container.empty() || c.kind == form::Kind::CommonDialog) {
            continue;
        }
        EXPECT_LE(c.rect.left + c.rect.width, def.client().width) << c.name;
        EXPECT_LE(c.rect.top + c.rect.height, def.client().height) << c.name;
    }
}

}  // namespace

namespace {

TEST_F(LinkMenuPage, AQuoteIsRefusedInsideALinkButWrittenInItsTextAndAControlCharacterNowhere)
{
    // The target lies between the href's quotes, the text between the tags.
    const std::string quoteInValue = "」の文字「\"」はページやメタファイルの値の中に書き込めません。"
                                     "この文字を別の文字に直してから保存してください。";
    const std::string control = "」はページやメタファイルに書き込めません。"
                                "この文字を別の文字に直してから保存してください。";
    const struct {
        const char* field;
        std::string typed;
        std::string refusal;  // after the field's prompt; empty: saved
    } cases[] = {
        {"Text11", "x\" onclick=\"alert(1)", quoteInValue},
        {"Text31", "a\".htm", quoteInValue},
        {"Text11", "a\nb.htm", "」の文字「U+000A" + control},
        {"Text1", "tab\there", "」の文字「U+0009" + control},
        {"Text1", "\"第1話\"", ""},
        {"Text11", "http://example.jp:8080/a.htm", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        program.show("Form1");
        program.unload("Form12");
        program.show("Form12");
        platform.messages.clear();
        type(c.field, c.typed);
        const std::size_t dialogs = platform.dialogs.size();
        platform.answerSave(folder.file("q.htm"));
        program.click("Form12", "Command1");
        ASSERT_EQ(platform.messages.size(), 1u);
        if (c.refusal.empty()) {
            EXPECT_EQ(platform.messages[0].text, folder.file("q.htm") + "を保存しました。");
            EXPECT_NE(readBytes(folder.file("q.htm")).find(sjis(c.typed)), std::string::npos);
            std::filesystem::remove(folder.file("q.htm"));
        } else {
            EXPECT_EQ(platform.dialogs.size(), dialogs);  // refused before the dialog
            EXPECT_EQ(platform.messages[0].text, "「" + form::fieldName(page(), c.field) + c.refusal);
            EXPECT_EQ(testing_support::filesIn(folder.path()), 0u);
        }
    }
}

}  // namespace
