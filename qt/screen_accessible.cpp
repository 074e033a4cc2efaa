#include "qt/screen_accessible.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QWidget>

#include "qt/control_properties.h"
#include "qt/renderer.h"
#include "qt/screen_window.h"
#include "render/binding.h"

namespace kelvqt {

using form::ControlDef;
using form::Kind;

namespace {

// A surface whose click is a screen's event (the splash's frame): to
// assistive technology a group it can press, as a click on it does.
class PressableAccessible : public QAccessibleWidget {
public:
    PressableAccessible(QWidget* w, Renderer* renderer)
        : QAccessibleWidget(w, QAccessible::Grouping), renderer_(renderer)
    {
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override
    {
        if (action == pressAction() && renderer_ != nullptr) {
            renderer_->userClicked(widget()->property(screenProperty).toString().toStdString(),
                                   widget()->objectName().toStdString());
        }
    }

private:
    QPointer<Renderer> renderer_;
};

}  // namespace

// A screen's window is a window to assistive technology too, named by its
// caption; a plain widget would be announced as a filler. An option group's
// box is a group named by its label.
QAccessibleInterface* screenWindowAccessible(const QString&, QObject* object)
{
    auto* w = qobject_cast<QWidget*>(object);
    if (w == nullptr) {
        return nullptr;
    }
    if (w->isWindow() && w->property(windowProperty).toBool()) {
        return new QAccessibleWidget(w, QAccessible::Window);
    }
    if (w->property(groupProperty).toBool()) {
        return new QAccessibleWidget(w, QAccessible::Grouping);
    }
    if (auto* renderer = qobject_cast<Renderer*>(w->property(pressableProperty).value<QObject*>())) {
        return new PressableAccessible(w, renderer);
    }
    return nullptr;
}

// What assistive technology says of each control and of the window: set
// again whenever the model changes, since a description may hold a value
// worked out as the user types. Only a change is passed on, so that a
// screen reader hears it once.
void describeScreen(form::Form& f, ScreenWindow& win)
{
    const auto set = [](QWidget* w, const QString& name, const QString& description) {
        if (!name.isNull() && w->accessibleName() != name) {
            w->setAccessibleName(name);
        }
        if (w->accessibleDescription() != description) {
            w->setAccessibleDescription(description);
        }
    };
    set(&win, f.def().caption().empty() ? QString::fromStdString(render::windowName(f)) : QString(),
        QString::fromStdString(render::windowDescription(f)));
    for (const ControlDef& c : f.def().controls()) {
        QWidget* w = win.control(c.name);
        if (w == nullptr || c.kind == Kind::Label || c.kind == Kind::Line) {
            continue;
        }
        const bool named = c.kind == Kind::TextBox || !c.spokenName.empty() || !c.prompt.empty();
        set(w, named ? QString::fromStdString(render::accessibleName(f, c.name)) : QString(),
            QString::fromStdString(render::accessibleDescription(f, c.name)));
    }
}

}  // namespace kelvqt
