#include "qt/renderer.h"

#include <QAccessible>
#include <QDropEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "qt/control_properties.h"
#include "qt/control_style.h"
#include "qt/fonts.h"
#include "qt/line_widget.h"
#include "qt/option_group.h"
#include "qt/pictures.h"
#include "qt/screen_accessible.h"
#include "qt/screen_button.h"
#include "qt/screen_window.h"
#include "qt/spoken_text.h"
#include "qt/tab_order.h"
#include "render/binding.h"
#include "render/layout.h"

namespace kelvqt {

using form::ControlDef;
using form::Kind;

namespace {

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

bool isPressedByMouse(Kind kind)
{
    // Their clicks are the screen's events; every other control keeps the
    // toolkit's own handling of the mouse.
    return kind == Kind::Label || kind == Kind::Picture || kind == Kind::Image || kind == Kind::Frame;
}

// What the window system's frame around a window takes at most: the room a
// window's client area has is the screen's work area less this.
constexpr QSize frameAllowance(16, 48);

// How large a screen is drawn: for the desktop's font, within the primary
// screen's work area.
render::Scale scaleFor(const form::ScreenDef& def)
{
    render::DesktopFont font{desktopFontPoints(), render::laidOutFont.dpi};
    render::Area room;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        font.dpi = screen->logicalDotsPerInchY();
        const QRect area = screen->availableGeometry();
        room = {0, 0, area.width() - frameAllowance.width(), area.height() - frameAllowance.height()};
    }
    return render::scaleFor(font, def.client(), room);
}

}  // namespace

Renderer::Renderer(form::Program& program) : program_(program)
{
    static const bool windowsAccessible = [] {
        QAccessible::installFactory(screenWindowAccessible);
        installSpokenText();
        return true;
    }();
    (void)windowsAccessible;
    program_.setObserver(this);
}

Renderer::~Renderer()
{
    program_.setObserver(nullptr);
    for (auto& [name, w] : windows_) {
        delete w.data();
    }
    for (const QPointer<ScreenWindow>& w : unloadedUnderDialog_) {
        delete w.data();
    }
}

QWidget* Renderer::window(const std::string& screen) const
{
    auto it = windows_.find(screen);
    return it == windows_.end() ? nullptr : it->second.data();
}

ScreenWindow* Renderer::build(form::Form& f)
{
    const form::ScreenDef& def = f.def();
    auto* win = new ScreenWindow(*this, def, scaleFor(def));

    for (const ControlDef* cp : render::creationOrder(def)) {
        const ControlDef& c = *cp;
        QWidget* parent = win;
        if (!c.container.empty()) {
            if (QWidget* container = win->control(c.container)) {
                parent = container;
            }
        }
        QWidget* w = createControl(*win, c, parent);
        if (w == nullptr) {
            continue;
        }
        w->setObjectName(qs(c.name));
        w->setProperty(screenProperty, qs(def.name()));
        if (render::pressedByKeys(def, c)) {
            // Before anything asks for its accessible object, which is kept.
            w->setProperty(pressableProperty, QVariant::fromValue<QObject*>(this));
        }
        styleControl(w, c, win->scale.fonts);
        if (isPressedByMouse(c.kind)) {
            w->installEventFilter(this);
        }
        setFocusPolicyAsDeclared(w, def, c);
        win->addControl(c.name, w);
    }
    buildOptionGroups(f, *win);

    // Pictures once sizes are known.
    // Keyboard order as declared; focus starts at the first.
    setTabOrderAsDeclared(def, *win);

    windows_[def.name()] = win;
    for (const ControlDef& c : def.controls()) {
        syncControl(f, c.name);
    }
    describe(f);
    return win;
}

// The widget a control is shown as, wired to report the user's actions on
// it; null for a control that shows nothing.
QWidget* Renderer::createControl(const ScreenWindow& win, const ControlDef& c, QWidget* parent)
{
    const form::ScreenDef& def = win.def();
    QWidget* w = nullptr;
    switch (c.kind) {
    case Kind::Label: {
        auto* label = new QLabel(parent);
        label->setWordWrap(true);
        label->setAlignment(render::aligned(c.align, Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight) | Qt::AlignTop);
        w = label;
        break;
    }
    case Kind::TextBox: {
        auto* edit = new SpokenLineEdit(parent);
        // A preview shows another field's text and takes no typing of
        // its own; it stays in the keyboard order so it can be read.
        edit->setReadOnly(c.readOnly || !c.previewOf.empty());
        edit->setFrame(c.border);
        // A field holds its whole text, however long: a cut-off text
        // would be written back to the model as the user's edit.
        edit->setMaxLength(std::numeric_limits<int>::max());
        // Every change of the text, whatever made it, except the
        // renderer's own updates from the model.
        const std::string screen = def.name();
        const std::string name = c.name;
        QObject::connect(edit, &QLineEdit::textChanged, this, [this, screen, name](const QString& text) {
            if (syncing_ == 0) {
                userEdited(screen, name, text);
            }
        });
        edit->installEventFilter(this);
        w = edit;
        break;
    }
    case Kind::Button: {
        auto* button = new ScreenButton(parent);
        const std::string screen = def.name();
        const std::string name = c.name;
        // A click comes after its press: a moment later for the accessibility
        // Press action, at the key's release for Space. A press made while a
        // dialog ran stays refused when the dialog is gone before its click.
        QObject::connect(button, &QPushButton::pressed, this,
                         [this, button] { button->pressedUnderDialog = !render::takesPresses(program_); });
        QObject::connect(button, &QPushButton::clicked, this, [this, button, screen, name] {
            if (!std::exchange(button->pressedUnderDialog, false)) {
                userClicked(screen, name);
            }
        });
        w = button;
        break;
    }
    case Kind::Option: {
        auto* option = new OptionButton(parent, def);
        const std::string screen = def.name();
        const std::string name = c.name;
        QObject::connect(option, &QRadioButton::clicked, this, [this, screen, name] { userClicked(screen, name); });
        // A check set by another way (the accessibility Toggle action).
        QObject::connect(option, &QRadioButton::toggled, this, [this, screen, name](bool checked) {
            if (syncing_ == 0) {
                userToggled(screen, name, checked);
            }
        });
        w = option;
        break;
    }
    case Kind::Frame: {
        auto* frame = new QGroupBox(parent);
        w = frame;
        break;
    }
    case Kind::Picture:
    case Kind::Image: {
        const render::Area at = render::pixels(c.rect, win.scale.layout);
        auto* picture = newPictureLabel(c.picture, QSize(at.width, at.height), parent);
        picture->setScaledContents(false);
        if (c.kind == Kind::Picture && c.border) {
            picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        }
        w = picture;
        break;
    }
    case Kind::Line:
        w = new LineWidget(c, parent);
        break;
    case Kind::CommonDialog:
        break;
    }
    return w;
}

void Renderer::describe(form::Form& f)
{
    if (auto* win = static_cast<ScreenWindow*>(window(f.name()))) {
        describeScreen(f, *win);
    }
}

void Renderer::syncControl(form::Form& f, const std::string& control)
{
    auto it = windows_.find(f.name());
    if (it == windows_.end() || it->second.isNull()) {
        return;
    }
    ScreenWindow* win = it->second;
    QWidget* w = win->control(control);
    if (w == nullptr) {
        return;
    }
    const ControlDef& def = f.def().get(control);
    const form::ControlState& s = f.state(control);
    const QString text = qs(s.text);
    switch (def.kind) {
    case Kind::Label:
        static_cast<QLabel*>(w)->setText(text);
        break;
    case Kind::TextBox: {
        auto* edit = static_cast<QLineEdit*>(w);
        if (edit->text() != text) {
            const int cursor = edit->cursorPosition();
            ++syncing_;
            edit->setText(text);
            --syncing_;
            edit->setCursorPosition(std::min<int>(cursor, static_cast<int>(text.size())));
            if (!def.computedFrom.empty()) {
                // A value worked out from another field changed under the
                // user's typing there.
                QAccessibleValueChangeEvent changed(edit, text);
                QAccessible::updateAccessibility(&changed);
            }
        }
        break;
    }
    case Kind::Button:
        static_cast<QPushButton*>(w)->setText(text);
        break;
    case Kind::Option: {
        auto* option = static_cast<QRadioButton*>(w);
        option->setText(text);
        if (option->isChecked() != s.selected) {
            // Exclusive buttons refuse to clear the checked one and clear
            // their siblings themselves; the model sets each one exactly.
            ++syncing_;
            option->setAutoExclusive(false);
            option->setChecked(s.selected);
            option->setAutoExclusive(true);
            --syncing_;
        }
        break;
    }
    case Kind::Frame:
        static_cast<QGroupBox*>(w)->setTitle(text);
        break;
    default:
        break;
    }
    w->setEnabled(s.enabled);

    // Lines keep their end points; everything else its rectangle, inside the
    // box of its option group where it has one.
    form::Rect r = s.rect;
    QPoint origin;
    if (const QWidget* box = win->groupBoxOf(control)) {
        origin = box->pos();
        r.left -= static_cast<int>(std::lround(origin.x() * 15 / win->scale.layout));
        r.top -= static_cast<int>(std::lround(origin.y() * 15 / win->scale.layout));
    }
    if (def.kind == Kind::Line) {
        const form::Rect box{std::min(s.rect.left, s.rect.left + s.rect.width),
                             std::min(s.rect.top, s.rect.top + s.rect.height), std::abs(s.rect.width),
                             std::abs(s.rect.height)};
        const render::Area at = render::pixels(box, win->scale.layout);
        w->setGeometry(at.left - origin.x(), at.top - origin.y(), std::max(1, at.width) + 1,
                       std::max(1, at.height) + 1);
    } else {
        const render::Area at = render::pixels(s.rect, win->scale.layout);
        w->setGeometry(at.left - origin.x(), at.top - origin.y(), at.width, at.height);
    }

    // A control wholly outside the window's client area can never be seen;
    // it takes no space and no focus, so nobody types into it blindly.
    w->setVisible(s.visible && render::inClientArea(f.def(), def, r));
}

void Renderer::syncAll(const std::string& screen)
{
    render::showAll(program_, screen, [this](form::Form& f, const std::string& control) { syncControl(f, control); });
}

void Renderer::screenShown(form::Form& f)
{
    ScreenWindow* win = static_cast<ScreenWindow*>(window(f.name()));
    if (win == nullptr) {
        win = build(f);
    }
    if (win->placeOnce()) {
        render::Area work;
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            work = {area.left(), area.top(), area.width(), area.height()};
        }
        if (const auto at = render::firstPlacement(f.def(), win->width(), win->height(), work)) {
            win->move(at->x, at->y);
        }
    }
    win->show();
    win->raise();
    win->activateWindow();
}

void Renderer::screenHidden(form::Form& f)
{
    if (QWidget* win = window(f.name())) {
        win->hide();
    }
}

void Renderer::screenUnloaded(form::Form& f)
{
    auto it = windows_.find(f.name());
    if (it == windows_.end()) {
        return;
    }
    QPointer<ScreenWindow> win = it->second;
    windows_.erase(it);
    if (win) {
        win->hide();
        if (dialogs_ > 0) {
            unloadedUnderDialog_.push_back(win);
        } else {
            // The click that unloads a screen may come from one of its own
            // widgets: delete the window once that event is over.
            win->deleteLater();
        }
    }
}

void Renderer::dialogStarted()
{
    ++dialogs_;
}

void Renderer::dialogEnded()
{
    if (--dialogs_ > 0) {
        return;
    }
    // Still inside the event that opened the dialog: the windows go once
    // that event is over, as any other unloaded window does.
    for (const QPointer<ScreenWindow>& win : std::exchange(unloadedUnderDialog_, {})) {
        if (win) {
            win->deleteLater();
        }
    }
}

void Renderer::controlChanged(form::Form& f, const std::string& control)
{
    syncControl(f, control);
    describe(f);
}

bool Renderer::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (auto* edit = qobject_cast<QLineEdit*>(watched)) {
        if (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) {
            return fileDropped(edit, static_cast<QDropEvent*>(event));
        }
        if (type == QEvent::InputMethod) {
            compositions_.seen(edit, *static_cast<QInputMethodEvent*>(event));
        } else if (type == QEvent::FocusAboutToChange) {
            // The focus leaves the field (Tab, a press elsewhere): the
            // conversion stays in it. A menu or popup opened over the field
            // leaves it composing, as the toolkit does.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason) {
                compositions_.end(edit);
            }
        } else if (type == QEvent::MouseButtonPress) {
            compositions_.pressedAt(edit, static_cast<QMouseEvent*>(event)->position().toPoint());
        }
        // Everything else, the mouse above all, is the field's own.
        return QObject::eventFilter(watched, event);
    }
    if (type == QEvent::KeyPress && watched->property(pressableProperty).isValid()) {
        // Return and Space press a focused surface whose click is an event,
        // as they press a button; other keys go on to the window.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            const QString screen = watched->property(screenProperty).toString();
            userClicked(screen.toStdString(), watched->objectName().toStdString());
            return true;
        }
    }
    if (type == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            const QString screen = watched->property(screenProperty).toString();
            if (!screen.isEmpty()) {
                // Consumed here, so that a click on a label inside a frame is
                // not also a click on the frame.
                userClicked(screen.toStdString(), watched->objectName().toStdString());
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void Renderer::setInputMethod(InputMethodRequests* requests)
{
    compositions_.setInputMethod(requests);
}

// A file or folder dragged onto a field gives it a name, never the file's
// address; fields that take no name refuse such drops. Dragged text is left
// to the field, whose change then reaches the model as typing does.
bool Renderer::fileDropped(QLineEdit* edit, QDropEvent* event)
{
    if (!event->mimeData()->hasUrls()) {
        return false;
    }
    std::optional<std::string> name;
    const QString screen = edit->property(screenProperty).toString();
    const QList<QUrl> urls = event->mimeData()->urls();
    form::Form* f = program_.find(screen.toStdString());
    if (f != nullptr && !urls.isEmpty() && urls.constFirst().isLocalFile() &&
        render::userCanEdit(*f, edit->objectName().toStdString())) {
        const QFileInfo file(urls.constFirst().toLocalFile());
        name = render::droppedText(f->def().get(edit->objectName().toStdString()).dropName,
                                   file.absoluteFilePath().toStdString(), file.isDir());
    }
    if (!name) {
        event->ignore();
        return true;
    }
    event->acceptProposedAction();
    if (event->type() == QEvent::Drop) {
        // Replaced as typing over a selection would, so that undo gives the
        // old text back.
        edit->selectAll();
        edit->insert(qs(*name));
        edit->setFocus(Qt::OtherFocusReason);
    }
    return true;
}

void Renderer::userClicked(const std::string& screen, const std::string& control)
{
    render::clickReported(
        program_, screen, control, [this] { compositions_.endAll(); },
        [this](form::Form& f, const std::string& name) { syncControl(f, name); });
}

void Renderer::userToggled(const std::string& screen, const std::string& control, bool checked)
{
    render::optionReported(program_, screen, control, checked);
    syncAll(screen);
}

void Renderer::userEdited(const std::string& screen, const std::string& control, const QString& text)
{
    render::textReported(program_, screen, control, text.toStdString());
    // The field shows the model's text again: the edit itself, what a
    // handler made of it, or, for a field the user cannot reach, the old text.
    if (form::Form* f = program_.find(screen)) {
        syncControl(*f, control);
    }
}

void Renderer::userKeyPress(const std::string& screen)
{
    render::keyPressReported(program_, screen);
}

void Renderer::userClosed(const std::string& screen)
{
    render::closeReported(program_, screen, [this] { compositions_.endAll(); });
}

}  // namespace kelvqt
