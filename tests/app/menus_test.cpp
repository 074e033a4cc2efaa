// The three menus between the metafile screens and the page screens: the step
// list of every button, checked against every screen of the build.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/catalog.h"
#include "support/scripted_platform.h"

namespace {

// What a button must leave behind, one letter per screen Form1..Form14:
// U unloaded, H loaded and hidden, V visible, - as it was before the click.
struct MenuButton {
    const char* menu;
    const char* button;
    const char* target;  // the screen the button opens
    const char* after;
};

const MenuButton menuButtons[] = {
    {"Form4", "Command1", "Form5", "UUUHVHUUUUUUU-"},   {"Form4", "Command2", "Form6", "UUUHHVUUUUUUU-"},
    {"Form4", "Command3", "Form10", "UUUUUUUUUVUUU-"},  {"Form4", "Command4", "Form1", "VHHUUUUUUUUUU-"},
    {"Form7", "Command1", "Form8", "UUHU-UUVHUUUU-"},   {"Form7", "Command2", "Form9", "UUHU-U-HVUUUU-"},
    {"Form7", "Command4", "Form1", "VUUUUUUUUUUUU-"},   {"Form10", "Command1", "Form11", "UUUUUUUUUUVU--"},
    {"Form10", "Command2", "Form12", "UUUUUUUUUUUV--"}, {"Form10", "Command4", "Form1", "VUUUUUUUUUUU--"},
};

std::string formName(int n)
{
    return "Form" + std::to_string(n);
}

char stateOf(const form::Program& p, const std::string& screen)
{
    return p.isVisible(screen) ? 'V' : p.isLoaded(screen) ? 'H' : 'U';
}

// The states of Form1..Form14.
std::string states(const form::Program& p)
{
    std::string out;
    for (int n = 1; n <= 14; ++n) {
        out += stateOf(p, formName(n));
    }
    return out;
}

// The states a list leaves: '-' in `after` keeps the state from `before`.
std::string expectedStates(const std::string& before, const std::string& after)
{
    std::string out;
    for (int n = 1; n <= 14; ++n) {
        out += after[n - 1] == '-' ? before[n - 1] : after[n - 1];
    }
    return out;
}

TEST(MenuSteps, EveryButtonLeavesEachScreenAsItsListSays)
{
    for (const MenuButton& b : menuButtons) {
        // Once with every screen open, which tells hide, unload and "left
        // alone" apart; once with only the menu open, which shows that a hide
        // step loads a screen and an unload step does not.
        for (const bool everythingOpen : {true, false}) {
            SCOPED_TRACE(std::string(b.menu) + "." + b.button + (everythingOpen ? " all open" : " alone"));
            form::ScriptedPlatform platform;
            form::Program program{app::kelvoraProgram(), platform};
            program.start(b.menu);
            if (everythingOpen) {
                for (int n = 1; n <= 14; ++n) {
                    program.show(formName(n));
                }
            }
            const std::string before = states(program);
            program.click(b.menu, b.button);
            EXPECT_EQ(states(program), expectedStates(before, b.after));
            EXPECT_FALSE(platform.ended);
        }
    }
}

TEST(MenuSteps, EveryExitButtonEndsTheProgram)
{
    const std::pair<const char*, const char*> exits[] = {
        {"Form4", "Command5"}, {"Form7", "Command5"}, {"Form10", "Command3"}};
    for (const auto& [menu, button] : exits) {
        SCOPED_TRACE(menu);
        form::ScriptedPlatform platform;
        form::Program program{app::kelvoraProgram(), platform};
        program.start(menu);
        program.show("Form1");  // a second window: the exit must not rely on the last one closing
        program.click(menu, button);
        EXPECT_TRUE(platform.ended);
        EXPECT_TRUE(program.loadedScreens().empty());
    }
}

TEST(MenuLifecycle, BackToTheTopLoadsTheMetafileScreensHidden)
{
    form::ScriptedPlatform platform;
    form::Program program{app::kelvoraProgram(), platform};
    program.start("Form4");
    program.click("Form4", "Command4");
    EXPECT_EQ(program.visibleScreens(), std::vector<std::string>{"Form1"});
    for (const char* metafile : {"Form2", "Form3"}) {
        EXPECT_EQ(stateOf(program, metafile), 'H') << metafile;
    }
    // The load handler ran: the video field is ready for a name.
    EXPECT_EQ(program.screen("Form2").text("Text1"), ".wmv");
}

TEST(MenuLifecycle, TheMetafileScreenStartsOverAfterTheMenuWentBackToTheTop)
{
    form::ScriptedPlatform platform;
    form::Program program{app::kelvoraProgram(), platform};
    program.start("Form1");
    program.click("Form1", "Command3");
    program.edit("Form2", "Text1", "kyou01.wmv");
    program.click("Form2", "Command2");  // "次"
    ASSERT_TRUE(program.isVisible("Form4"));
    program.click("Form4", "Command4");
    program.click("Form1", "Command3");
    EXPECT_EQ(program.visibleScreens(), std::vector<std::string>{"Form2"});
    EXPECT_EQ(program.screen("Form2").text("Text1"), ".wmv");
}

TEST(MenuLifecycle, TheDetailedMenuStaysOpenBesideTheEmbedPage)
{
    form::ScriptedPlatform platform;
    form::Program program{app::kelvoraProgram(), platform};
    program.start("Form7");
    program.click("Form7", "Command2");
    EXPECT_EQ(program.visibleScreens(), (std::vector<std::string>{"Form7", "Form9"}));
    program.click("Form9", "Command3");  // "戻る"
    EXPECT_EQ(program.visibleScreens(), std::vector<std::string>{"Form7"});
    EXPECT_EQ(stateOf(program, "Form9"), 'H');
}

}  // namespace
