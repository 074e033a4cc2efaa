#include "qt/renderer.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <vector>

#include "qt/spoken_text.h"
#include "render/binding.h"
#include "render/layout.h"

namespace kelvqt {

using form::ControlDef;
using form::Kind;

int px(int twips)
{
    return static_cast<int>(std::lround(twips / 15.0));
}

namespace {

const char* screenProperty = "kelvoraScreen";
const char* windowProperty = "kelvoraWindow";
const char* groupProperty = "kelvoraGroup";
const char* pressableProperty = "kelvoraPressable";

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

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

QString rgb(const form::Color& c)
{
    return QStringLiteral("rgb(%1, %2, %3)").arg(c.r).arg(c.g).arg(c.b);
}

// A picture from the program's resources, drawn at the given size so that
// vector pictures stay sharp at any scale.
QPixmap pictureFor(const std::string& name, QSize size, qreal ratio)
{
    if (name.empty() || size.isEmpty()) {
        return {};
    }
    const QString svg = QStringLiteral(":/pictures/%1.svg").arg(qs(name));
    if (QFile::exists(svg)) {
        QPixmap pm(size * ratio);
        pm.fill(Qt::transparent);
        QSvgRenderer renderer(svg);
        QPainter painter(&pm);
        renderer.render(&painter);
        pm.setDevicePixelRatio(ratio);
        return pm;
    }
    const QString png = QStringLiteral(":/pictures/%1.png").arg(qs(name));
    if (QFile::exists(png)) {
        return QPixmap(png).scaled(size * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return {};
}

// A straight line between two points of its bounding box.
class LineWidget : public QWidget {
public:
    LineWidget(const ControlDef& def, QWidget* parent) : QWidget(parent), def_(def)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const form::Color c = def_.fore.value_or(form::Color{0, 0, 0});
        p.setPen(QPen(QColor(c.r, c.g, c.b), 1));
        const int w = width() - 1;
        const int h = height() - 1;
        const bool down = (def_.rect.width >= 0) == (def_.rect.height >= 0);
        if (down) {
            p.drawLine(0, 0, w, h);
        } else {
            p.drawLine(0, h, w, 0);
        }
    }

private:
    const ControlDef& def_;
};

// An option that leaves its checked state to the model: a click (mouse,
// Space, an arrow key inside its group, the accessibility Press action) only
// reports itself, and the button then shows what the model chose. It stays
// auto-exclusive, so assistive technology sees one choice of a group. The
// four arrow keys move through its group in order, wrapping round, and
// choose the option they reach, as the desktop's radio groups do.
class OptionButton : public QRadioButton {
public:
    OptionButton(QWidget* parent, const form::ScreenDef& screen) : QRadioButton(parent), screen_(screen) {}

    std::vector<QPointer<OptionButton>> group;  // its group, in keyboard order

protected:
    void nextCheckState() override {}

    void keyPressEvent(QKeyEvent* event) override
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

private:
    const form::ScreenDef& screen_;
};

// A push button that Return presses as Space does, as people used to the
// desktop's dialogs expect of the focused button. The press is a click, so
// it takes the same way to the program as the mouse's.
class ScreenButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
            (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (!event->isAutoRepeat()) {
                click();
            }
            event->accept();
            return;
        }
        QPushButton::keyPressEvent(event);
    }
};

bool isPressedByMouse(Kind kind)
{
    // Their clicks are the screen's events; every other control keeps the
    // toolkit's own handling of the mouse.
    return kind == Kind::Label || kind == Kind::Picture || kind == Kind::Image || kind == Kind::Frame;
}

}  // namespace

// One screen's window: fixed client size, its caption, and the frame's close
// button and key presses reported to the program.
class ScreenWindow : public QWidget {
public:
    ScreenWindow(Renderer& renderer, const form::ScreenDef& def)
        : QWidget(nullptr, Qt::Window | Qt::MSWindowsFixedSizeDialogHint), renderer_(renderer), def_(def)
    {
        setObjectName(qs(def.name()));
        setProperty(windowProperty, true);
        setWindowTitle(qs(def.caption()));
        setFixedSize(px(def.client().width), px(def.client().height));
        setAttribute(Qt::WA_DeleteOnClose, false);
    }

    QWidget* control(const std::string& name) const
    {
        auto it = controls.find(name);
        return it == controls.end() ? nullptr : it->second;
    }

    std::map<std::string, QWidget*> controls;
    std::map<std::string, QWidget*> groupBoxes;  // option -> the box of its group
    std::vector<QWidget*> tabChain;              // the keyboard order, as declared
    bool placed = false;

protected:
    // Tab and Shift+Tab go through the declared order, entering an option
    // group once, at its chosen option; the arrows move within the group.
    bool focusNextPrevChild(bool next) override
    {
        std::vector<QWidget*> stops;
        for (QWidget* w : tabChain) {
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

    void closeEvent(QCloseEvent* event) override
    {
        // The model decides: it unloads the screen, which hides and then
        // deletes this window.
        event->ignore();
        renderer_.userClosed(def_.name());
    }

    void keyPressEvent(QKeyEvent* event) override
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

private:
    // Where Tab stops in an option's group: the chosen option, else the
    // first one the keyboard can reach.
    QWidget* stopOf(OptionButton* option) const
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

    Renderer& renderer_;
    const form::ScreenDef& def_;
};

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
}

QWidget* Renderer::window(const std::string& screen) const
{
    auto it = windows_.find(screen);
    return it == windows_.end() ? nullptr : it->second.data();
}

ScreenWindow* Renderer::build(form::Form& f)
{
    const form::ScreenDef& def = f.def();
    auto* win = new ScreenWindow(*this, def);
    const qreal ratio = win->devicePixelRatioF();

    for (const ControlDef* cp : render::creationOrder(def)) {
        const ControlDef& c = *cp;
        QWidget* parent = win;
        if (!c.container.empty()) {
            if (QWidget* container = win->control(c.container)) {
                parent = container;
            }
        }
        QWidget* w = nullptr;
        switch (c.kind) {
        case Kind::Label: {
            auto* label = new QLabel(parent);
            label->setWordWrap(true);
            label->setAlignment(render::aligned(c.align, Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight) |
                                Qt::AlignTop);
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
            QObject::connect(button, &QPushButton::clicked, this, [this, screen, name] { userClicked(screen, name); });
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
            auto* picture = new QLabel(parent);
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
        if (w == nullptr) {
            continue;
        }
        w->setObjectName(qs(c.name));
        w->setProperty(screenProperty, qs(def.name()));
        if (render::pressedByKeys(def, c)) {
            // Before anything asks for its accessible object, which is kept.
            w->setProperty(pressableProperty, QVariant::fromValue<QObject*>(this));
        }
        if (!c.tooltip.empty()) {
            w->setToolTip(qs(c.tooltip));
        }
        if (c.fontPoints > 0 || c.bold) {
            QFont font = w->font();
            if (c.fontPoints > 0) {
                font.setPointSizeF(c.fontPoints);
            }
            font.setBold(c.bold);
            w->setFont(font);
        }
        QString style;
        if (c.back) {
            if (c.kind == Kind::Button) {
                style += QStringLiteral("QPushButton { background-color: %1; border: 1px solid #707070; "
                                        "border-radius: 2px; color: black; }"
                                        "QPushButton:pressed { border: 2px inset #505050; }"
                                        "QPushButton:focus { border: 1px dotted black; }")
                             .arg(rgb(*c.back));
            } else {
                QPalette pal = w->palette();
                pal.setColor(QPalette::Window, QColor(c.back->r, c.back->g, c.back->b));
                pal.setColor(QPalette::Base, QColor(c.back->r, c.back->g, c.back->b));
                w->setPalette(pal);
                w->setAutoFillBackground(true);
            }
        }
        if (c.fore) {
            QPalette pal = w->palette();
            pal.setColor(QPalette::WindowText, QColor(c.fore->r, c.fore->g, c.fore->b));
            pal.setColor(QPalette::Text, QColor(c.fore->r, c.fore->g, c.fore->b));
            w->setPalette(pal);
        }
        if (!style.isEmpty()) {
            w->setStyleSheet(style);
        }
        if (isPressedByMouse(c.kind)) {
            w->installEventFilter(this);
        }
        if (!render::inTabOrder(def, c)) {
            w->setFocusPolicy(Qt::NoFocus);
        } else if (w->property(pressableProperty).isValid()) {
            // A surface whose click is an event is pressed by keys too.
            w->setFocusPolicy(Qt::StrongFocus);
        }
        win->controls[c.name] = w;
    }
    buildOptionGroups(f, *win);

    // Pictures once sizes are known.
    for (const ControlDef& c : def.controls()) {
        if ((c.kind == Kind::Picture || c.kind == Kind::Image) && !c.picture.empty()) {
            if (auto* label = qobject_cast<QLabel*>(win->control(c.name))) {
                const QSize size(px(c.rect.width), px(c.rect.height));
                label->setPixmap(pictureFor(c.picture, size, ratio));
            }
        }
    }

    // Keyboard order as declared; focus starts at the first.
    std::vector<QWidget*> tabbed;
    for (const ControlDef* c : render::tabOrder(def)) {
        if (QWidget* w = win->control(c->name)) {
            tabbed.push_back(w);
        }
    }
    for (std::size_t i = 1; i < tabbed.size(); ++i) {
        QWidget::setTabOrder(tabbed[i - 1], tabbed[i]);
    }
    win->tabChain = tabbed;
    if (!tabbed.empty()) {
        tabbed.front()->setFocus();
    }

    windows_[def.name()] = win;
    for (const ControlDef& c : def.controls()) {
        syncControl(f, c.name);
    }
    describe(f);
    return win;
}

// Each exclusive group of options that has a name is put in a box of its
// own, which assistive technology reads as a group named by its label; the
// box covers just its options and shows nothing itself.
void Renderer::buildOptionGroups(form::Form& f, ScreenWindow& win)
{
    const form::ScreenDef& def = f.def();
    std::set<std::string> done;
    for (const ControlDef& c : def.controls()) {
        if (c.kind != Kind::Option || done.count(c.name) != 0) {
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
            area = area.united(QRect(px(r.left), px(r.top), px(r.width), px(r.height)));
        }
        QWidget* parent = buttons.front()->parentWidget();
        auto* box = new QWidget(parent);
        box->setObjectName(qs(members.front() + ".group"));
        box->setProperty(groupProperty, true);
        box->setAccessibleName(qs(name));
        box->setGeometry(area);
        box->lower();
        for (const QPointer<OptionButton>& b : buttons) {
            b->setParent(box);
            win.groupBoxes[b->objectName().toStdString()] = box;
        }
    }
}

// What assistive technology says of each control and of the window: set
// again whenever the model changes, since a description may hold a value
// worked out as the user types. Only a change is passed on, so that a
// screen reader hears it once.
void Renderer::describe(form::Form& f)
{
    ScreenWindow* win = static_cast<ScreenWindow*>(window(f.name()));
    if (win == nullptr) {
        return;
    }
    const auto set = [](QWidget* w, const QString& name, const QString& description) {
        if (!name.isNull() && w->accessibleName() != name) {
            w->setAccessibleName(name);
        }
        if (w->accessibleDescription() != description) {
            w->setAccessibleDescription(description);
        }
    };
    set(win, f.def().caption().empty() ? qs(render::windowName(f)) : QString(), qs(render::windowDescription(f)));
    for (const ControlDef& c : f.def().controls()) {
        QWidget* w = win->control(c.name);
        if (w == nullptr || c.kind == Kind::Label || c.kind == Kind::Line) {
            continue;
        }
        const bool named = c.kind == Kind::TextBox || !c.spokenName.empty() || !c.prompt.empty();
        set(w, named ? qs(render::accessibleName(f, c.name)) : QString(), qs(render::accessibleDescription(f, c.name)));
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
    if (const auto box = win->groupBoxes.find(control); box != win->groupBoxes.end()) {
        r.left -= box->second->x() * 15;
        r.top -= box->second->y() * 15;
    }
    if (def.kind == Kind::Line) {
        const int x = std::min(r.left, r.left + r.width);
        const int y = std::min(r.top, r.top + r.height);
        w->setGeometry(px(x), px(y), std::max(1, px(std::abs(r.width))) + 1, std::max(1, px(std::abs(r.height))) + 1);
    } else {
        w->setGeometry(px(r.left), px(r.top), px(r.width), px(r.height));
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
    if (!win->placed) {
        win->placed = true;
        render::Area work;
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            work = {area.left(), area.top(), area.width(), area.height()};
        }
        if (const auto at = render::firstPlacement(f.def(), win->width(), win->height(), work, px)) {
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
        // The click that unloads a screen may come from one of its own
        // widgets: delete the window once that event is over.
        win->deleteLater();
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
            // What the input method is still composing in this field; the
            // field itself shows it but holds it in no text until committed.
            const QString preedit = static_cast<QInputMethodEvent*>(event)->preeditString();
            std::erase_if(composing_, [edit](const auto& pending) { return pending.first == edit || !pending.first; });
            if (!preedit.isEmpty()) {
                composing_.emplace_back(edit, preedit);
            }
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

void Renderer::commitCompositions()
{
    // The input method hands its pending text to the focused field first, as
    // it does when the focus moves.
    QGuiApplication::inputMethod()->commit();
    // Whatever is still pending (an input method that does not commit on
    // request, or a field that is not focused) is committed here, as the
    // field shows it; the input method then forgets it.
    bool committed = false;
    while (!composing_.empty()) {
        const auto [edit, text] = composing_.back();
        composing_.pop_back();
        if (edit) {
            QInputMethodEvent commit;
            commit.setCommitString(text);
            QCoreApplication::sendEvent(edit, &commit);
            committed = true;
        }
    }
    if (committed) {
        QGuiApplication::inputMethod()->reset();
    }
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
        program_, screen, control, [this] { commitCompositions(); },
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
    program_.keyPress(screen);
}

void Renderer::userClosed(const std::string& screen)
{
    program_.closeWindow(screen);
}

}  // namespace kelvqt
