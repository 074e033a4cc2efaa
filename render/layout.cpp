#include "render/layout.h"

#include <algorithm>
#include <cmath>

namespace render {

namespace {

// How many containers hold a control: 0 for one on the window itself.
int depth(const form::ScreenDef& screen, const form::ControlDef& control)
{
    int n = 0;
    for (const form::ControlDef* c = &control; !c->container.empty() && n < 16; ++n) {
        c = screen.find(c->container);
        if (c == nullptr) {
            break;
        }
    }
    return n;
}

}  // namespace

std::vector<const form::ControlDef*> creationOrder(const form::ScreenDef& screen)
{
    std::vector<const form::ControlDef*> order;
    for (const form::ControlDef& c : screen.controls()) {
        order.push_back(&c);
    }
    std::stable_sort(order.begin(), order.end(), [&screen](const form::ControlDef* a, const form::ControlDef* b) {
        return depth(screen, *a) < depth(screen, *b);
    });
    return order;
}

bool inTabOrder(const form::ScreenDef& screen, const form::ControlDef& control)
{
    if (control.tabIndex >= 0) {
        return true;
    }
    const form::ControlDef* source = control.computedFrom.empty() ? nullptr : screen.find(control.computedFrom);
    return source != nullptr && source->tabIndex >= 0;
}

std::vector<const form::ControlDef*> tabOrder(const form::ScreenDef& screen)
{
    std::vector<const form::ControlDef*> order;
    for (const form::ControlDef& c : screen.controls()) {
        if (c.tabIndex >= 0) {
            order.push_back(&c);
        }
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const form::ControlDef* a, const form::ControlDef* b) { return a->tabIndex < b->tabIndex; });
    // A value worked out from a field comes right after it.
    for (const form::ControlDef& c : screen.controls()) {
        if (c.tabIndex < 0 && inTabOrder(screen, c)) {
            const auto source = std::find_if(order.begin(), order.end(),
                                             [&c](const form::ControlDef* o) { return o->name == c.computedFrom; });
            order.insert(source + 1, &c);
        }
    }
    return order;
}

Scale scaleFor(const DesktopFont& font, const form::Size& client, const Area& room)
{
    if (font.points <= 0 || font.dpi <= 0) {
        return {};
    }
    // Larger than laid out for a larger font; never smaller for a smaller
    // one.
    double layout = std::max(1.0, (font.points * font.dpi) / (laidOutFont.points * laidOutFont.dpi));
    if (client.width > 0 && client.height > 0 && room.width > 0 && room.height > 0) {
        // Within the room there is: a screen laid out larger than a small
        // screen is drawn smaller, all of it in view, down to half its size.
        const double fits = std::min(room.width * 15.0 / client.width, room.height * 15.0 / client.height);
        layout = std::min(layout, std::max(smallestLayout, fits));
    }
    // Fonts in points are already drawn larger at a larger dpi: they grow
    // only by what the layout grows beyond that, and shrink with a layout
    // held to the room or to the laid-out size.
    return {layout, layout * laidOutFont.dpi / font.dpi};
}

int pixels(int twips, double layout)
{
    return static_cast<int>(std::lround(twips * layout / 15.0));
}

Area pixels(const form::Rect& r, double layout)
{
    const int left = pixels(r.left, layout);
    const int top = pixels(r.top, layout);
    if (layout == 1) {
        return {left, top, pixels(r.width, 1), pixels(r.height, 1)};
    }
    return {left, top, pixels(r.left + r.width, layout) - left, pixels(r.top + r.height, layout) - top};
}

}  // namespace render
