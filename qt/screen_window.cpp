#include "qt/screen_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QWindow>

#include <algorithm>

#include "qt/control_properties.h"
#include "qt/fonts.h"
#include "qt/option_group.h"
#include "qt/renderer.h"

namespace kelvqt {

// A screen keeps its size: its frame offers no maximize button where the
// window system lets the program say so (the title, the system menu, minimize
// and close, and nothing else).
constexpr Qt::WindowFlags screenWindowFlags = Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                                              Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

ScreenWindow::ScreenWindow(Renderer& renderer, const form::ScreenDef& def, render::Scale scale)
    : QWidget(nullptr, screenWindowFlags), scale(scale), renderer_(renderer), def_(def)
{
    setObjectName(QString::fromStdString(def.name()));
    setProperty(windowProperty, true);
    setWindowTitle(QString::fromStdString(def.caption()));
    setFixedSize(clientSize());
    setAttribute(Qt::WA_DeleteOnClose, false);
    // The text the screen leaves to the desktop's font, at the size the
    // layout was made for: about the desktop's own, less where the window
    // had to be held smaller than that font asks for.
    if (scale.fonts != 1) {
        setFont(scaledFont(font(), render::laidOutFont.points, scale.fonts));
    }
}

QWidget* ScreenWindow::control(const std::string& name) const
{
    const auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second;
}

QWidget* ScreenWindow::groupBoxOf(const std::string& option) const
{
    const auto it = groupBoxes_.find(option);
    return it == groupBoxes_.end() ? nullptr : it->second;
}

QSize ScreenWindow::clientSize() const
{
    return {px(def_.client().width), px(def_.client().height)};
}

void ScreenWindow::showEvent(QShowEvent* event)
{
    if (QWindow* handle = windowHandle()) {
        connect(handle, &QWindow::windowStateChanged, this, &ScreenWindow::followState, Qt::UniqueConnection);
    }
    QWidget::showEvent(event);
}

// A frame that draws its own buttons (Wayland's client-side title bar) may
// still maximize the window, and a compositor may ask for it. A maximized
// window must take the size the compositor gives it, or the compositor ends
// the connection, and the program with it. So while maximized (or full
// screen) the window may grow: the controls keep their places at the top
// left, the rest is the window's background. The window may grow as soon as
// it asks to be maximized, before the compositor's answer with the size
// arrives; it takes its own size again only once the window system says it
// is restored, since until then the compositor still holds it to the
// maximized size.
void ScreenWindow::followState(Qt::WindowState state)
{
    if (state == Qt::WindowMaximized || state == Qt::WindowFullScreen) {
        setMinimumSize(clientSize());
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
}

void ScreenWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange && !isMaximized() && !isFullScreen()) {
        setFixedSize(clientSize());
    }
    QWidget::changeEvent(event);
}

// Tab and Shift+Tab go through the declared order, entering an option
// group once, at its chosen option; the arrows move within the group.
bool ScreenWindow::focusNextPrevChild(bool next)
{
    std::vector<QWidget*> stops;
    for (QWidget* w : tabChain_) {
        if (!w->isVisibleTo(this) || !w->isEnabled() || w->focusPolicy() == Qt::NoFocus) {
            continue;
        }
        if (auto* option = dynamic_cast<OptionButton*>(w)) {
            if (stopOf(option) != option) {
                continue;
            }
        }
        stops.push_back(w);
    }
    if (stops.empty()) {
        return false;
    }
    QWidget* current = focusWidget();
    if (auto* option = dynamic_cast<OptionButton*>(current)) {
        current = stopOf(option);
    }
    auto at = std::find(stops.begin(), stops.end(), current);
    std::size_t index = 0;
    if (at == stops.end()) {
        index = next ? 0 : stops.size() - 1;
    } else {
        const std::size_t here = static_cast<std::size_t>(at - stops.begin());
        index = next ? (here + 1) % stops.size() : (here + stops.size() - 1) % stops.size();
    }
    stops[index]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void ScreenWindow::closeEvent(QCloseEvent* event)
{
    // The model decides: it unloads the screen, which hides and then
    // deletes this window.
    event->ignore();
    renderer_.userClosed(def_.name());
}

void ScreenWindow::keyPressEvent(QKeyEvent* event)
{
    // A modifier or lock key alone types nothing: it is no key press of
    // the screen's (a screen reader's own keys begin with one).
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
        break;
    default:
        renderer_.userKeyPress(def_.name());
        break;
    }
    QWidget::keyPressEvent(event);
}

// Where Tab stops in an option's group: the chosen option, else the
// first one the keyboard can reach.
QWidget* ScreenWindow::stopOf(OptionButton* option) const
{
    OptionButton* first = nullptr;
    for (OptionButton* member : option->group) {
        if (member == nullptr || !member->isVisibleTo(this) || !member->isEnabled()) {
            continue;
        }
        if (member->isChecked()) {
            return member;
        }
        if (first == nullptr) {
            first = member;
        }
    }
    return first != nullptr ? first : option;
}

}  // namespace kelvqt
