#include "qt/tab_order.h"

#include <vector>

#include "qt/control_properties.h"
#include "qt/screen_window.h"
#include "render/layout.h"

namespace kelvqt {

void setFocusPolicyAsDeclared(QWidget* w, const form::ScreenDef& def, const form::ControlDef& c)
{
    if (!render::inTabOrder(def, c)) {
        w->setFocusPolicy(Qt::NoFocus);
    } else if (w->property(pressableProperty).isValid()) {
        // A surface whose click is an event is pressed by keys too.
        w->setFocusPolicy(Qt::StrongFocus);
    }
}

void setTabOrderAsDeclared(const form::ScreenDef& def, ScreenWindow& win)
{
    std::vector<QWidget*> tabbed;
    for (const form::ControlDef* c : render::tabOrder(def)) {
        if (QWidget* w = win.control(c->name)) {
            tabbed.push_back(w);
        }
    }
    for (std::size_t i = 1; i < tabbed.size(); ++i) {
        QWidget::setTabOrder(tabbed[i - 1], tabbed[i]);
    }
    win.setKeyboardOrder(tabbed);
    if (!tabbed.empty()) {
        tabbed.front()->setFocus();
    }
}

}  // namespace kelvqt
