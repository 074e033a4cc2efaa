// A running message box or save dialog is modal on every way in: presses on
// the windows behind it (the mouse, keys, the accessibility Press action, a
// click on a pressable surface, the close button) are refused, and no window
// is deleted while a dialog it may own still runs.
#include <QAccessible>
#include <QDialog>
#include <QGroupBox>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "app/catalog.h"
#include "qt/gui_support.h"

using gui::GuiProgram;

namespace {

// Runs each step on the next modal dialog once its own event loop runs.
class ModalSteps : public QObject {
public:
    ModalSteps() { qApp->installEventFilter(this); }
    ~ModalSteps() override { qApp->removeEventFilter(this); }

    ModalSteps& then(std::function<void(QDialog*)> step)
    {
        steps_.push_back(std::move(step));
        return *this;
    }
    bool done() const { return steps_.empty(); }

private:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (event->type() == QEvent::Show && dialog != nullptr && dialog->isModal() && !steps_.empty()) {
            QPointer<QDialog> shown = dialog;
            QTimer::singleShot(0, this, [this, shown] {
                if (shown && shown->isVisible() && !steps_.empty()) {
                    auto step = std::move(steps_.front());
                    steps_.pop_front();
                    step(shown);
                }
            });
        }
        return false;
    }

    std::deque<std::function<void(QDialog*)>> steps_;
};

void openSimpleMetafile(GuiProgram& g)
{
    g.program.start("frmSplash");
    auto* frame = g.widget<QGroupBox>("frmSplash", "Frame1");
    ASSERT_NE(frame, nullptr);
    QTest::mouseClick(frame, Qt::LeftButton, {}, QPoint(8, frame->height() - 8));
    QApplication::processEvents();
    g.click("Form1", "Command3");
    ASSERT_TRUE(g.program.isVisible("Form2"));
}

void pressByAccessibility(QWidget* w)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    ASSERT_NE(iface, nullptr);
    ASSERT_NE(iface->actionInterface(), nullptr);
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
}

struct Press {
    const char* way;
    std::function<void(GuiProgram&)> press;
};

QWidget* next(GuiProgram& g)
{
    return g.widget<QWidget>("Form2", "Command2");
}

QWidget* splashFrame(GuiProgram& g)
{
    return g.widget<QWidget>("frmSplash", "Frame1");
}

const std::vector<Press>& pressesBehind()
{
    static const std::vector<Press> presses = {
        {"the accessibility Press action on 次", [](GuiProgram& g) { pressByAccessibility(next(g)); }},
        {"the mouse on 次", [](GuiProgram& g) { QTest::mouseClick(next(g), Qt::LeftButton); }},
        {"Return on 次", [](GuiProgram& g) { QTest::keyClick(next(g), Qt::Key_Return); }},
        {"Space on 次", [](GuiProgram& g) { QTest::keyClick(next(g), Qt::Key_Space); }},
        {"the close button of the dialog's owner", [](GuiProgram& g) { g.window("Form2")->close(); }},
        {"a click on the splash's frame",
         [](GuiProgram& g) {
             QWidget* frame = splashFrame(g);
             QTest::mouseClick(frame, Qt::LeftButton, {}, QPoint(8, frame->height() - 8));
         }},
        {"Return on the splash's frame", [](GuiProgram& g) { QTest::keyClick(splashFrame(g), Qt::Key_Return); }},
        {"the accessibility Press action on the splash's frame",
         [](GuiProgram& g) { pressByAccessibility(splashFrame(g)); }},
        {"a key on the splash's window", [](GuiProgram& g) { QTest::keyClick(g.window("frmSplash"), Qt::Key_A); }},
    };
    return presses;
}

// What the program shows: the owner of the dialog and the splash beside it,
// nothing the presses behind the dialog would have opened.
void expectUntouched(GuiProgram& g, const char* way, const char* when)
{
    SCOPED_TRACE(std::string(way) + ", " + when);
    EXPECT_TRUE(g.program.isVisible("Form2"));
    EXPECT_TRUE(g.program.isVisible("frmSplash"));
    EXPECT_FALSE(g.program.isLoaded("Form4"));
    EXPECT_FALSE(g.program.isLoaded("Form1"));
    EXPECT_FALSE(g.ended);
    ASSERT_NE(g.window("Form2"), nullptr);
    EXPECT_TRUE(g.window("Form2")->isVisible());
}

}  // namespace

// Form2: 保存, the save dialog cancelled; while 「キャンセルされました」 is open,
// every way of pressing something behind it is refused, and the program goes
// on as before once the message is answered.
TEST(ModalDialogGui, PressesBehindARunningMessageAreRefusedOnEveryWay)
{
    for (const Press& p : pressesBehind()) {
        GuiProgram g(app::kelvoraProgram(), gui::Dialogs::Real);
        openSimpleMetafile(g);
        g.program.start("frmSplash");
        ASSERT_TRUE(g.program.isVisible("frmSplash"));

        QPointer<QWidget> owner = g.window("Form2");
        bool boxRan = false;
        ModalSteps steps;
        steps.then([](QDialog* save) { save->reject(); }).then([&](QDialog* box) {
            boxRan = true;
            EXPECT_EQ(qobject_cast<QMessageBox*>(box)->text(), QStringLiteral("キャンセルされました"));
            QPointer<QDialog> alive = box;
            // The accessibility Press action clicks as the mouse does, a
            // moment later, once the button has shown itself pressed.
            const QPointer<QAbstractButton> pressed = qobject_cast<QAbstractButton*>(next(g));
            p.press(g);
            EXPECT_TRUE(QTest::qWaitFor([&] { return !pressed || !pressed->isDown(); }, 5000));
            QApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            ASSERT_TRUE(alive) << p.way;
            expectUntouched(g, p.way, "while the message is open");
            qobject_cast<QMessageBox*>(box)->buttons().constFirst()->click();
        });
        g.click("Form2", "Command1");
        EXPECT_TRUE(boxRan) << p.way;
        EXPECT_TRUE(steps.done()) << p.way;
        QApplication::processEvents();
        EXPECT_TRUE(owner) << p.way;
        expectUntouched(g, p.way, "after the message");

        // Presses reach the program again once the dialog is gone.
        g.click("Form2", "Command2");
        EXPECT_TRUE(g.program.isVisible("Form4")) << p.way;
    }
}

// The accessibility Press action clicks a moment after the press: a press
// made behind the message box stays refused when the box is answered before
// that moment.
TEST(ModalDialogGui, APressBehindTheMessageStaysRefusedWhenTheMessageIsAnsweredAtOnce)
{
    GuiProgram g(app::kelvoraProgram(), gui::Dialogs::Real);
    openSimpleMetafile(g);
    const QPointer<QAbstractButton> pressed = qobject_cast<QAbstractButton*>(next(g));
    ModalSteps steps;
    steps.then([](QDialog* save) { save->reject(); }).then([&](QDialog* box) {
        pressByAccessibility(next(g));
        qobject_cast<QMessageBox*>(box)->buttons().constFirst()->click();
    });
    g.click("Form2", "Command1");
    EXPECT_TRUE(steps.done());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !pressed || !pressed->isDown(); }, 5000));
    QApplication::processEvents();
    EXPECT_TRUE(g.program.isVisible("Form2"));
    EXPECT_FALSE(g.program.isLoaded("Form4"));
    // The next press is the user's own again.
    g.click("Form2", "Command2");
    EXPECT_TRUE(g.program.isVisible("Form4"));
}

// The model unloads the dialog's owner while the message box runs (a window
// of the model's own, not the user): the window only hides until the box
// returns, then it goes.
TEST(ModalDialogGui, AWindowUnloadedUnderARunningDialogGoesAfterIt)
{
    for (const bool saveDialog : {false, true}) {
        SCOPED_TRACE(saveDialog ? "under the save dialog" : "under the message box");
        GuiProgram g(app::kelvoraProgram(), gui::Dialogs::Real);
        openSimpleMetafile(g);
        QPointer<QWidget> owner = g.window("Form2");
        ModalSteps steps;
        const auto unloadUnder = [&](QDialog* dialog) {
            QPointer<QDialog> alive = dialog;
            g.program.unload("Form2");
            QApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            ASSERT_TRUE(alive);
            EXPECT_TRUE(owner);
            EXPECT_FALSE(owner->isVisible());
            dialog->reject();
        };
        if (saveDialog) {
            steps.then(unloadUnder).then([](QDialog* box) { box->reject(); });
        } else {
            steps.then([](QDialog* save) { save->reject(); }).then(unloadUnder);
        }
        g.click("Form2", "Command1");
        EXPECT_TRUE(steps.done());
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(owner);
        EXPECT_EQ(g.window("Form2"), nullptr);
    }
}
