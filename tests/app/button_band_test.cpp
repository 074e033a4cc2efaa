// The buttons every screen shares, on every screen of both programs: 「?」
// opens the help owned by its screen and is called "ヘルプ"; 「終了」 ends the
// program at once; a way back leaves the screen for another one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/catalog.h"
#include "quick/quick_generator.h"
#include "render/binding.h"
#include "support/scripted_platform.h"

namespace {

struct Pressed {
    std::string program;
    std::string screen;
    std::string button;
    std::string caption;
};

// Every button of every screen, captioned as `which` says.
std::vector<Pressed> buttons(bool (*which)(const std::string& caption))
{
    std::vector<Pressed> found;
    for (const auto& [program, description] :
         {std::pair{"kelvora", app::kelvoraProgram()}, std::pair{"kelvquick", quick::quickProgram()}}) {
        for (const auto& [screen, def] : description.catalog) {
            for (const form::ControlDef& c : def().controls()) {
                if (c.kind == form::Kind::Button && which(c.text)) {
                    found.push_back({program, screen, c.name, c.text});
                }
            }
        }
    }
    return found;
}

form::ProgramDescription programNamed(const std::string& name)
{
    return name == "kelvora" ? app::kelvoraProgram() : quick::quickProgram();
}

TEST(ButtonBand, EveryHelpButtonOpensTheHelpOfItsOwnScreen)
{
    const std::vector<Pressed> helps = buttons([](const std::string& c) { return c == "?"; });
    EXPECT_EQ(helps.size(), 12u);  // every screen but the splash and the three menus
    for (const Pressed& b : helps) {
        SCOPED_TRACE(b.program + " " + b.screen + " " + b.button);
        form::ScriptedPlatform platform;
        form::Program program{programNamed(b.program), platform};
        program.start(b.screen);
        EXPECT_EQ(render::accessibleName(*program.find(b.screen), b.button), "ヘルプ");
        program.click(b.screen, b.button);
        ASSERT_EQ(platform.helpCalls.size(), 1u);
        EXPECT_EQ(platform.helpCalls[0].owner, b.screen);
        EXPECT_EQ(platform.helpCalls[0].file, "KELVORA.hlp");
        EXPECT_EQ(platform.helpCalls[0].command, form::Program::helpContents);
        EXPECT_TRUE(program.isVisible(b.screen));
    }
}

TEST(ButtonBand, EveryExitButtonEndsTheProgramAndEveryWayBackLeavesTheScreen)
{
    const std::vector<Pressed> leaving =
        buttons([](const std::string& c) { return c == "終了" || c.find("戻る") != std::string::npos; });
    EXPECT_EQ(leaving.size(), 25u);
    for (const Pressed& b : leaving) {
        SCOPED_TRACE(b.program + " " + b.screen + " " + b.button);
        form::ScriptedPlatform platform;
        form::Program program{programNamed(b.program), platform};
        program.start(b.screen);
        program.click(b.screen, b.button);
        if (b.caption == "終了") {
            EXPECT_TRUE(platform.ended);
            EXPECT_TRUE(program.loadedScreens().empty());
        } else {
            EXPECT_FALSE(platform.ended);
            EXPECT_FALSE(program.isVisible(b.screen));
            EXPECT_FALSE(program.visibleScreens().empty());
        }
    }
}

}  // namespace
