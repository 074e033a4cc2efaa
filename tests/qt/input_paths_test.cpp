// One truth between the widgets and the model, whatever way a text or a
// choice reaches a widget: a long random walk through both programs over
// every input path (keys, input-method commits, paste, undo and redo, drops,
// the accessibility interface, programmatic setText, clicks, closes and the
// dialogs' answers), checked after every step. Each save and each one-shot
// press is replayed headlessly from the texts the widgets showed just
// before it, and both runs must write the same bytes and say the same.
#include <QAccessible>
#include <QClipboard>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <sstream>

#include "app/catalog.h"
#include "qt/qt_platform.h"
#include "qt/renderer.h"
#include "quick/quick_generator.h"
#include "render/binding.h"
#include "support/pixels.h"
#include "support/scripted_platform.h"
#include "support.h"

namespace fs = std::filesystem;

namespace {

// The input paths the walk takes, for the figures it reports.
enum class Path {
    Keys,
    InputMethod,
    Paste,
    Undo,
    Redo,
    DropFile,
    DropFolder,
    DropText,
    AccessibleSetText,
    AccessibleInsert,
    AccessibleDelete,
    AccessibleReplace,
    ProgrammaticSetText,
    MouseClick,
    SpaceKey,
    ArrowKey,
    AccessiblePress,
    AccessibleToggle,
    SurfaceClick,
    CloseWindow,
    WindowKey,
    Count
};

constexpr std::array<const char*, static_cast<int>(Path::Count)> pathNames{
    "keys",      "input method",  "paste",       "undo",        "redo",          "drop file",    "drop folder",
    "drop text", "a11y set text", "a11y insert", "a11y delete", "a11y replace",  "setText",      "mouse click",
    "space",     "arrow key",     "a11y press",  "a11y toggle", "surface click", "close window", "window key",
};

// Pieces of what users type: names, numbers good and bad, the characters
// input methods produce instead of their code page 932 twins, one that the
// code page cannot hold, separators and markup.
const char* const pieces[] = {
    "家族旅行", ".wmv", ".asx", ".htm", "kyou01",         "bb",  "320", "32", "640",
    "101",      "-7",   "0.5",  " ",    "ｶﾞｿﾞｳ",          "〜",  "‖",   "−",  "—",
    "😀",        "/",    "\\",   "abc",  "ここをクリック", "<b>", "\"",  "..", "omiyage",
};

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

// The answers of the walk's dialogs, through the platform's seam: the save
// dialog gets the path chosen for this press (or Cancel), a message box OK.
struct Answers {
    std::optional<QString> savePath;  // nothing: Cancel
    std::vector<std::string> messages;
};

// The program folder is a temporary folder of the test's, so that the
// generators write where the test looks.
class FolderPlatform : public kelvqt::QtPlatform {
public:
    explicit FolderPlatform(Answers& answers)
        : kelvqt::QtPlatform(
              [&answers](QWidget*, const kelvqt::SaveRequest& request) -> std::optional<QString> {
                  if (!answers.savePath) {
                      return std::nullopt;
                  }
                  // As the real dialog does, a name without an extension gets the default one.
                  const QString path = *answers.savePath;
                  return QFileInfo(path).suffix().isEmpty() ? path + QLatin1Char('.') + request.defaultSuffix : path;
              },
              [&answers](QWidget*, const QString&, const QString& text) {
                  answers.messages.push_back(text.toStdString());
              })
    {
    }
    std::string folder;
    std::string programFolder() override { return folder; }
};

struct Subject {
    Subject(form::ProgramDescription description, std::string folder, Answers& answers)
        : platform(answers), program(std::move(description), platform), renderer(program)
    {
        platform.folder = std::move(folder);
        platform.setRenderer(&renderer);
        platform.onEnd = [this] { ended = true; };
    }
    FolderPlatform platform;
    form::Program program;
    kelvqt::Renderer renderer;
    bool ended = false;
};

std::string replaceAll(std::string s, const std::string& from, const std::string& to)
{
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) {
        s.replace(at, from.size(), to);
    }
    return s;
}

// Every file below a folder, by its path inside it, with its bytes.
std::map<std::string, std::string> filesBelow(const std::string& root)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(entry.path(), root).string();
        files[relative] = entry.is_directory() ? "<folder>" : testing_support::readBytes(entry.path().string());
    }
    return files;
}

class Walk {
public:
    Walk(unsigned seed, bool quick, int steps) : random_(seed), quick_(quick), steps_(steps)
    {
        guiFolder_ = folder_.path() + "/A";
        modelFolder_ = folder_.path() + "/B";
        for (const std::string& f : {guiFolder_, modelFolder_}) {
            fs::create_directories(f + "/s");
        }
        fs::create_directories(folder_.path() + "/drops/映像フォルダー");
        testing_support::writeBytes(folder_.path() + "/drops/家族旅行.wmv", "");
        start();
    }

    void run()
    {
        for (step_ = 0; step_ < steps_ && !::testing::Test::HasFailure(); ++step_) {
            if (subject_->ended || subject_->program.visibleScreens().empty()) {
                start();
            }
            act();
            QApplication::processEvents();
            expectWidgetsShowTheModel();
        }
    }

    std::array<int, static_cast<int>(Path::Count)> taken{};
    int replays = 0;
    int filesWritten = 0;

private:
    void start()
    {
        subject_.reset();
        QApplication::processEvents();
        if (quick_) {
            subject_ = std::make_unique<Subject>(quick::quickProgram(), guiFolder_, answerer_);
            subject_->program.start("Form1");
        } else {
            subject_ = std::make_unique<Subject>(app::kelvoraProgram(), guiFolder_, answerer_);
            subject_->program.start(chance(4) ? "frmSplash" : "Form1");
        }
        QApplication::processEvents();
    }

    bool chance(int oneIn) { return std::uniform_int_distribution<int>(0, oneIn - 1)(random_) == 0; }
    int upTo(int n) { return std::uniform_int_distribution<int>(0, std::max(0, n))(random_); }

    template <typename T>
    T* pick(const QList<T*>& list)
    {
        return list.isEmpty() ? nullptr : list[upTo(static_cast<int>(list.size()) - 1)];
    }

    QString someText()
    {
        std::string text;
        for (int n = upTo(3); n > 0; --n) {
            text += pieces[upTo(static_cast<int>(std::size(pieces)) - 1)];
        }
        return qs(text);
    }

    // Past the 32,767 characters a line edit holds by default.
    QString longText() { return QString(33000, QChar(u'あ')); }

    void take(Path p, const std::string& where)
    {
        ++taken[static_cast<int>(p)];
        std::ostringstream out;
        out << "step " << step_ << ": " << pathNames[static_cast<int>(p)] << " on " << where;
        last_ = out.str();
    }

    static std::string nameOf(QWidget* w)
    {
        return w->window()->objectName().toStdString() + "." + w->objectName().toStdString();
    }

    void act()
    {
        const std::vector<std::string> visible = subject_->program.visibleScreens();
        QWidget* win = subject_->renderer.window(visible[upTo(static_cast<int>(visible.size()) - 1)]);
        if (win == nullptr) {
            return;
        }
        const int roll = upTo(99);
        if (roll < 55) {
            editText(win);
        } else if (roll < 80) {
            chooseOption(win);
        } else if (roll < 94) {
            pressButton(win);
        } else if (roll < 98) {
            QLabel* surface = pick(win->findChildren<QLabel*>());
            QGroupBox* frame = pick(win->findChildren<QGroupBox*>());
            QWidget* target = frame != nullptr && chance(2) ? static_cast<QWidget*>(frame) : surface;
            if (target != nullptr && target->isVisible()) {
                take(Path::SurfaceClick, nameOf(target));
                QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(2, target->height() - 2));
            }
        } else if (chance(2)) {
            take(Path::CloseWindow, win->objectName().toStdString());
            win->close();
        } else {
            take(Path::WindowKey, win->objectName().toStdString());
            QTest::keyClick(win, Qt::Key_A);
        }
    }

    // Any text box, also template fields and read-only ones: those must keep
    // the model's text whatever reaches their widget.
    void editText(QWidget* win)
    {
        QLineEdit* edit = pick(win->findChildren<QLineEdit*>());
        if (edit == nullptr || edit->window() != win) {
            return;
        }
        const std::string where = nameOf(edit);
        QAccessibleInterface* a11y = QAccessible::queryAccessibleInterface(edit);
        QAccessibleEditableTextInterface* editable = a11y ? a11y->editableTextInterface() : nullptr;
        const int length = static_cast<int>(edit->text().size());
        switch (upTo(14)) {
        case 0:
        case 1:
        case 2: {
            take(Path::Keys, where);
            edit->setCursorPosition(upTo(length));
            for (const QChar ch : someText()) {
                QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
                QApplication::sendEvent(edit, &press);
            }
            if (chance(3)) {
                QTest::keyClick(edit, Qt::Key_Backspace);
            }
            break;
        }
        case 3: {
            take(Path::InputMethod, where);
            QInputMethodEvent preedit(QStringLiteral("かぞく"), {});
            QApplication::sendEvent(edit, &preedit);
            QInputMethodEvent commit;
            commit.setCommitString(chance(2) ? QStringLiteral("家族") : someText());
            QApplication::sendEvent(edit, &commit);
            break;
        }
        case 4:
            take(Path::Paste, where);
            QApplication::clipboard()->setText(someText());
            if (chance(2)) {
                edit->selectAll();
            }
            QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
            break;
        case 5:
            take(Path::Undo, where);
            QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
            break;
        case 6:
            take(Path::Redo, where);
            QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            break;
        case 7: {
            const int kind = upTo(2);
            take(kind == 0 ? Path::DropFile : kind == 1 ? Path::DropFolder : Path::DropText, where);
            QMimeData data;
            if (kind == 0) {
                data.setUrls({QUrl::fromLocalFile(qs(folder_.path() + "/drops/家族旅行.wmv"))});
            } else if (kind == 1) {
                data.setUrls({QUrl::fromLocalFile(qs(folder_.path() + "/drops/映像フォルダー"))});
            } else {
                data.setText(someText());
            }
            drop(edit, data);
            break;
        }
        case 8:
            take(Path::AccessibleSetText, where);
            if (a11y != nullptr) {
                a11y->setText(QAccessible::Value, chance(15) ? longText() : someText());
            }
            break;
        case 9:
            take(Path::AccessibleInsert, where);
            if (editable != nullptr) {
                editable->insertText(upTo(length), someText());
            }
            break;
        case 10:
            take(Path::AccessibleDelete, where);
            if (editable != nullptr && length > 0) {
                const int from = upTo(length - 1);
                editable->deleteText(from, from + 1 + upTo(length - from - 1));
            }
            break;
        case 11:
            take(Path::AccessibleReplace, where);
            if (editable != nullptr) {
                const int from = upTo(length);
                editable->replaceText(from, from + upTo(length - from), someText());
            }
            break;
        default:
            take(Path::ProgrammaticSetText, where);
            edit->setText(chance(20) ? longText() : someText());
            break;
        }
    }

    void drop(QLineEdit* edit, const QMimeData& data)
    {
        const QPoint at(edit->width() / 2, edit->height() / 2);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(edit, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(edit, &move);
        if (move.isAccepted()) {
            QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(edit, &dropped);
        }
    }

    void chooseOption(QWidget* win)
    {
        QList<QRadioButton*> shown;
        for (QRadioButton* option : win->findChildren<QRadioButton*>()) {
            if (option->isVisible()) {
                shown << option;
            }
        }
        QRadioButton* option = pick(shown);
        if (option == nullptr) {
            editText(win);
            return;
        }
        const std::string where = nameOf(option);
        QAccessibleActionInterface* actions = QAccessible::queryAccessibleInterface(option)->actionInterface();
        switch (upTo(4)) {
        case 0:
            take(Path::MouseClick, where);
            QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2));
            break;
        case 1:
            take(Path::SpaceKey, where);
            QTest::keyClick(option, Qt::Key_Space);
            break;
        case 2:
            take(Path::ArrowKey, where);
            option->setFocus();
            QTest::keyClick(option, chance(2) ? Qt::Key_Right : Qt::Key_Left);
            break;
        case 3:
            take(Path::AccessibleToggle, where);
            actions->doAction(QAccessibleActionInterface::toggleAction());
            break;
        default:
            take(Path::AccessiblePress, where);
            actions->doAction(QAccessibleActionInterface::pressAction());
            QTest::qWait(150);  // the press is animated
            break;
        }
    }

    void pressButton(QWidget* win)
    {
        QList<QPushButton*> shown;
        for (QPushButton* button : win->findChildren<QPushButton*>()) {
            // Help opens a window of its own, tried elsewhere; "終了" only now and then.
            const QString caption = button->text();
            if (button->isVisible() && button->window() == win && caption != QStringLiteral("?") &&
                (caption != QStringLiteral("終了") || chance(6))) {
                shown << button;
            }
        }
        QPushButton* button = pick(shown);
        // The presses that write come up more often than their share.
        for (QPushButton* candidate : shown) {
            if (isWriting(candidate) && chance(3)) {
                button = candidate;
            }
        }
        if (button == nullptr) {
            return;
        }
        const std::string screen = win->objectName().toStdString();
        const std::string control = button->objectName().toStdString();
        const bool writes = isWriting(button);
        std::optional<std::map<std::string, form::ScreenDef>> shownBefore;
        std::vector<std::string> visibleBefore;
        std::optional<std::string> answer;
        if (writes) {
            shownBefore = whatTheWidgetsShow();
            visibleBefore = subject_->program.visibleScreens();
            if (!chance(7)) {
                answer = "/s/f" + std::to_string(++saves_) + (chance(2) ? "" : ".txt");
            }
            answerer_.savePath = answer ? std::optional<QString>(qs(guiFolder_ + *answer)) : std::nullopt;
            answerer_.messages.clear();
        }
        const int how = upTo(9);
        if (how < 7) {
            take(Path::MouseClick, nameOf(button));
            QTest::mouseClick(button, Qt::LeftButton);
        } else if (how == 7) {
            take(Path::SpaceKey, nameOf(button));
            QTest::keyClick(button, Qt::Key_Space);
        } else {
            take(Path::AccessiblePress, nameOf(button));
            QAccessible::queryAccessibleInterface(button)->actionInterface()->doAction(
                QAccessibleActionInterface::pressAction());
            QTest::qWait(150);
        }
        QApplication::processEvents();
        if (writes) {
            replay(*shownBefore, visibleBefore, screen, control, answer);
        }
    }

    static bool isWriting(const QPushButton* button)
    {
        return button->text() == QStringLiteral("保存") || button->text() == QStringLiteral("一発作成");
    }

    // The loaded screens as their widgets show them: each declaration with
    // the widgets' texts and choices as its design-time values, and no load
    // step, so that a program loading them starts exactly there.
    std::map<std::string, form::ScreenDef> whatTheWidgetsShow()
    {
        std::map<std::string, form::ScreenDef> screens;
        for (const std::string& name : subject_->program.loadedScreens()) {
            form::Form* f = subject_->program.find(name);
            QWidget* win = subject_->renderer.window(name);
            form::ScreenDef def = f->def();
            def.onLoad({});
            for (const form::ControlDef& c : f->def().controls()) {
                form::ControlDef& d = def.control(c.name);
                const form::ControlState& s = f->state(c.name);
                d.rect = s.rect;
                d.visible = s.visible;
                d.enabled = s.enabled;
                d.text = s.text;
                d.selected = s.selected;
                QWidget* w = win != nullptr ? win->findChild<QWidget*>(qs(c.name)) : nullptr;
                if (auto* edit = qobject_cast<QLineEdit*>(w)) {
                    d.text = edit->text().toStdString();
                } else if (auto* option = qobject_cast<QRadioButton*>(w)) {
                    d.selected = option->isChecked();
                }
            }
            screens.emplace(name, std::move(def));
        }
        return screens;
    }

    // The same press in a headless program started from what the widgets
    // showed: the files written below the two program folders and the
    // messages shown must agree, but for the folder's own path.
    void replay(const std::map<std::string, form::ScreenDef>& shownBefore, const std::vector<std::string>& visible,
                const std::string& screen, const std::string& control, const std::optional<std::string>& answer)
    {
        ++replays;
        form::ProgramDescription description = quick_ ? quick::quickProgram() : app::kelvoraProgram();
        for (const auto& [name, def] : shownBefore) {
            auto held = std::make_shared<form::ScreenDef>(def);
            description.catalog[name] = [held]() -> const form::ScreenDef& { return *held; };
        }
        form::ScriptedPlatform platform;
        platform.folder = modelFolder_;
        if (answer) {
            platform.answerSave(modelFolder_ + *answer);
        } else {
            platform.answerCancel();
        }
        form::Program headless(std::move(description), platform);
        for (const auto& [name, def] : shownBefore) {
            headless.screen(name);
        }
        for (const std::string& name : visible) {
            headless.show(name);
        }
        headless.click(screen, control);

        std::vector<std::string> said;
        for (const std::string& m : answerer_.messages) {
            said.push_back(replaceAll(m, guiFolder_, modelFolder_));
        }
        EXPECT_EQ(said, platform.messageTexts()) << last_;
        std::map<std::string, std::string> written = filesBelow(guiFolder_);
        for (auto& [path, bytes] : written) {
            bytes = replaceAll(bytes, guiFolder_, modelFolder_);
        }
        EXPECT_EQ(written, filesBelow(modelFolder_)) << last_;
        filesWritten = static_cast<int>(written.size()) - 1;  // less the folder for saves
    }

    // After every step: each window of a loaded screen shows what the model
    // holds, control by control.
    void expectWidgetsShowTheModel()
    {
        form::Program& program = subject_->program;
        for (const std::string& name : program.loadedScreens()) {
            form::Form& f = *program.find(name);
            QWidget* win = subject_->renderer.window(name);
            if (win == nullptr) {
                ASSERT_FALSE(f.isVisible()) << name << " has no window; " << last_;
                continue;
            }
            ASSERT_EQ(win->isVisible(), f.isVisible()) << name << "; " << last_;
            for (const form::ControlDef& c : f.def().controls()) {
                QWidget* w = win->findChild<QWidget*>(qs(c.name));
                if (w == nullptr) {
                    continue;
                }
                const form::ControlState& s = f.state(c.name);
                const std::string where = name + "." + c.name + " after " + last_;
                if (auto* edit = qobject_cast<QLineEdit*>(w)) {
                    ASSERT_EQ(edit->text().toStdString(), s.text) << where;
                } else if (auto* option = qobject_cast<QRadioButton*>(w)) {
                    ASSERT_EQ(option->isChecked(), s.selected) << where;
                    ASSERT_EQ(option->text().toStdString(), s.text) << where;
                } else if (auto* button = qobject_cast<QPushButton*>(w)) {
                    ASSERT_EQ(button->text().toStdString(), s.text) << where;
                } else if (c.kind == form::Kind::Label) {
                    ASSERT_EQ(static_cast<QLabel*>(w)->text().toStdString(), s.text) << where;
                }
                ASSERT_EQ(w->isVisibleTo(win), render::shown(f, c.name)) << where;
                ASSERT_EQ(w->testAttribute(Qt::WA_ForceDisabled), !s.enabled) << where;
                if (c.kind != form::Kind::Line) {
                    const QRect expected(kelvqt::px(s.rect.left), kelvqt::px(s.rect.top), kelvqt::px(s.rect.width),
                                         kelvqt::px(s.rect.height));
                    // Where it is in its declared container, whatever box
                    // (an option group's) lies between them.
                    QWidget* container = c.container.empty() ? win : win->findChild<QWidget*>(qs(c.container));
                    ASSERT_EQ(QRect(w->mapTo(container, QPoint(0, 0)), w->size()), expected) << where;
                }
            }
        }
    }

    std::mt19937 random_;
    bool quick_;
    int steps_;
    int step_ = 0;
    int saves_ = 0;
    std::string last_ = "the start";
    testing_support::TempFolder folder_;
    std::string guiFolder_;
    std::string modelFolder_;
    Answers answerer_;
    std::unique_ptr<Subject> subject_;
};

int stepsPerSeed()
{
    const QByteArray asked = qgetenv("KELVORA_GUI_WALK_STEPS");
    return asked.isEmpty() ? 250 : asked.toInt();
}

class InputPathsGui : public ::testing::TestWithParam<unsigned> {};

}  // namespace

// Every fourth seed walks kelvquick; the others walk kelvora.
TEST_P(InputPathsGui, WidgetsShowTheModelAndSavesWriteWhatTheyShow)
{
    const unsigned seed = GetParam();
    Walk walk(seed, seed % 4 == 3, stepsPerSeed());
    walk.run();
    std::cout << "[walk] seed " << seed << (seed % 4 == 3 ? " kelvquick" : " kelvora") << ": " << stepsPerSeed()
              << " steps, " << walk.replays << " presses replayed, " << walk.filesWritten
              << " files and folders written;";
    for (std::size_t i = 0; i < pathNames.size(); ++i) {
        std::cout << " " << pathNames[i] << " " << walk.taken[i] << ",";
    }
    std::cout << "\n";
}

INSTANTIATE_TEST_SUITE_P(Seeds, InputPathsGui, ::testing::Range(1u, 9u));
