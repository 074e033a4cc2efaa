// Start-up: the splash, the top menu's three ways of working, help and exit.
#include <gtest/gtest.h>

#include "app/catalog.h"
#include "support/scripted_platform.h"

namespace {

struct Startup : ::testing::Test {
    form::ScriptedPlatform platform;
    form::Program program{app::kelvoraProgram(), platform};
};

TEST(VersionLine, HalfWidthKatakanaOneSpaceNoLeadingZeros)
{
    EXPECT_EQ(app::versionLine(1, 0, 0), "ﾊﾞｰｼﾞｮﾝ 1.0.0");
    EXPECT_EQ(app::versionLine(2, 10, 7), "ﾊﾞｰｼﾞｮﾝ 2.10.7");
}

TEST_F(Startup, TheSplashShowsTitleAndVersionAndOnlyItsFrameMovesOn)
{
    program.start("frmSplash");
    form::Form& splash = *program.find("frmSplash");
    EXPECT_EQ(splash.text("lblProductName"), "Mirevant");
    EXPECT_EQ(splash.text("lblVersion"), std::string("ﾊﾞｰｼﾞｮﾝ ") + KELVORA_VERSION);
    for (const char* notTheFrame : {"Label1", "Label2", "imgLogo", "lblVersion"}) {
        program.click("frmSplash", notTheFrame);
    }
    EXPECT_EQ(program.visibleScreens(), std::vector<std::string>{"frmSplash"});
    program.click("frmSplash", "Frame1");
    EXPECT_EQ(program.loadedScreens(), std::vector<std::string>{"Form1"});
    EXPECT_TRUE(program.isVisible("Form1"));
}

TEST_F(Startup, AKeyOnTheSplashEndsTheProgramWithoutTheMenu)
{
    program.start("frmSplash");
    program.keyPress("frmSplash");
    EXPECT_TRUE(platform.ended);
    EXPECT_FALSE(program.isLoaded("Form1"));
}

TEST_F(Startup, TheTopMenuOpensEachWayAndUnloadsItself)
{
    const struct {
        const char* button;
        const char* target;
    } cases[] = {{"Command2", "Form13"}, {"Command3", "Form2"}, {"Command4", "Form3"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        program.show("Form1");
        program.click("Form1", c.button);
        EXPECT_FALSE(program.isLoaded("Form1"));
        EXPECT_TRUE(program.isVisible(c.target));
        program.unload(c.target);
    }
}

TEST_F(Startup, HelpAndExitFromTheTopMenu)
{
    program.start("Form1");
    program.click("Form1", "Command5");
    ASSERT_EQ(platform.helpCalls.size(), 1u);
    EXPECT_EQ(platform.helpCalls[0].owner, "Form1");
    program.click("Form1", "Command1");
    EXPECT_TRUE(platform.ended);
}

}  // namespace
