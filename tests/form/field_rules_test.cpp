// The field rules screens declare on their controls: previews, values worked
// out from a field, and mirrors of another screen's field, kept by the
// runtime through the ordinary change events.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form/form.h"
#include "support/scripted_platform.h"

namespace {

std::vector<std::string> trace;

std::string doubled(std::string_view text)
{
    return std::string(text) + std::string(text);
}

const form::ScreenDef& rulesScreen()
{
    static const form::ScreenDef s = [] {
        form::ScreenDef d{"Rules", "rules", {3000, 2000}};
        d.text("Width", "");
        d.text("Height", "").computedFromField("Width", doubled);
        d.text("Comment", "");
        d.text("Preview", "").previews("Comment");
        d.text("Copy", "").mirrors("Source", "Value");
        // A field worked out from another for assistive technology only: no rule.
        d.text("Spoken", "kept").computedFromField("Width");
        // The screen's own handler runs after the rules have settled.
        d.onChange("Width", [](form::Form& f) { trace.push_back("Width handler sees " + f.text("Height")); });
        return d;
    }();
    return s;
}

const form::ScreenDef& sourceScreen()
{
    static const form::ScreenDef s = [] {
        form::ScreenDef d{"Source", "source", {3000, 2000}};
        d.text("Value", "design");
        d.onLoad([](form::Form&) { trace.push_back("Source load"); });
        return d;
    }();
    return s;
}

struct FieldRules : ::testing::Test {
    FieldRules() { trace.clear(); }
    form::ScriptedPlatform platform;
    form::Program program{{"Title", {{"Rules", rulesScreen}, {"Source", sourceScreen}}, "Rules", "help.file"},
                          platform};
    const std::string& text(const char* screen, const char* field) { return program.find(screen)->text(field); }
};

TEST_F(FieldRules, AFollowingFieldTakesItsFieldsTextAndUndoesEditsOfItsOwn)
{
    program.start("Rules");
    const struct {
        const char* edited;
        const char* typed;
        const char* follower;
        const char* expected;
    } cases[] = {
        {"Width", "12", "Height", "1212"},        {"Height", "99", "Height", "1212"},  // undone at once
        {"Comment", "hello", "Preview", "hello"}, {"Preview", "typed", "Preview", "hello"}, {"Width", "", "Height", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.edited) + " = " + c.typed);
        program.edit("Rules", c.edited, c.typed);
        EXPECT_EQ(text("Rules", c.follower), c.expected);
    }
    // A field only said to be worked out, without a rule, keeps its text.
    EXPECT_EQ(text("Rules", "Spoken"), "kept");
}

TEST_F(FieldRules, TheScreensOwnHandlerRunsAfterTheRules)
{
    program.start("Rules");
    program.edit("Rules", "Width", "3");
    EXPECT_EQ(trace, std::vector<std::string>{"Width handler sees 33"});
}

TEST_F(FieldRules, AMirrorReadsItsScreenLoadingItHiddenAndUndoesEdits)
{
    program.start("Rules");
    EXPECT_FALSE(program.isLoaded("Source"));
    program.edit("Rules", "Copy", "typed");
    EXPECT_EQ(trace, std::vector<std::string>{"Source load"});
    EXPECT_EQ(text("Rules", "Copy"), "design");
    EXPECT_TRUE(program.isLoaded("Source"));
    EXPECT_FALSE(program.isVisible("Source"));
}

TEST_F(FieldRules, AChangeOfTheMirroredFieldReachesTheMirrorLoadingItsScreen)
{
    program.start("Source");
    program.edit("Source", "Value", "new");
    ASSERT_TRUE(program.isLoaded("Rules"));
    EXPECT_FALSE(program.isVisible("Rules"));
    EXPECT_EQ(text("Rules", "Copy"), "new");

    program.edit("Source", "Value", "again");
    EXPECT_EQ(text("Rules", "Copy"), "again");
}

}  // namespace
