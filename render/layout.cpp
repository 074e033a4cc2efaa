#include "render/layout.h"

#include <algorithm>

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

}  // namespace render
