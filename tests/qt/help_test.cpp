// "?" on every screen of both programs: the help viewer opens at the contents,
// owned by that screen's window; without a help file the viewer says so and
// the program goes on. And where the help is looked for, in an unpacked
// archive's layout.
#include <QDialog>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "app/catalog.h"
#include "qt/gui_support.h"
#include "qt/help_file.h"
#include "quick/quick_generator.h"
#include "support.h"

using gui::GuiProgram;
using gui::RealDialogAnswers;
using testing_support::TempFolder;

namespace {

struct HelpButton {
    const char* program;  // "kelvora" or "kelvquick"
    const char* screen;
    const char* button;
};

const HelpButton helpButtons[] = {
    {"kelvora", "Form1", "Command5"},  {"kelvora", "Form2", "Command4"},  {"kelvora", "Form3", "Command4"},
    {"kelvora", "Form5", "Command4"},  {"kelvora", "Form6", "Command4"},  {"kelvora", "Form8", "Command4"},
    {"kelvora", "Form9", "Command4"},  {"kelvora", "Form11", "Command4"}, {"kelvora", "Form12", "Command4"},
    {"kelvora", "Form13", "Command5"}, {"kelvora", "Form14", "Command2"}, {"kelvquick", "Form1", "Command5"},
};

std::unique_ptr<GuiProgram> programFor(const std::string& which)
{
    if (which == "kelvquick") {
        return std::make_unique<GuiProgram>(quick::quickProgram());
    }
    return std::make_unique<GuiProgram>(app::kelvoraProgram());
}

QList<QDialog*> viewersOf(QWidget* window)
{
    return window->findChildren<QDialog*>(QStringLiteral("helpViewer"), Qt::FindDirectChildrenOnly);
}

// Points the help search somewhere else for one test.
struct HelpFolders {
    explicit HelpFolders(const QStringList& folders) { kelvqt::setHelpFoldersForTesting(folders); }
    ~HelpFolders() { kelvqt::setHelpFoldersForTesting(std::nullopt); }
};

}  // namespace

TEST(HelpGui, TheTableHoldsEveryHelpButtonOfBothPrograms)
{
    std::set<std::string> declared;
    for (const char* which : {"kelvora", "kelvquick"}) {
        const auto catalog = std::string(which) == "kelvquick" ? quick::quickCatalog() : app::kelvoraCatalog();
        for (const auto& [name, declaration] : catalog) {
            for (const form::ControlDef& c : declaration().controls()) {
                if (c.kind == form::Kind::Button && c.text == "?") {
                    declared.insert(std::string(which) + " " + name + " " + c.name);
                }
            }
        }
    }
    std::set<std::string> tested;
    for (const HelpButton& b : helpButtons) {
        tested.insert(std::string(b.program) + " " + b.screen + " " + b.button);
    }
    EXPECT_EQ(declared, tested);
}

TEST(HelpGui, EveryHelpButtonOpensTheContentsOwnedByItsScreen)
{
    ASSERT_FALSE(kelvqt::findHelpFile(QStringLiteral("KELVORA.hlp")).isEmpty())
        << "the help file should lie beside the test program";
    for (const HelpButton& b : helpButtons) {
        SCOPED_TRACE(std::string(b.program) + " " + b.screen);
        auto g = programFor(b.program);
        g->program.show(b.screen);
        QWidget* window = g->window(b.screen);
        ASSERT_NE(window, nullptr);

        g->click(b.screen, b.button);
        QList<QDialog*> viewers = viewersOf(window);
        ASSERT_EQ(viewers.size(), 1);
        QDialog* viewer = viewers.constFirst();
        EXPECT_EQ(viewer->parentWidget(), window);
        EXPECT_TRUE(viewer->isVisible());
        EXPECT_FALSE(viewer->isModal());
        auto* browser = viewer->findChild<QTextBrowser*>(QStringLiteral("helpText"));
        ASSERT_NE(browser, nullptr);
        EXPECT_EQ(browser->source().fragment(), QStringLiteral("contents"));
        EXPECT_EQ(browser->documentTitle(), QStringLiteral("Mirevant ヘルプ"));
        EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("目次")));

        // Asking again brings the same viewer back rather than a second one.
        browser->scrollToAnchor(QStringLiteral("messages"));
        g->click(b.screen, b.button);
        EXPECT_EQ(viewersOf(window).size(), 1);
        EXPECT_EQ(browser->source().fragment(), QStringLiteral("contents"));
        EXPECT_FALSE(g->ended);
    }
}

TEST(HelpGui, AMissingHelpFileIsToldAndTheProgramGoesOn)
{
    TempFolder empty;
    GuiProgram g(app::kelvoraProgram());
    g.program.show("Form2");
    {
        HelpFolders nowhere({QString::fromStdString(empty.path())});
        RealDialogAnswers answers;
        answers.ok();
        g.click("Form2", "Command4");
        ASSERT_TRUE(answers.done());
        EXPECT_EQ(answers.seen[0].title, QStringLiteral("ヘルプ"));
        EXPECT_TRUE(answers.seen[0].text.startsWith(QStringLiteral("ヘルプファイル「KELVORA.hlp」が見つかりません。")));
        EXPECT_TRUE(answers.seen[0].text.contains(QString::fromStdString(empty.path())));
        EXPECT_TRUE(viewersOf(g.window("Form2")).isEmpty());
    }
    EXPECT_FALSE(g.ended);
    EXPECT_TRUE(g.program.isVisible("Form2"));
    // The screen still works: typing reaches the model, and the help opens
    // once the file is there.
    gui::retype(g.widget<QLineEdit>("Form2", "Text1"), QStringLiteral("kyou01.wmv"));
    EXPECT_EQ(g.program.find("Form2")->text("Text1"), "kyou01.wmv");
    g.click("Form2", "Command4");
    EXPECT_EQ(viewersOf(g.window("Form2")).size(), 1);
}

TEST(HelpSearch, FindsTheHelpInEachLayoutInOrder)
{
    namespace fs = std::filesystem;
    const QString name = QStringLiteral("KELVORA.hlp");
    struct Case {
        const char* what;
        std::vector<std::string> helpFiles;  // inside the unpacked folder
        std::string expected;                // "" for none
    };
    const Case cases[] = {
        {"archive or install prefix", {"share/kelvora/KELVORA.hlp"}, "share/kelvora/KELVORA.hlp"},
        {"beside the program wins", {"bin/KELVORA.hlp", "share/kelvora/KELVORA.hlp"}, "bin/KELVORA.hlp"},
        {"another prefix's help is not ours", {"../share/kelvora/KELVORA.hlp"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder root;
        const fs::path unpacked = fs::path(root.path()) / "kelvora-1.0.0";
        fs::create_directories(unpacked / "bin");
        for (const std::string& file : c.helpFiles) {
            fs::create_directories((unpacked / file).parent_path());
            testing_support::writeBytes((unpacked / file).string(), "<html></html>");
        }
        QStringList folders = kelvqt::helpFolders(QString::fromStdString((unpacked / "bin").string()));
#ifdef KELVORA_DATA_DIR
        folders.removeAll(QStringLiteral(KELVORA_DATA_DIR));  // the build's own prefix is not the layout's
#endif
        const QString found = kelvqt::findHelpFileIn(folders, name);
        const QString expected =
            c.expected.empty() ? QString() : QString::fromStdString(fs::canonical(unpacked / c.expected).string());
        EXPECT_EQ(found, expected);
    }
}

TEST(HelpSearch, TheProgramsOwnFolderComesFirstAndNoVariableIsRead)
{
    qputenv("KELVORA_HELP_DIR", "/elsewhere");
    const QStringList folders = kelvqt::helpFolders(QStringLiteral("/opt/kelvora/bin"));
    qunsetenv("KELVORA_HELP_DIR");
    ASSERT_GE(folders.size(), 2);
    EXPECT_EQ(folders[0], QStringLiteral("/opt/kelvora/bin"));
    EXPECT_EQ(folders[1], QStringLiteral("/opt/kelvora/bin/../share/kelvora"));
    EXPECT_FALSE(folders.contains(QStringLiteral("/elsewhere")));
}
