#include "qt/option_group.h"

#include <QKeyEvent>

#include <set>
#include <string>

#include "qt/control_properties.h"
#include "qt/renderer.h"
#include "qt/screen_window.h"
#include "render/binding.h"

namespace kelvqt {

void OptionButton::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const bool back = key == Qt::Key_Up || key == Qt::Key_Left;
    const bool forward = key == Qt::Key_Down || key == Qt::Key_Right;
    if ((!back && !forward) || event->modifiers() != Qt::NoModifier) {
        QRadioButton::keyPressEvent(event);
        return;
    }
    event->accept();
    const auto member = [this](const std::string& option) -> OptionButton* {
        for (OptionButton* b : group) {
            if (b != nullptr && b->objectName().toStdString() == option) {
                return b;
            }
        }
        return nullptr;
    };
    const auto reachable = [&](const std::string& option) {
        OptionButton* b = member(option);
        return b != nullptr && b->isVisibleTo(window()) && b->isEnabled();
    };
    if (const auto next = render::optionAfter(screen_, objectName().toStdString(), back, reachable)) {
        OptionButton* b = member(*next);
        b->setFocus(back ? Qt::BacktabFocusReason : Qt::TabFocusReason);
        b->click();
    }
}

// Each exclusive group of options that has a name is put in a box of its
// own, which assistive technology reads as a group named by its label; the
// box covers just its options and shows nothing itself.
void buildOptionGroups(form::Form& f, ScreenWindow& win)
{
    const form::ScreenDef& def = f.def();
    std::set<std::string> done;
    for (const form::ControlDef& c : def.controls()) {
        if (c.kind != form::Kind::Option || done.count(c.name) != 0) {
            continue;
        }
        const std::vector<std::string> members = render::optionGroup(def, c.name);
        std::vector<QPointer<OptionButton>> buttons;
        for (const std::string& m : members) {
            done.insert(m);
            buttons.emplace_back(static_cast<OptionButton*>(win.control(m)));
        }
        for (const QPointer<OptionButton>& b : buttons) {
            b->group = buttons;
        }
        const std::string name = render::groupName(f, c.name);
        if (name.empty()) {
            continue;
        }
        QRect area;
        for (const std::string& m : members) {
            const form::Rect r = f.state(m).rect;
            const render::Area at = render::pixels(r, win.scale.layout);
            area = area.united(QRect(at.left, at.top, at.width, at.height));
        }
        QWidget* parent = buttons.front()->parentWidget();
        auto* box = new QWidget(parent);
        box->setObjectName(QString::fromStdString(members.front() + ".group"));
        box->setProperty(groupProperty, true);
        box->setAccessibleName(QString::fromStdString(name));
        box->setGeometry(area);
        box->lower();
        for (const QPointer<OptionButton>& b : buttons) {
            b->setParent(box);
            win.putInGroupBox(b->objectName().toStdString(), box);
        }
    }
}

}  // namespace kelvqt
