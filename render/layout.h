// How every renderer lays a declared screen out, whatever its toolkit: the
// order controls are created in, the keyboard order, how a control aligns its
// text, and where the window first appears.
#pragma once

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
inline std::optional<Point> firstPlacement(const form::ScreenDef& screen, int width, int height, const Area& work)
{
    if (screen.isSystemPlaced()) {
        return std::nullopt;
    }
    return Point{work.left + (work.width - width) / 2, work.top + (work.height - height) / 2};
}

}  // namespace render
