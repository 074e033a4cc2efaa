// The layout rules both renderers share: creation order with nested
// containers, the keyboard order, and where a window first appears.
#include <gtest/gtest.h>

#include <tuple>

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

// A window that grew where it was, moving to a monitor of another scale,
// moves into the work area as far as it must, and no further.
TEST(Layout, AWindowThatGrewMovesIntoTheWorkArea)
{
    const render::Area work{0, 30, 1280, 994};
    const struct {
        render::Area window;
        render::Point at;
    } cases[] = {
        {{100, 100, 600, 400}, {100, 100}},     // inside: stays
        {{900, 100, 600, 400}, {680, 100}},     // past the right edge
        {{900, 800, 600, 400}, {680, 624}},     // past the bottom right corner
        {{-50, 10, 600, 400}, {0, 30}},         // above and left of it
        {{500, 500, 1400, 1100}, {0, 30}},      // larger than the work area: top left on screen
        {{1300, 1100, 100, 100}, {1180, 924}},  // wholly off it
    };
    for (const auto& c : cases) {
        EXPECT_EQ(render::keptInside(c.window, work), c.at) << c.window.left << "," << c.window.top;
    }
}

// The desktop's font decides how large a screen is drawn: exactly as laid
// out at 9 pt and 96 dpi (or smaller fonts), larger in proportion to the
// font's height in pixels, and no larger than the screen has room for, even
// where that is smaller than laid out.
TEST(Layout, TheScaleFollowsTheDesktopFontWithinTheRoomThereIs)
{
    const form::Size client{9105, 4725};  // 607 × 315 pixels as laid out
    const render::Area room{0, 0, 1280, 984};
    struct Case {
        render::DesktopFont font;
        render::Area room;
        render::Scale scale;
    } cases[] = {
        {{9, 96}, room, {1, 1}},
        {{8, 96}, room, {1, 1}},  // never below the laid-out size
        {{12, 96}, room, {12.0 / 9, 12.0 / 9}},
        {{14, 96}, room, {14.0 / 9, 14.0 / 9}},
        {{9, 144}, room, {1.5, 1}},                                // the dpi already enlarges the fonts
        {{12, 72}, room, {1, 96.0 / 72}},                          // 12 pt at 72 dpi is the laid-out 12 pixels
        {{18, 96}, {0, 0, 900, 984}, {900 / 607.0, 900 / 607.0}},  // as wide as there is room for
        {{18, 96}, {0, 0, 500, 300}, {500 / 607.0, 500 / 607.0}},  // a small screen: smaller, all in view
        {{9, 96}, {0, 0, 784, 252}, {0.8, 0.8}},                   // so too at the laid-out font
        {{9, 144}, {0, 0, 784, 252}, {0.8, 0.8 / 1.5}},
        {{9, 96}, {0, 0, 200, 100}, {0.5, 0.5}},  // never below half
        {{9, 96}, {0, 0, 0, 0}, {1, 1}},          // a screen that names no room
        {{0, 96}, room, {1, 1}},                  // a platform that names no size
    };
    for (const Case& c : cases) {
        const render::Scale s = render::scaleFor(c.font, client, c.room);
        EXPECT_NEAR(s.layout, c.scale.layout, 0.003) << c.font.points << " pt at " << c.font.dpi << " dpi";
        EXPECT_NEAR(s.fonts, c.scale.fonts, 0.003) << c.font.points << " pt at " << c.font.dpi << " dpi";
    }
    // The laid-out font gives exactly the declared pixels, with no rounding
    // of its own.
    EXPECT_EQ(render::scaleFor(render::laidOutFont, client, room), (render::Scale{1, 1}));
    EXPECT_EQ(render::pixels(9105, 1), 607);
    EXPECT_EQ(render::pixels(9105, 14.0 / 9), 944);
    EXPECT_EQ(render::pixels(-300, 1.5), -30);
}

TEST(Layout, AWindowLargerThanTheWorkAreaKeepsItsTitleBarOnTheScreen)
{
    const render::Area work{0, 30, 1280, 994};
    form::ScreenDef large{"FormL", "", {21000, 16500}};
    EXPECT_EQ(render::firstPlacement(large, 1420, 1130, work), (render::Point{0, 30}));
}

// Scaled, controls that meet in twips still meet, and one that ends at the
// window's edge ends there; as laid out, each size is rounded on its own.
TEST(Layout, ScaledRectanglesKeepTheirEdgesWhereTheDeclarationPutsThem)
{
    struct Case {
        form::Rect twips;
        double layout;
        render::Area area;
    } cases[] = {
        {{8, 8, 8, 8}, 1, {1, 1, 1, 1}},         // as the screens always were
        {{7, 7, 7, 7}, 14.0 / 9, {1, 1, 0, 0}},  // the edges at 0.73 and 1.45 pixels
        {{1500, 0, 1500, 300}, 14.0 / 9, {156, 0, 155, 31}},
        {{0, 5640, 10695, 975}, 1.5, {0, 564, 1070, 98}},
    };
    for (const Case& c : cases) {
        const render::Area a = render::pixels(c.twips, c.layout);
        EXPECT_EQ(std::make_tuple(a.left, a.top, a.width, a.height),
                  std::make_tuple(c.area.left, c.area.top, c.area.width, c.area.height))
            << c.twips.left << "," << c.twips.top << " " << c.twips.width << "×" << c.twips.height << " at ×"
            << c.layout;
    }
    // Two neighbours at 14 pt: the first ends where the second begins.
    const render::Area first = render::pixels({1500, 0, 1500, 300}, 14.0 / 9);
    const render::Area second = render::pixels({3000, 0, 1500, 300}, 14.0 / 9);
    EXPECT_EQ(first.left + first.width, second.left);
}
