// Form5 and Form8, the popup pages, driven as the user drives them from their
// menus. Every case runs on both twins; the written pages are checked as bytes.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/catalog.h"
#include "screens/html/popup_page.h"
#include "support.h"

namespace {

using testing_support::crlf;
using testing_support::filesIn;
using testing_support::readBytes;
using testing_support::TempFolder;

struct Twin {
    const char* screen;
    const char* menu;  // opened from it by its Command1
    bool hasFolder;
};

const Twin twins[] = {{"Form5", "Form4", false}, {"Form8", "Form7", true}};

const std::string comment = "家族の映像です。クリックしてね。";
const std::string commentCp932 = "\x89\xC6\x91\xB0\x82\xCC\x89\x66\x91\x9C\x82\xC5\x82\xB7\x81\x42"
                                 "\x83\x4E\x83\x8A\x83\x62\x83\x4E\x82\xB5\x82\xC4\x82\xCB\x81\x42";
const std::string firstLine = "<HTML><HEAD><TITLE></TITLE></HEAD><BODY>";
const std::string lastLine = "</BODY></HTML>";

// Counts how often the window system would be told that a control changed.
class ChangeCounter : public form::Observer {
public:
    void controlChanged(form::Form&, const std::string& control) override { ++counts[control]; }
    std::map<std::string, int> counts;
};

// One run of the program, with the page opened from its menu.
struct Session {
    explicit Session(const Twin& t) : twin(t)
    {
        program.start(t.menu);
        program.click(t.menu, "Command1");
    }

    form::Form& page() { return program.screen(twin.screen); }
    void type(const std::string& control, const std::string& text) { program.edit(twin.screen, control, text); }
    void click(const std::string& control) { program.click(twin.screen, control); }

    std::string save(const std::string& path)
    {
        platform.answerSave(path);
        click("Command1");
        return readBytes(path);
    }

    const Twin& twin;
    form::ScriptedPlatform platform;
    form::Program program{app::kelvoraProgram(), platform};
};

TEST(PopupPage, WritesTheThreeLinesOfThePage)
{
    TempFolder folder;
    struct Case {
        const char* what;
        std::vector<const char*> options;                               // clicked in this order
        std::optional<std::string> metafileFolder, metafile, linkText;  // nullopt: left as loaded
        std::optional<std::string> simpleLine2, detailedLine2;          // nullopt: not for that twin
    };
    const Case cases[] = {
        {"straight after opening",
         {},
         std::nullopt,
         std::nullopt,
         std::nullopt,
         R"(<P align="center"><B><A href="./.asx" target="_self"></A></B></P>)",
         R"(<P align="center"><B><A href="..//.asx" target="_self"></A></B></P>)"},
        {"the worked example",
         {},
         "omiyage",
         "hoge.asx",
         comment,
         R"(<P align="center"><B><A href="./hoge.asx" target="_self">)" + commentCp932 + "</A></B></P>",
         R"(<P align="center"><B><A href="../omiyage/hoge.asx" target="_self">)" + commentCp932 + "</A></B></P>"},
        {"left edge",
         {"Option1"},
         "v",
         "kyou01.asx",
         "Click",
         R"(<P align="left"><B><A href="./kyou01.asx" target="_self">Click</A></B></P>)",
         R"(<P align="left"><B><A href="../v/kyou01.asx" target="_self">Click</A></B></P>)"},
        {"right edge",
         {"Option3"},
         "v",
         "kyou01.asx",
         "Click",
         R"(<P align="right"><B><A href="./kyou01.asx" target="_self">Click</A></B></P>)",
         R"(<P align="right"><B><A href="../v/kyou01.asx" target="_self">Click</A></B></P>)"},
        {"back to the centre",
         {"Option3", "Option1", "Option2"},
         "v",
         "a.asx",
         "x",
         R"(<P align="center"><B><A href="./a.asx" target="_self">x</A></B></P>)",
         R"(<P align="center"><B><A href="../v/a.asx" target="_self">x</A></B></P>)"},
        {"a name without the extension is written as typed",
         {},
         std::nullopt,
         "kyou01",
         std::nullopt,
         R"(<P align="center"><B><A href="./kyou01" target="_self"></A></B></P>)",
         R"(<P align="center"><B><A href="..//kyou01" target="_self"></A></B></P>)"},
        {"a folder with its own slash",
         {},
         "omiyage/",
         "hoge.asx",
         std::nullopt,
         std::nullopt,
         R"(<P align="center"><B><A href="../omiyage//hoge.asx" target="_self"></A></B></P>)"},
        {"markup is not escaped",
         {},
         "a b",
         "<x>&.asx",
         "\"q\"",
         R"(<P align="center"><B><A href="./<x>&.asx" target="_self">"q"</A></B></P>)",
         R"(<P align="center"><B><A href="../a b/<x>&.asx" target="_self">"q"</A></B></P>)"},
    };
    for (const Twin& t : twins) {
        for (const Case& c : cases) {
            const std::optional<std::string>& line2 = t.hasFolder ? c.detailedLine2 : c.simpleLine2;
            if (!line2) {
                continue;
            }
            SCOPED_TRACE(std::string(t.screen) + ": " + c.what);
            Session u(t);
            for (const char* option : c.options) {
                u.click(option);
            }
            if (c.metafileFolder && t.hasFolder) {
                u.type("Text11", *c.metafileFolder);
            }
            if (c.metafile) {
                u.type("Text1", *c.metafile);
            }
            if (c.linkText) {
                u.type("Text2", *c.linkText);
            }
            const std::string path = folder.file(std::string(t.screen) + ".htm");
            EXPECT_EQ(u.save(path), crlf({firstLine, *line2, lastLine}));
            EXPECT_EQ(u.platform.messageTexts(), std::vector<std::string>{path + "を保存しました。"});
        }
    }
}

TEST(PopupPage, StartsFromItsDefaults)
{
    for (const Twin& t : twins) {
        SCOPED_TRACE(t.screen);
        Session u(t);
        EXPECT_EQ(u.program.visibleScreens(), std::vector<std::string>{t.screen});
        form::Form& page = u.page();
        EXPECT_EQ(page.text("Text1"), ".asx");
        EXPECT_EQ(page.text("Text2"), "");
        EXPECT_EQ(page.text("Text3"), "");
        EXPECT_EQ(page.text("Text6"), "center");
        EXPECT_TRUE(page.selected("Option2"));
        EXPECT_FALSE(page.selected("Option1"));
        EXPECT_FALSE(page.selected("Option3"));
        EXPECT_EQ(page.rect("Text3"), (form::Rect{840, 1440, 2055, 255}));
        if (t.hasFolder) {
            EXPECT_EQ(page.text("Text11"), "");
            EXPECT_EQ(page.text("Text12"), "/");
        }
    }
}

TEST(PopupPage, TheAlignmentMovesThePreview)
{
    struct Case {
        const char* option;
        const char* value;
        int left;  // flush left, centred, flush right in the 3735-wide preview
    };
    // Right first, so that the centre is reached from somewhere else.
    const Case cases[] = {{"Option3", "right", 1680}, {"Option1", "left", 0}, {"Option2", "center", 840}};
    for (const Twin& t : twins) {
        Session u(t);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(t.screen) + " " + c.option);
            u.click(c.option);
            EXPECT_EQ(u.page().text("Text6"), c.value);
            EXPECT_EQ(u.page().rect("Text3").left, c.left);
            EXPECT_EQ(u.page().rect("Text3").top, 1440);
            for (const char* other : {"Option1", "Option2", "Option3"}) {
                EXPECT_EQ(u.page().selected(other), std::string(other) == c.option) << other;
            }
        }
        // Flush right really is flush: the preview field ends at the picture's edge.
        EXPECT_EQ(u.page().rect("Picture1").width - u.page().rect("Text3").width, 1680);
    }
}

TEST(PopupPage, ThePreviewShowsTheCommentAndUndoesEditsOfItsOwn)
{
    TempFolder folder;
    for (const Twin& t : twins) {
        SCOPED_TRACE(t.screen);
        Session u(t);
        u.type("Text1", "hoge.asx");
        u.type("Text2", comment);
        EXPECT_EQ(u.page().text("Text3"), comment);

        ChangeCounter changes;
        u.program.setObserver(&changes);
        u.type("Text3", "いたずら");
        u.program.setObserver(nullptr);
        EXPECT_EQ(u.page().text("Text3"), comment);
        EXPECT_EQ(u.page().text("Text2"), comment);
        // The edit and its undoing, nothing more: the mirror does not feed itself.
        EXPECT_EQ(changes.counts["Text3"], 2);

        u.type("Text2", "");
        EXPECT_EQ(u.page().text("Text3"), "");
        u.type("Text2", comment);
        u.type("Text3", "x");
        const std::string target = t.hasFolder ? "..//hoge.asx" : "./hoge.asx";
        EXPECT_EQ(
            u.save(folder.file(std::string(t.screen) + ".htm")),
            crlf({firstLine,
                  "<P align=\"center\"><B><A href=\"" + target + "\" target=\"_self\">" + commentCp932 + "</A></B></P>",
                  lastLine}));
    }
}

TEST(PopupPage, SavesThroughItsOwnDialogAndKeepsTheFields)
{
    TempFolder folder;
    for (const Twin& t : twins) {
        SCOPED_TRACE(t.screen);
        Session u(t);
        u.type("Text1", "hoge.asx");
        const std::size_t filesBefore = filesIn(folder.path());

        u.platform.answerCancel();
        u.click("Command1");
        EXPECT_EQ(u.platform.messageTexts(), std::vector<std::string>{"キャンセルされました"});
        EXPECT_EQ(filesIn(folder.path()), filesBefore);

        // A name typed without an extension gets ".htm"; saving twice gives
        // the same page twice, because saving changes no field.
        const std::string a = folder.file(std::string(t.screen) + "-a");
        const std::string first = u.save(a);
        EXPECT_EQ(readBytes(a + ".htm"),
                  crlf({firstLine,
                        t.hasFolder ? R"(<P align="center"><B><A href="..//hoge.asx" target="_self"></A></B></P>)"
                                    : R"(<P align="center"><B><A href="./hoge.asx" target="_self"></A></B></P>)",
                        lastLine}));
        EXPECT_EQ(u.save(folder.file(std::string(t.screen) + "-b.htm")), readBytes(a + ".htm"));
        EXPECT_EQ(u.page().text("Text1"), "hoge.asx");

        ASSERT_EQ(u.platform.dialogs.size(), 3u);
        const form::SaveDialogSettings& d = u.platform.dialogs.back().settings;
        EXPECT_EQ(u.platform.dialogs.back().owner, t.screen);
        EXPECT_EQ(d.title, "名前をつけて保存");
        EXPECT_EQ(d.filter, "ハイパーテキスト(*.htm)|*.htm");
        EXPECT_EQ(d.defaultExt, "htm");
        EXPECT_EQ(d.initDir, "c:\\");
        EXPECT_EQ(d.fileName, a + ".htm");  // the dialog offers the last name again
    }
}

TEST(PopupPage, RefusesACommentShiftJisCannotHoldAndNamesTheField)
{
    TempFolder folder;
    for (const Twin& t : twins) {
        SCOPED_TRACE(t.screen);
        Session u(t);
        u.type("Text2", "家族🎥");
        u.platform.answerSave(folder.file("x.htm"));
        u.click("Command1");
        ASSERT_EQ(u.platform.messages.size(), 1u);
        EXPECT_NE(u.platform.messages[0].text.find("「コメント記入」の文字「🎥」"), std::string::npos)
            << u.platform.messages[0].text;
        EXPECT_TRUE(u.platform.dialogs.empty());
        EXPECT_EQ(filesIn(folder.path()), 0u);
    }
}

TEST(PopupPage, EntriesSurviveAVisitToTheMenu)
{
    for (const Twin& t : twins) {
        SCOPED_TRACE(t.screen);
        Session u(t);
        if (t.hasFolder) {
            u.type("Text11", "omiyage");
        }
        u.type("Text1", "hoge.asx");
        u.type("Text2", comment);
        u.click("Option3");

        u.click("Command3");  // "戻る"
        EXPECT_EQ(u.program.visibleScreens(), std::vector<std::string>{t.menu});
        EXPECT_TRUE(u.program.isLoaded(t.screen));
        u.program.click(t.menu, "Command1");

        EXPECT_EQ(u.program.visibleScreens(), std::vector<std::string>{t.screen});
        EXPECT_EQ(u.page().text("Text1"), "hoge.asx");
        EXPECT_EQ(u.page().text("Text3"), comment);
        EXPECT_EQ(u.page().text("Text6"), "right");
        EXPECT_TRUE(u.page().selected("Option3"));
        EXPECT_EQ(u.page().rect("Text3").left, 1680);
        if (t.hasFolder) {
            EXPECT_EQ(u.page().text("Text11"), "omiyage");
        }

        // Back to the top menu discards the page; it starts over next time.
        u.click("Command3");
        u.program.click(t.menu, "Command4");
        EXPECT_FALSE(u.program.isLoaded(t.screen));
        u.program.show(t.menu);
        u.program.click(t.menu, "Command1");
        EXPECT_EQ(u.page().text("Text1"), ".asx");
        EXPECT_EQ(u.page().text("Text2"), "");
        EXPECT_EQ(u.page().text("Text6"), "center");
        EXPECT_TRUE(u.page().selected("Option2"));
        EXPECT_EQ(u.page().rect("Text3").left, 840);
    }
}

TEST(PopupPage, TheSimplePageIsDiscardedByTheEmbedPagesWayBack)
{
    Session u(twins[0]);
    u.type("Text1", "hoge.asx");
    u.click("Command3");
    u.program.click("Form4", "Command2");  // the embed page; the popup page stays hidden
    EXPECT_EQ(u.program.visibleScreens(), std::vector<std::string>{"Form6"});
    EXPECT_EQ(u.page().text("Text1"), "hoge.asx");
    u.program.click("Form6", "Command3");  // its "戻る" unloads both simple pages
    EXPECT_FALSE(u.program.isLoaded("Form5"));
    u.program.click("Form4", "Command1");
    EXPECT_EQ(u.page().text("Text1"), ".asx");
}

TEST(PopupPage, TheDetailedPageSurvivesAVisitToTheEmbedPage)
{
    Session u(twins[1]);
    u.type("Text11", "omiyage");
    u.click("Command3");
    u.program.click("Form7", "Command2");
    EXPECT_EQ(u.program.visibleScreens(), (std::vector<std::string>{"Form7", "Form9"}));
    u.program.click("Form9", "Command3");
    u.program.click("Form7", "Command1");
    EXPECT_EQ(u.program.visibleScreens(), std::vector<std::string>{"Form8"});
    EXPECT_EQ(u.page().text("Text11"), "omiyage");
}

TEST(PopupPageLayout, NoTemplateFieldIsInViewAndFocusStartsAtTheFirstStep)
{
    const std::pair<const form::ScreenDef& (*)(), const char*> screens[] = {{screens::simplePopupPage, "Text1"},
                                                                            {screens::detailedPopupPage, "Text11"}};
    for (const auto& [declare, firstField] : screens) {
        const form::ScreenDef& s = declare();
        SCOPED_TRACE(s.name());
        for (const char* name : {"Text4", "Text5", "Text6", "Text7", "Text8", "Text9", "Text10", "Text12"}) {
            const form::ControlDef* c = s.find(name);
            if (c == nullptr) {
                continue;
            }
            EXPECT_TRUE(!c->visible || c->rect.top >= s.client().height) << name;
            EXPECT_TRUE(c->readOnly) << name;
        }
        int lowest = 1000;
        std::string first;
        for (const form::ControlDef& c : s.controls()) {
            if (c.tabIndex >= 0 && c.tabIndex < lowest && c.visible) {
                lowest = c.tabIndex;
                first = c.name;
            }
        }
        EXPECT_EQ(first, firstField);
        EXPECT_EQ(s.get("Text3").container, "Picture1");
    }
}

}  // namespace
