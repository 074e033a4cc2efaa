// The layout rules both renderers share: creation order with nested
// containers, the keyboard order, and where a window first appears.
#include <gtest/gtest.h>

#include "render/layout.h"

namespace {

std::vector<std::string> names(const std::vector<const form::ControlDef*>& controls)
{
    std::vector<std::string> out;
    for (const form::ControlDef* c : controls) {
        out.push_back(c->name);
    }
    return out;
}

}  // namespace

TEST(Layout, ContainersComeBeforeWhatTheyHoldAndTabOrderSkipsTheUntabbed)
{
    form::ScreenDef s{"FormT", "", {3000, 3000}};
    s.text("Text1", "").inside("Picture2").tab(2);  // declared before its container
    s.picture("Picture1").tab(1);
    s.picture("Picture2").inside("Picture1");
    s.label("Label1", "");
    s.button("Command1", "").tab(1);  // ties keep declaration order
    s.button("Command2", "").tab(0);
    EXPECT_EQ(names(render::creationOrder(s)),
              (std::vector<std::string>{"Picture1", "Label1", "Command1", "Command2", "Picture2", "Text1"}));
    EXPECT_EQ(names(render::tabOrder(s)), (std::vector<std::string>{"Command2", "Picture1", "Command1", "Text1"}));
}

TEST(Layout, AWindowAppearsCentredOrWhereTheSystemPutsIt)
{
    const render::Area work{0, 30, 1280, 994};
    form::ScreenDef centred{"FormA", "", {1500, 1500}};
    EXPECT_EQ(render::firstPlacement(centred, 401, 300, work), (render::Point{439, 377}));
    form::ScreenDef system{"FormC", "", {1500, 1500}};
    system.placedBySystem();
    EXPECT_FALSE(render::firstPlacement(system, 401, 300, work).has_value());
}
