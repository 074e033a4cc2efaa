// What assistive technology meets on every screen of both programs, and the
// files it makes: texts set through the accessibility interface and options
// chosen through its actions reach the saved bytes exactly as typing and
// clicking do; options are radio buttons, every focusable control has a
// name, computed heights are read-only; dropped files give names, never
// addresses; long texts and the templates' line breaks survive the widgets.
#include <QAccessible>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QRadioButton>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "app/catalog.h"
#include "qt/gui_support.h"
#include "quick/quick_generator.h"
#include "support.h"

using gui::DialogAnswers;
using gui::GuiProgram;
using testing_support::readBytes;
using testing_support::TempFolder;

namespace {

QAccessibleInterface* a11y(QWidget* w)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    if (iface == nullptr) {
        throw std::runtime_error("no accessible interface for " + w->objectName().toStdString());
    }
    return iface;
}

void setByAccessibility(GuiProgram& g, const std::string& screen, const std::string& control, const QString& text)
{
    a11y(g.widget<QLineEdit>(screen, control))->setText(QAccessible::Value, text);
    QApplication::processEvents();
}

void toggleByAccessibility(GuiProgram& g, const std::string& screen, const std::string& control)
{
    a11y(g.widget<QRadioButton>(screen, control))
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::toggleAction());
    QApplication::processEvents();
}

// Saves the screen through its "保存" button into dir and returns the bytes.
std::string save(GuiProgram& g, const std::string& screen, const TempFolder& dir)
{
    DialogAnswers answers;
    answers.save(QString::fromStdString(dir.file("out"))).ok();
    g.click(screen, "Command1");
    EXPECT_TRUE(answers.done());
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        return readBytes(entry.path().string());
    }
    return {};
}

void drop(QLineEdit* edit, const QMimeData& data)
{
    const QPoint at(edit->width() / 2, edit->height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit, &enter);
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit, &dropped);
    QApplication::processEvents();
}

std::unique_ptr<GuiProgram> programFor(bool quick)
{
    return quick ? std::make_unique<GuiProgram>(quick::quickProgram())
                 : std::make_unique<GuiProgram>(app::kelvoraProgram());
}

}  // namespace

TEST(AccessibilityGui, TextsSetThroughTheInterfaceAreWhatThePagesGet)
{
    struct Case {
        const char* screen;
        const char* control;
        const char* text;
        const char* expected;        // in the saved bytes, as UTF-8 (ASCII here)
        const char* shownBeside[2];  // another field and what it then shows
    };
    const Case cases[] = {
        {"Form2", "Text1", "kazoku.wmv", "<Ref href =\"./kazoku.wmv\">", {"Text1", "kazoku.wmv"}},
        {"Form6", "Text4", "32", "width=\"32\" height=\"88\"", {"Text6", "88"}},
        {"Form5", "Text2", "click", "target=\"_self\">click</A>", {"Text3", "click"}},
        {"Form11", "Text1", "one", ">one</A>", {"Text6", "one"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.screen);
        TempFolder dir;
        GuiProgram g(app::kelvoraProgram());
        g.program.start(c.screen);
        if (std::string(c.screen) == "Form11") {
            setByAccessibility(g, c.screen, "Text11", QStringLiteral("one.asx"));
        }
        setByAccessibility(g, c.screen, c.control, QString::fromUtf8(c.text));
        EXPECT_EQ(g.widget<QLineEdit>(c.screen, c.shownBeside[0])->text(), QString::fromUtf8(c.shownBeside[1]));
        EXPECT_NE(save(g, c.screen, dir).find(c.expected), std::string::npos);
    }
}

TEST(AccessibilityGui, JapaneseNameInsertedThroughTheInterfaceIsSavedInCodePage932)
{
    TempFolder dir;
    GuiProgram g(app::kelvoraProgram());
    g.program.start("Form2");
    // The field starts as ".wmv"; a screen reader's insert puts the name before it.
    QAccessibleEditableTextInterface* editable = a11y(g.widget<QLineEdit>("Form2", "Text1"))->editableTextInterface();
    ASSERT_NE(editable, nullptr);
    editable->insertText(0, QStringLiteral("家族旅行"));
    QApplication::processEvents();
    EXPECT_EQ(g.program.find("Form2")->text("Text1"), "家族旅行.wmv");
    EXPECT_NE(save(g, "Form2", dir).find("<Ref href =\"./\x89\xc6\x91\xb0\x97\xb7\x8d\x73.wmv\">"), std::string::npos);
}

TEST(AccessibilityGui, OptionsChosenThroughTheirActionsAreWhatTheFilesGet)
{
    {
        TempFolder dir;
        GuiProgram g(app::kelvoraProgram());
        g.program.start("Form5");
        toggleByAccessibility(g, "Form5", "Option1");
        EXPECT_TRUE(g.widget<QRadioButton>("Form5", "Option1")->isChecked());
        EXPECT_FALSE(g.widget<QRadioButton>("Form5", "Option2")->isChecked());
        EXPECT_NE(save(g, "Form5", dir).find("<P align=\"left\">"), std::string::npos);
    }
    {
        GuiProgram g(app::kelvoraProgram());
        g.program.start("Form1");
        g.click("Form1", "Command2");
        g.click("Form13", "Command4");
        toggleByAccessibility(g, "Form14", "Option1");
        EXPECT_EQ(g.program.find("Form13")->text("Text17"), "true");
        // Toggling the chosen option again cannot clear it: an option is
        // cleared only by choosing another.
        toggleByAccessibility(g, "Form14", "Option1");
        EXPECT_TRUE(g.widget<QRadioButton>("Form14", "Option1")->isChecked());
        EXPECT_TRUE(g.program.find("Form14")->selected("Option1"));

        const std::string name = "a11ytest" + std::to_string(::getpid());
        const std::string folder = g.platform.programFolder() + "/" + name;
        setByAccessibility(g, "Form13", "Text1", QString::fromStdString(name));
        DialogAnswers answers;
        answers.ok();
        g.click("Form13", "Command1");
        const std::string embed = readBytes(folder + "/" + name + "01.htm");
        std::filesystem::remove_all(folder);
        EXPECT_NE(embed.find("<PARAM name=\"autoStart\" value=\"true\">"), std::string::npos);
    }
}

TEST(AccessibilityGui, FieldsTheUserCannotReachKeepTheirTextsWhateverTheWidgetIsTold)
{
    GuiProgram g(app::kelvoraProgram());
    g.program.start("Form1");
    g.click("Form1", "Command2");
    // A template with line breaks inside, a hidden mirror, a computed height.
    const std::string templateText = g.program.find("Form13")->text("Text8");
    ASSERT_NE(templateText.find("\r\n"), std::string::npos);
    EXPECT_EQ(g.widget<QLineEdit>("Form13", "Text8")->text().toStdString(), templateText);
    for (const char* control : {"Text8", "Text12", "Text17"}) {
        SCOPED_TRACE(control);
        const std::string before = g.program.find("Form13")->text(control);
        setByAccessibility(g, "Form13", control, QStringLiteral("x"));
        g.widget<QLineEdit>("Form13", control)->setText(QStringLiteral("y"));
        QApplication::processEvents();
        EXPECT_EQ(g.program.find("Form13")->text(control), before);
        EXPECT_EQ(g.widget<QLineEdit>("Form13", control)->text().toStdString(), before);
    }
    g.program.start("Form6");
    setByAccessibility(g, "Form6", "Text6", QStringLiteral("999"));
    EXPECT_EQ(g.widget<QLineEdit>("Form6", "Text6")->text(), QStringLiteral("304"));
}

TEST(AccessibilityGui, ALongTextIsHeldWholeByTheFieldItsPreviewAndTheModel)
{
    GuiProgram g(app::kelvoraProgram());
    g.program.start("Form5");
    const QString longText(40000, QChar(u'映'));
    setByAccessibility(g, "Form5", "Text2", longText);
    EXPECT_EQ(g.widget<QLineEdit>("Form5", "Text2")->text(), longText);
    EXPECT_EQ(g.widget<QLineEdit>("Form5", "Text3")->text(), longText);
    EXPECT_EQ(g.program.find("Form5")->text("Text3"), longText.toStdString());
}

TEST(AccessibilityGui, EveryScreenExposesRadioButtonsNamesAndReadOnlyHeights)
{
    struct Screen {
        bool quick;
        std::string name;
    };
    std::vector<Screen> screens{{true, "Form1"}, {false, "frmSplash"}};
    for (int n = 1; n <= 14; ++n) {
        screens.push_back({false, "Form" + std::to_string(n)});
    }
    for (const Screen& s : screens) {
        SCOPED_TRACE(s.name);
        auto g = programFor(s.quick);
        g->program.start(s.name);
        QWidget* win = g->window(s.name);
        ASSERT_NE(win, nullptr);
        for (QWidget* w : win->findChildren<QWidget*>()) {
            if (!w->isVisibleTo(win) || w->focusPolicy() == Qt::NoFocus) {
                continue;
            }
            QAccessibleInterface* iface = a11y(w);
            EXPECT_FALSE(iface->text(QAccessible::Name).trimmed().isEmpty()) << w->objectName().toStdString();
            if (qobject_cast<QRadioButton*>(w) != nullptr) {
                EXPECT_EQ(iface->role(), QAccessible::RadioButton) << w->objectName().toStdString();
            }
        }
    }

    struct Named {
        const char* screen;
        const char* control;
        const char* name;
        bool readOnly;
    };
    const Named named[] = {
        {"Form2", "Text1", "ビデオ名記入", false},
        {"Form5", "Text2", "コメント記入", false},
        {"Form5", "Text3", "「コメント記入」のプレビュー", true},
        {"Form6", "Text4", "幅", false},
        {"Form6", "Text6", "高さ", true},
        {"Form11", "Text2", "コメント記入 2", false},
        {"Form11", "Text7", "「コメント記入 2」のプレビュー", true},
        {"Form12", "Text17", "高さ", true},
        {"Form12", "Text10", "「コメント記入 5」のプレビュー", true},
    };
    for (const Named& n : named) {
        SCOPED_TRACE(std::string(n.screen) + "." + n.control);
        GuiProgram g(app::kelvoraProgram());
        g.program.start(n.screen);
        QAccessibleInterface* iface = a11y(g.widget<QLineEdit>(n.screen, n.control));
        EXPECT_EQ(iface->text(QAccessible::Name), QString::fromUtf8(n.name));
        EXPECT_EQ(iface->state().readOnly, n.readOnly);
    }
}

TEST(AccessibilityGui, DroppedFilesGiveNamesOnlyToFieldsThatAskForThem)
{
    TempFolder dir;
    const std::string file = dir.file("家族旅行.wmv");
    testing_support::writeBytes(file, "");
    std::filesystem::create_directory(dir.file("omiyage"));
    const QUrl fileUrl = QUrl::fromLocalFile(QString::fromStdString(file));
    const QUrl folderUrl = QUrl::fromLocalFile(QString::fromStdString(dir.file("omiyage")));

    struct Case {
        bool quick;
        const char* screen;
        const char* control;
        bool folder;
        const char* expected;  // nullptr: the field keeps its text
    };
    const Case cases[] = {
        {false, "Form2", "Text1", false, "家族旅行.wmv"}, {false, "Form3", "Text2", false, "家族旅行.wmv"},
        {false, "Form3", "Text1", true, "omiyage"},       {false, "Form3", "Text1", false, nullptr},
        {false, "Form2", "Text1", true, nullptr},         {false, "Form13", "Text1", false, "家族旅行"},
        {true, "Form1", "Text1", false, "家族旅行"},      {false, "Form9", "Text19", true, "omiyage"},
        {false, "Form5", "Text2", false, nullptr},        {false, "Form6", "Text4", false, nullptr},
        {false, "Form6", "Text6", false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.screen) + "." + c.control + (c.folder ? " folder" : " file"));
        auto g = programFor(c.quick);
        g->program.start(c.screen);
        auto* edit = g->widget<QLineEdit>(c.screen, c.control);
        const std::string before = g->program.find(c.screen)->text(c.control);
        QMimeData data;
        data.setUrls({c.folder ? folderUrl : fileUrl});
        drop(edit, data);
        const std::string expected = c.expected != nullptr ? c.expected : before;
        EXPECT_EQ(g->program.find(c.screen)->text(c.control), expected);
        EXPECT_EQ(edit->text().toStdString(), expected);
    }

    // Dragged text is typing: it reaches the model, and the mirror follows.
    GuiProgram g(app::kelvoraProgram());
    g.program.start("Form5");
    QMimeData text;
    text.setText(QStringLiteral("ようこそ"));
    drop(g.widget<QLineEdit>("Form5", "Text2"), text);
    EXPECT_EQ(g.program.find("Form5")->text("Text3"), "ようこそ");
}
