// Saving through the screens over what people keep in a site's folder: a
// symbolic link into another folder and a file with a second hard link. The
// new bytes land in the file the user meant, and nothing else is left.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "app/catalog.h"
#include "qt/gui_support.h"
#include "support.h"

using gui::DialogAnswers;
using gui::GuiProgram;

namespace fs = std::filesystem;

namespace {

const std::string saved =
    testing_support::crlf({"<ASX Version =\"3.0\">", "<Entry>", "<Ref href =\"./kyou01.wmv\">", "</Entry></ASX>"});

void saveForm2(const std::string& path)
{
    GuiProgram g(app::kelvoraProgram());
    g.program.start("Form2");
    gui::retype(g.widget<QLineEdit>("Form2", "Text1"), QStringLiteral("kyou01.wmv"));
    DialogAnswers answers;
    answers.save(QString::fromStdString(path)).ok();
    g.click("Form2", "Command1");
    ASSERT_TRUE(answers.done());
}

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(SaveOverLinks, ALinkIntoAnotherFolderKeepsItsPlaceAndItsTargetGetsTheBytes)
{
    testing_support::TempFolder site;
    testing_support::TempFolder www;
    testing_support::writeBytes(www.file("index.asx"), "old\r\n");
    fs::create_symlink(www.file("index.asx"), site.file("index.asx"));
    saveForm2(site.file("index.asx"));
    EXPECT_TRUE(fs::is_symlink(site.file("index.asx")));
    EXPECT_EQ(testing_support::readBytes(www.file("index.asx")), saved);
    EXPECT_EQ(namesIn(site.path()), std::vector<std::string>{"index.asx"});
    EXPECT_EQ(namesIn(www.path()), std::vector<std::string>{"index.asx"});
}

TEST(SaveOverLinks, BothNamesOfAHardLinkedFileShowTheNewBytes)
{
    testing_support::TempFolder site;
    testing_support::writeBytes(site.file("a.asx"), "old\r\n");
    fs::create_hard_link(site.file("a.asx"), site.file("b.asx"));
    saveForm2(site.file("a.asx"));
    EXPECT_EQ(testing_support::readBytes(site.file("b.asx")), saved);
    EXPECT_TRUE(fs::equivalent(site.file("a.asx"), site.file("b.asx")));
    EXPECT_EQ(namesIn(site.path()), (std::vector<std::string>{"a.asx", "b.asx"}));
}
