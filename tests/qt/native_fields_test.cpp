// The screens' fields and buttons behave as the toolkit's own: the mouse and
// the keys do in a field exactly what they do in a plain QLineEdit, an input
// method's pending text is part of what a press saves, and Return presses
// the focused button.
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QInputMethodEvent>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <unistd.h>

#include "app/catalog.h"
#include "qt/fake_input_method.h"
#include "qt/gui_support.h"
#include "quick/quick_generator.h"
#include "support.h"

using gui::DialogAnswers;
using gui::GuiProgram;

namespace {

// What a user can see of a field's editing state.
struct EditState {
    QString text;
    int cursor;
    int selectionStart;
    QString selected;
    bool operator==(const EditState&) const = default;
};

EditState stateOf(const QLineEdit* e)
{
    return {e->text(), e->cursorPosition(), e->selectionStart(), e->selectedText()};
}

std::string describe(const EditState& s)
{
    return "text \"" + s.text.toStdString() + "\", cursor " + std::to_string(s.cursor) + ", selection from " +
           std::to_string(s.selectionStart) + " \"" + s.selected.toStdString() + "\"";
}

// One user action, applied the same way to any line edit.
using Step = std::function<void(QLineEdit*)>;

// The user turns to the field's window: its focus field keeps its selection,
// as it does when any window comes to the front.
void turnTo(QLineEdit* e)
{
    e->window()->activateWindow();
    QApplication::processEvents();
}

Step randomStep(std::mt19937& rng, QSize size, std::string& said)
{
    const auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    const int y = size.height() / 2;
    const QPoint at(pick(size.width()), y);
    const QPoint to(pick(size.width()), y);
    const Qt::KeyboardModifiers shift = pick(2) == 0 ? Qt::ShiftModifier : Qt::NoModifier;
    switch (pick(12)) {
    case 0:
    case 1:
        said = "click at " + std::to_string(at.x());
        return [at, shift](QLineEdit* e) { QTest::mouseClick(e, Qt::LeftButton, shift, at); };
    case 2:
        said = "drag from " + std::to_string(at.x()) + " to " + std::to_string(to.x());
        return [at, to](QLineEdit* e) {
            QTest::mousePress(e, Qt::LeftButton, Qt::NoModifier, at);
            QMouseEvent move(QEvent::MouseMove, QPointF(to), e->mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton,
                             Qt::NoModifier);
            QApplication::sendEvent(e, &move);
            QTest::mouseRelease(e, Qt::LeftButton, Qt::NoModifier, to);
        };
    case 3:
        said = "double click at " + std::to_string(at.x());
        return [at](QLineEdit* e) { QTest::mouseDClick(e, Qt::LeftButton, Qt::NoModifier, at); };
    case 4:
        said = "triple click at " + std::to_string(at.x());
        return [at](QLineEdit* e) {
            QTest::mouseDClick(e, Qt::LeftButton, Qt::NoModifier, at);
            QTest::mouseClick(e, Qt::LeftButton, Qt::NoModifier, at);
        };
    case 5:
    case 6: {
        static const Qt::Key moves[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_End};
        const Qt::Key key = moves[pick(4)];
        said = "key " + QKeySequence(key | shift).toString().toStdString();
        return [key, shift](QLineEdit* e) { QTest::keyClick(e, key, shift); };
    }
    case 7: {
        static const char letters[] = "ab1.";
        const char c = letters[pick(4)];
        said = std::string("type ") + c;
        return [c](QLineEdit* e) { QTest::keyClick(e, c); };
    }
    case 8: {
        const Qt::Key key = pick(2) == 0 ? Qt::Key_Backspace : Qt::Key_Delete;
        said = key == Qt::Key_Backspace ? "backspace" : "delete";
        return [key](QLineEdit* e) { QTest::keyClick(e, key); };
    }
    case 9: {
        static const char shortcuts[] = "azyc";
        const char c = shortcuts[pick(4)];
        said = std::string("ctrl+") + c;
        return [c](QLineEdit* e) { QTest::keyClick(e, c, Qt::ControlModifier); };
    }
    case 10:
        said = "ctrl+x then ctrl+v";
        return [](QLineEdit* e) {
            QTest::keyClick(e, 'x', Qt::ControlModifier);
            QTest::keyClick(e, 'v', Qt::ControlModifier);
        };
    default:
        said = "shift+click at " + std::to_string(at.x());
        return [at](QLineEdit* e) { QTest::mouseClick(e, Qt::LeftButton, Qt::ShiftModifier, at); };
    }
}

}  // namespace

// Each kind of field a user can reach, beside a plain QLineEdit of the same
// font, size, frame and text that is read-only where the field is: after
// every step of a random run of clicks, drags, double and triple clicks and
// keys, both show the same text, cursor and selection.
TEST(NativeFields, EveryKindOfFieldDoesWhatAPlainLineEditDoes)
{
    struct Kind {
        const char* what;
        std::string screen;
        std::string control;
        QString text;  // set through the model first, where not empty
    };
    const Kind kinds[] = {
        {"editable", "Form2", "Text1", QString()},
        {"editable with a long text", "Form5", "Text2", QStringLiteral("家族の映像です。クリックしてね。abc")},
        {"read-only", "Form6", "Text6", QString()},
        {"preview", "Form5", "Text3", QStringLiteral("家族の映像です。")},
    };
    const int seeds = 4;
    const int steps = 150;
    int total = 0;
    for (const Kind& k : kinds) {
        for (int seed = 1; seed <= seeds; ++seed) {
            SCOPED_TRACE(std::string(k.what) + ", seed " + std::to_string(seed));
            GuiProgram g(app::kelvoraProgram());
            g.program.start(k.screen);
            if (!k.text.isEmpty()) {
                // A preview is filled from the field it previews.
                const std::string source = k.control == "Text3" ? "Text2" : k.control;
                g.program.edit(k.screen, source, k.text.toStdString());
            }
            QLineEdit* ours = g.widget<QLineEdit>(k.screen, k.control);
            ASSERT_NE(ours, nullptr);
            QWidget* window = g.window(k.screen);
            window->show();
            ASSERT_TRUE(ours->isVisible());
            QLineEdit plain;
            plain.setFont(ours->font());
            plain.setFrame(ours->hasFrame());
            plain.setAlignment(ours->alignment());
            plain.setReadOnly(ours->isReadOnly());
            plain.setText(ours->text());
            plain.setCursorPosition(ours->cursorPosition());
            plain.resize(ours->size());
            plain.show();
            ours->setFocus();
            plain.setFocus();

            std::mt19937 rng(static_cast<unsigned>(seed * 7919 + total));
            for (int i = 0; i < steps; ++i, ++total) {
                std::string said;
                const Step step = randomStep(rng, ours->size(), said);
                turnTo(ours);
                step(ours);
                turnTo(&plain);
                step(&plain);
                QApplication::processEvents();
                const EditState a = stateOf(ours);
                const EditState b = stateOf(&plain);
                ASSERT_EQ(a, b) << "step " << i << ", " << said << ":\n  ours:  " << describe(a)
                                << "\n  plain: " << describe(b);
                // And the model holds what the field shows.
                ASSERT_EQ(g.program.find(k.screen)->text(k.control), ours->text().toStdString());
            }
        }
    }
    std::cout << "[ native  ] " << total << " steps on " << std::size(kinds) << " kinds of field" << std::endl;
}

TEST(NativeFields, AClickAtTheEndOfTheVideoNameTypesThere)
{
    GuiProgram g(app::kelvoraProgram());
    g.program.start("Form2");
    g.window("Form2")->show();
    auto* name = g.widget<QLineEdit>("Form2", "Text1");
    ASSERT_EQ(name->text(), QStringLiteral(".wmv"));
    name->setCursorPosition(0);
    QTest::mouseClick(name, Qt::LeftButton, Qt::NoModifier, QPoint(name->width() - 4, name->height() / 2));
    QTest::keyClicks(name, QStringLiteral("ab"));
    EXPECT_EQ(name->text(), QStringLiteral(".wmvab"));
    EXPECT_EQ(g.program.find("Form2")->text("Text1"), ".wmvab");
    // The right button's menu is the toolkit's own, in Japanese.
    std::unique_ptr<QMenu> menu(name->createStandardContextMenu());
    QStringList actions;
    for (QAction* a : menu->actions()) {
        actions << a->text();
    }
    EXPECT_TRUE(actions.join(QLatin1Char(' ')).contains(QStringLiteral("元に戻す"))) << actions.join(' ').toStdString();
}

namespace {

// Types what an input method would show while converting: the composition
// is in the field but not yet in its text.
void compose(QLineEdit* edit, const QString& preedit)
{
    edit->setFocus();
    QInputMethodEvent event(preedit, {});
    QApplication::sendEvent(edit, &event);
}

void pressThroughAccessibility(QAbstractButton* button)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(button);
    ASSERT_NE(iface, nullptr);
    ASSERT_NE(iface->actionInterface(), nullptr);
    // The action presses the button as a short animation: the click comes
    // when it ends.
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_TRUE(clicked.count() > 0 || clicked.wait(2000));
    QApplication::processEvents();
}

}  // namespace

// Pressed without a change of focus (the accessibility action, Return,
// Space), a button still saves what the screen shows, composition included.
TEST(NativeFields, APendingCompositionIsSavedByAPressFromAnyWay)
{
    const std::function<void(QAbstractButton*)> presses[] = {
        pressThroughAccessibility,
        [](QAbstractButton* b) { QTest::keyClick(b, Qt::Key_Space); },
        [](QAbstractButton* b) { QTest::keyClick(b, Qt::Key_Return); },
        [](QAbstractButton* b) { b->click(); },
    };
    testing_support::TempFolder dir;
    int n = 0;
    for (const auto& press : presses) {
        SCOPED_TRACE(n);
        GuiProgram g(app::kelvoraProgram());
        g.program.start("Form2");
        g.window("Form2")->show();
        auto* name = g.widget<QLineEdit>("Form2", "Text1");
        name->setCursorPosition(0);
        compose(name, QStringLiteral("家族旅行"));
        ASSERT_EQ(g.program.find("Form2")->text("Text1"), ".wmv");
        const std::string path = dir.file("k" + std::to_string(n++));
        DialogAnswers answers;
        answers.save(QString::fromStdString(path)).ok();
        press(g.widget<QAbstractButton>("Form2", "Command1"));
        ASSERT_TRUE(answers.done());
        EXPECT_EQ(name->text(), QStringLiteral("家族旅行.wmv"));
        EXPECT_EQ(testing_support::readBytes(path + ".asx"),
                  testing_support::crlf({"<ASX Version =\"3.0\">", "<Entry>",
                                         "<Ref href =\"./\x89\xc6\x91\xb0\x97\xb7\x8d\x73.wmv\">", "</Entry></ASX>"}));
        // Nothing is left composing for the next field that takes the focus.
        QLineEdit other;
        other.show();
        other.setFocus();
        QApplication::processEvents();
        EXPECT_TRUE(other.text().isEmpty());
    }
}

TEST(NativeFields, APendingCompositionNamesTheGeneratorsFolder)
{
    const struct {
        bool quick;
        std::string screen;
        std::string field;
        std::string button;
    } generators[] = {{false, "Form13", "Text1", "Command1"}, {true, "Form1", "Text1", "Command1"}};
    for (const auto& gen : generators) {
        SCOPED_TRACE(gen.screen);
        GuiProgram g(gen.quick ? quick::quickProgram() : app::kelvoraProgram());
        g.program.start(gen.screen);
        g.window(gen.screen)->show();
        const std::string name = "家族" + std::to_string(::getpid());
        const std::string folder = g.platform.programFolder() + "/" + name;
        struct Removed {
            std::string path;
            ~Removed() { std::filesystem::remove_all(std::filesystem::u8path(path)); }
        } removed{folder};
        auto* field = g.widget<QLineEdit>(gen.screen, gen.field);
        field->clear();
        QTest::keyClicks(field, QString::fromStdString(std::to_string(::getpid())));
        field->home(false);
        compose(field, QStringLiteral("家族"));
        DialogAnswers answers;
        answers.ok();
        if (gen.quick) {
            answers.ok();
        }
        pressThroughAccessibility(g.widget<QAbstractButton>(gen.screen, gen.button));
        EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::u8path(folder)));
        ASSERT_FALSE(answers.seen.empty());
        EXPECT_NE(answers.seen[0].text, QStringLiteral("記入しましょう。"));
    }
}

// Return presses the focused button of every screen of both programs, as
// Space does. The buttons are cut off from the program here: what is tested
// is that the press is a click, whatever the click then does.
TEST(NativeFields, ReturnPressesTheFocusedButtonOnEveryScreen)
{
    struct Screen {
        bool quick;
        std::string name;
    };
    std::vector<Screen> screens{{true, "Form1"}};
    for (int n = 1; n <= 14; ++n) {
        screens.push_back({false, "Form" + std::to_string(n)});
    }
    int pressed = 0;
    for (const Screen& s : screens) {
        SCOPED_TRACE(s.name);
        GuiProgram g(s.quick ? quick::quickProgram() : app::kelvoraProgram());
        g.program.start(s.name);
        QWidget* window = g.window(s.name);
        window->show();
        int here = 0;
        for (QPushButton* b : window->findChildren<QPushButton*>()) {
            if (!b->isVisibleTo(window) || !b->isEnabled() || b->focusPolicy() == Qt::NoFocus) {
                continue;
            }
            SCOPED_TRACE(b->objectName().toStdString());
            QObject::disconnect(b, &QAbstractButton::clicked, nullptr, nullptr);
            QSignalSpy clicked(b, &QAbstractButton::clicked);
            b->setFocus();
            QTest::keyClick(b, Qt::Key_Return);
            QTest::keyClick(b, Qt::Key_Enter, Qt::KeypadModifier);
            EXPECT_EQ(clicked.count(), 2);
            // Held down, Return presses once, as a key held on a button does.
            QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(b, &repeat);
            EXPECT_EQ(clicked.count(), 2);
            ++here;
        }
        EXPECT_GT(here, 0);
        pressed += here;
    }
    EXPECT_GT(pressed, 40);
}

TEST(NativeFields, ReturnInAFieldPressesNothing)
{
    GuiProgram g(app::kelvoraProgram());
    g.program.start("Form2");
    g.window("Form2")->show();
    auto* name = g.widget<QLineEdit>("Form2", "Text1");
    QSignalSpy saved(g.widget<QPushButton>("Form2", "Command1"), &QAbstractButton::clicked);
    name->setFocus();
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(saved.count(), 0);
    EXPECT_EQ(name->text(), QStringLiteral(".wmv"));
}

namespace {

// One way a press ends the conversion in `ours`, for the walk below; false
// when it cannot be taken from where the field stands.
struct PressPath {
    const char* what;
    std::function<bool(gui::GuiProgram&, const std::string& screen, QLineEdit* ours)> press;
};

// A point of the field off the conversion it shows, if there is one.
std::optional<QPoint> offTheConversion(QLineEdit* e, int length)
{
    for (const int x : {3, e->width() - 4, e->width() / 2}) {
        const QPoint at(x, e->height() / 2);
        const int offset = e->cursorPositionAt(at) - e->cursorPosition();
        if (offset < 0 || offset > length) {
            return at;
        }
    }
    return std::nullopt;
}

}  // namespace

// The walk above with conversions in it: every few steps the field converts
// a text, and a press ends the conversion, each way of pressing in turn,
// under each kind of input-method plugin in turn. The plain QLineEdit takes
// the same text as a commit at its caret (what a field should end up with),
// then the same click where the press was one in the field. After every
// step both show the same, so our field holds the converted text once.
TEST(NativeFields, AConversionEndedByAnyPressLeavesTheFieldAsAPlainOne)
{
    using gui::FakeInputMethod;
    std::optional<QPoint> clickedAt;  // where a press in the field itself was
    int pendingLength = 0;
    const auto saveCancelled = [](gui::GuiProgram& g, const std::string& screen, auto press) {
        DialogAnswers answers;
        answers.dismissTheRest();
        press(g.widget<QAbstractButton>(screen, "Command1"));
        return true;
    };
    const PressPath paths[] = {
        {"a click on a label",
         [](gui::GuiProgram& g, const std::string& screen, QLineEdit*) {
             QTest::mouseClick(g.widget<QLabel>(screen, "Label1"), Qt::LeftButton);
             return true;
         }},
        {"the accessibility Press action on 保存",
         [saveCancelled](gui::GuiProgram& g, const std::string& screen, QLineEdit*) {
             return saveCancelled(g, screen, pressThroughAccessibility);
         }},
        {"a mouse press on 保存",
         [saveCancelled](gui::GuiProgram& g, const std::string& screen, QLineEdit*) {
             return saveCancelled(g, screen, [](QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton); });
         }},
        {"Space on 保存 once it has the focus",
         [saveCancelled](gui::GuiProgram& g, const std::string& screen, QLineEdit*) {
             return saveCancelled(g, screen, [](QAbstractButton* b) {
                 b->setFocus();
                 QTest::keyClick(b, Qt::Key_Space);
             });
         }},
        {"Tab",
         [](gui::GuiProgram&, const std::string&, QLineEdit* ours) {
             QTest::keyClick(ours, Qt::Key_Tab);
             return !ours->hasFocus();
         }},
        {"a click elsewhere in the field",
         [&clickedAt, &pendingLength](gui::GuiProgram& g, const std::string& screen, QLineEdit* ours) {
             clickedAt = offTheConversion(ours, pendingLength);
             if (clickedAt) {
                 QTest::mouseClick(ours, Qt::LeftButton, Qt::NoModifier, *clickedAt);
             } else {
                 // The conversion fills the field: the label then.
                 QTest::mouseClick(g.widget<QLabel>(screen, "Label1"), Qt::LeftButton);
             }
             return true;
         }},
    };
    const struct {
        std::string screen;
        std::string control;
        QString text;
    } fields[] = {{"Form2", "Text1", QStringLiteral(".wmv")},
                  {"Form5", "Text2", QStringLiteral("家族の映像です。クリックしてね。abc")}};
    const QString conversions[] = {QStringLiteral("家族旅行"), QStringLiteral("ｂ"), QStringLiteral("映像")};
    const int steps = 60;
    int ended = 0;
    for (const auto& field : fields) {
        for (int seed = 1; seed <= 2; ++seed) {
            SCOPED_TRACE(field.screen + ", seed " + std::to_string(seed));
            gui::GuiProgram g(app::kelvoraProgram());
            g.program.start(field.screen);
            g.program.edit(field.screen, field.control, field.text.toStdString());
            QLineEdit* ours = g.widget<QLineEdit>(field.screen, field.control);
            g.window(field.screen)->show();
            QLineEdit plain;
            plain.setFont(ours->font());
            plain.setFrame(ours->hasFrame());
            plain.setAlignment(ours->alignment());
            plain.setText(ours->text());
            plain.setCursorPosition(ours->cursorPosition());
            plain.resize(ours->size());
            plain.show();
            std::mt19937 rng(static_cast<unsigned>(seed * 104729));
            for (int i = 0; i < steps; ++i) {
                std::string said;
                if (i % 3 != 2) {
                    const Step step = randomStep(rng, ours->size(), said);
                    turnTo(ours);
                    step(ours);
                    turnTo(&plain);
                    step(&plain);
                } else {
                    const gui::Plugin plugin = gui::allPlugins[(ended / std::size(paths)) % std::size(gui::allPlugins)];
                    const PressPath& path = paths[ended % std::size(paths)];
                    const QString text = conversions[ended % std::size(conversions)];
                    said = std::string("conversion ") + text.toStdString() + " under a plugin that " +
                           gui::nameOf(plugin) + ", ended by " + path.what;
                    turnTo(ours);
                    FakeInputMethod im(plugin);
                    g.renderer.setInputMethod(&im);
                    im.compose(ours, text);
                    clickedAt.reset();
                    pendingLength = static_cast<int>(text.size());
                    ASSERT_TRUE(path.press(g, field.screen, ours)) << said;
                    FakeInputMethod::settle();
                    g.renderer.setInputMethod(nullptr);
                    turnTo(&plain);
                    plain.setFocus();
                    QInputMethodEvent preedit(text, {});
                    QApplication::sendEvent(&plain, &preedit);
                    QInputMethodEvent commit;
                    commit.setCommitString(text);
                    QApplication::sendEvent(&plain, &commit);
                    if (clickedAt) {
                        QTest::mouseClick(&plain, Qt::LeftButton, Qt::NoModifier, *clickedAt);
                    }
                    ours->setFocus();
                    ++ended;
                }
                QApplication::processEvents();
                const EditState a = stateOf(ours);
                const EditState b = stateOf(&plain);
                ASSERT_EQ(a, b) << "step " << i << ", " << said << ":\n  ours:  " << describe(a)
                                << "\n  plain: " << describe(b);
                ASSERT_EQ(g.program.find(field.screen)->text(field.control), ours->text().toStdString());
            }
        }
    }
    std::cout << "[ native  ] " << ended << " conversions ended" << std::endl;
}
