// How every renderer lays a declared screen out, whatever its toolkit: the
// order controls are created in, the keyboard order, how a control aligns its
// text, and where the window first appears.
#pragma once

#include <algorithm>
#include <optional>
#include <vector>

#include "form/screen_def.h"

namespace render {

// Containers before the controls they hold, however deep they nest, each
// level in declaration order, so that a control's container exists when the
// control is created.
std::vector<const form::ControlDef*> creationOrder(const form::ScreenDef& screen);

// Whether the keyboard reaches the control: it has a tab index, or it shows a
// value worked out from a field that has one.
bool inTabOrder(const form::ScreenDef& screen, const form::ControlDef& control);

// The controls in the tab order, lowest index first, each value worked out
// from a field right after that field; controls outside it are left out.
// Equal indexes keep their declaration order.
std::vector<const form::ControlDef*> tabOrder(const form::ScreenDef& screen);

// A control's text alignment in a toolkit's own terms: the one of `left`,
// `center` and `right` that the declaration asks for.
template <typename Flag>
Flag aligned(form::Align align, Flag left, Flag center, Flag right)
{
    switch (align) {
    case form::Align::Center:
        return center;
    case form::Align::Right:
        return right;
    case form::Align::Left:
        break;
    }
    return left;
}

struct Point {
    int x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

struct Area {
    int left = 0, top = 0, width = 0, height = 0;
};

// Where a window of the given outer size first appears, in the same units as
// `work` (the screen's work area): centred in the work area, or nothing when
// the window system places it.
// The desktop's font: its size in points and the logical dots per inch it
// is drawn at (96 unless the desktop enlarges fonts that way).
struct DesktopFont {
    double points = 9;
    double dpi = 96;
};

// The font the screens were laid out for: 9 points at 96 dpi, text 12 pixels
// high. A desktop with just this font shows every screen at its declared
// size.
inline constexpr DesktopFont laidOutFont{};

// How a screen is drawn for the desktop's font, as dialog units follow the
// dialog's font: every declared position and size (twips at 96 dpi) times
// `layout`, and every font in points times `fonts`, both the desktop's own
// font the screen's text is drawn in and the point sizes the screen declares.
struct Scale {
    double layout = 1;
    double fonts = 1;
    bool operator==(const Scale&) const = default;
};

// The scale for a window of the given client size (twips) on a desktop with
// the given font, where `room` is the most the client area may take on the
// screen, in the pixels the window is drawn in. The layout grows in
// proportion to the font's height in pixels, but only as far as `room`
// allows, its fonts held back with it so that the text keeps its
// proportions. A desktop with the laid-out font (or a smaller one) sees
// every screen exactly as laid out where it has the room; a screen too small
// for a window sees it drawn smaller, fonts and all, down to
// `smallestLayout`.
inline constexpr double smallestLayout = 0.5;
Scale scaleFor(const DesktopFont& font, const form::Size& client, const Area& room);

// Twips to pixels at a layout factor (1440 twips to the inch at 96 dpi).
int pixels(int twips, double layout);

// A declared rectangle in pixels at a layout factor. Scaled, each edge is
// placed on its own, so that controls that meet in twips still meet and a
// control that ends at the window's edge ends there; as laid out, the
// position and the size are each rounded, as the screens have always been.
Area pixels(const form::Rect& r, double layout);

inline std::optional<Point> firstPlacement(const form::ScreenDef& screen, int width, int height, const Area& work)
{
    if (screen.isSystemPlaced()) {
        return std::nullopt;
    }
    // A window larger than the work area keeps its top left corner, and with
    // it the title bar, on the screen.
    return Point{work.left + std::max(0, (work.width - width) / 2), work.top + std::max(0, (work.height - height) / 2)};
}

// Where a window at `window` goes to lie within the work area: moved in no
// further than it reaches out, and, larger than the work area, with its top
// left corner, and with it the title bar, on the screen.
inline Point keptInside(const Area& window, const Area& work)
{
    const auto along = [](int at, int size, int start, int room) {
        return std::max(start, std::min(at, start + room - size));
    };
    return {along(window.left, window.width, work.left, work.width),
            along(window.top, window.height, work.top, work.height)};
}

}  // namespace render
