// The event and lifecycle rules every screen relies on, on small screens
// made for the purpose.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form/form.h"
#include "support/scripted_platform.h"

namespace {

std::vector<std::string> trace;

// Mirror: a change of either field copies A into B. Echo counts its own changes.
const form::ScreenDef& mirrorScreen()
{
    static const form::ScreenDef s = [] {
        form::ScreenDef d{"Mirror", "mirror", {3000, 2000}};
        d.text("A", "");
        d.text("B", "");
        d.text("Log", "");
        d.option("Option1", "one");
        d.option("Option2", "two").checked();
        d.option("Option3", "inside").inside("Frame1").checked();
        d.frame("Frame1", "");
        d.onChange("A", [](form::Form& f) {
            trace.push_back("A:" + f.text("A"));
            f.set("B", f.text("A"));
            trace.push_back("A done");
        });
        d.onChange("B", [](form::Form& f) {
            trace.push_back("B:" + f.text("B"));
            f.set("B", f.text("A"));
        });
        d.onClick("Option1", [](form::Form& f) { trace.push_back("click1 " + f.text("A")); });
        return d;
    }();
    return s;
}

// Loader reads a field of Other inside its load handler; Other's load handler
// refers back to Loader while Loader is still loading.
const form::ScreenDef& loaderScreen()
{
    static const form::ScreenDef s = [] {
        form::ScreenDef d{"Loader", "loader", {3000, 2000}};
        d.text("Text1", "design");
        d.button("Command1", "leave");
        d.onLoad([](form::Form& f) {
            trace.push_back("Loader load");
            f.set("Text1", f.screen("Other").text("Text1"));
        });
        d.onClick("Command1", [](form::Form& f) {
            // Unloads its own screen first, then goes on with its steps.
            f.program().switchScreen(form::Steps().unload("Loader").show("Other"));
            trace.push_back("after unload: " + f.text("Text1"));
            f.set("Text1", "ignored");
        });
        return d;
    }();
    return s;
}

const form::ScreenDef& otherScreen()
{
    static const form::ScreenDef s = [] {
        form::ScreenDef d{"Other", "other", {3000, 2000}};
        d.text("Text1", "");
        d.onLoad([](form::Form& f) {
            trace.push_back("Other load");
            f.set("Text1", "from other " + f.screen("Loader").text("Text1"));
        });
        return d;
    }();
    return s;
}

struct FormModel : ::testing::Test {
    FormModel() { trace.clear(); }
    form::ScriptedPlatform platform;
    form::Program program{
        {"Title", {{"Mirror", mirrorScreen}, {"Loader", loaderScreen}, {"Other", otherScreen}}, "Mirror", "help.file"},
        platform};
};

TEST_F(FormModel, ChangeHandlersNestAndStopOnUnchangedText)
{
    program.start("Mirror");
    program.edit("Mirror", "A", "x");
    // A's handler sets B, whose handler runs to completion first; B's own
    // assignment of the same text fires nothing more.
    EXPECT_EQ(trace, (std::vector<std::string>{"A:x", "B:x", "A done"}));

    trace.clear();
    program.edit("Mirror", "A", "x");
    EXPECT_TRUE(trace.empty());

    // An edit of the mirror is undone at once.
    program.edit("Mirror", "B", "typed");
    EXPECT_EQ(program.find("Mirror")->text("B"), "x");
}

TEST_F(FormModel, SelectingAnOptionClearsOnlyItsOwnContainerAndRunsItsClick)
{
    program.start("Mirror");
    form::Form& f = *program.find("Mirror");
    program.click("Mirror", "Option1");
    EXPECT_TRUE(f.selected("Option1"));
    EXPECT_FALSE(f.selected("Option2"));
    EXPECT_TRUE(f.selected("Option3"));
    EXPECT_EQ(trace, std::vector<std::string>{"click1 "});
}

TEST_F(FormModel, AScreenCountsAsLoadedWhileItsLoadHandlerRuns)
{
    program.start("Loader");
    // Loader's load reads Other, whose load reads Loader: no second load.
    EXPECT_EQ(trace, (std::vector<std::string>{"Loader load", "Other load"}));
    EXPECT_EQ(program.find("Other")->text("Text1"), "from other design");
    EXPECT_EQ(program.find("Loader")->text("Text1"), "from other design");
    EXPECT_TRUE(program.isVisible("Loader"));
    EXPECT_TRUE(program.isLoaded("Other"));
    EXPECT_FALSE(program.isVisible("Other"));
}

TEST_F(FormModel, AHandlerThatUnloadsItsOwnScreenRunsOnSafely)
{
    program.start("Loader");
    trace.clear();
    program.click("Loader", "Command1");
    EXPECT_EQ(trace, std::vector<std::string>{"after unload: from other design"});
    EXPECT_FALSE(program.isLoaded("Loader"));
    EXPECT_TRUE(program.isVisible("Other"));
    EXPECT_FALSE(platform.ended);
}

TEST_F(FormModel, StepsOnScreensThatAreNotLoaded)
{
    // Unload of a screen that is not loaded changes nothing; hide loads it
    // hidden and runs its load handler (which here loads Loader by reading
    // it); unknown screens are passed over.
    program.switchScreen(form::Steps().unload("Mirror").hide("Other").show("NoSuchScreen"));
    EXPECT_FALSE(program.isLoaded("Mirror"));
    EXPECT_TRUE(program.isLoaded("Other"));
    EXPECT_FALSE(program.isVisible("Other"));
    EXPECT_FALSE(program.isVisible("Loader"));
    EXPECT_EQ(trace, (std::vector<std::string>{"Other load", "Loader load"}));
}

TEST_F(FormModel, UnloadingDiscardsEverythingTyped)
{
    program.start("Mirror");
    program.show("Other");
    program.edit("Mirror", "A", "typed");
    program.unload("Mirror");
    program.show("Mirror");
    EXPECT_EQ(program.find("Mirror")->text("A"), "");
    EXPECT_TRUE(program.find("Mirror")->selected("Option2"));
}

TEST_F(FormModel, TheProgramEndsWhenNoWindowIsLeft)
{
    program.start("Mirror");
    program.show("Other");
    program.closeWindow("Mirror");
    EXPECT_FALSE(platform.ended);
    program.closeWindow("Other");
    EXPECT_TRUE(platform.ended);
    EXPECT_TRUE(program.loadedScreens().empty());
}

TEST_F(FormModel, ExitEndsAtOnceAndNoFurtherHandlerRuns)
{
    program.start("Mirror");
    program.show("Other");
    program.exitProgram(*program.find("Mirror"));
    EXPECT_TRUE(platform.ended);
    EXPECT_TRUE(program.loadedScreens().empty());
    trace.clear();
    program.click("Other", "Command1");
    program.edit("Mirror", "A", "late");
    EXPECT_TRUE(trace.empty());
}

TEST(SaveDialogExtension, AppendsTheDefaultOnlyToANameWithoutOne)
{
    const struct {
        const char* typed;
        const char* ext;
        const char* saved;
    } cases[] = {
        {"/d/kyou01", "asx", "/d/kyou01.asx"},
        {"/d/kyou01.txt", "asx", "/d/kyou01.txt"},
        {"/d/a.b/page", "htm", "/d/a.b/page.htm"},
        {"/d/page", "", "/d/page"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(form::withDefaultExtension(c.typed, c.ext), c.saved) << c.typed;
    }
}

}  // namespace
