// The rules every renderer shares, headless: which controls are in view,
// which fields take text back from a widget, the names assistive technology
// reads, and what a dropped file gives a field.
#include <gtest/gtest.h>

#include "app/catalog.h"
#include "quick/quick_generator.h"
#include "render/binding.h"
#include "support/scripted_platform.h"

using form::DropName;

TEST(Binding, ClientAreaHoldsControlsThatReachIntoItWhicheverWayTheyPoint)
{
    form::ScreenDef s{"FormT", "", {1000, 1000}};
    struct Case {
        form::Rect rect;
        bool inView;
    };
    const Case cases[] = {
        {{0, 0, 100, 100}, true},
        {{999, 999, 100, 100}, true},
        {{1000, 0, 100, 100}, false},
        {{0, 1000, 100, 100}, false},
        {{-100, 0, 100, 100}, false},
        {{-99, 0, 100, 100}, true},
        // A line drawn right to left from outside ends inside.
        {{1100, 10, -200, 0}, true},
        {{1300, 10, -200, 0}, false},
        {{10, -50, 0, 100}, true},
    };
    const form::ControlDef& c = s.label("Label1", "");
    for (const Case& k : cases) {
        EXPECT_EQ(render::inClientArea(s, c, k.rect), k.inView)
            << k.rect.left << "," << k.rect.top << " " << k.rect.width << "x" << k.rect.height;
    }
}

TEST(Binding, DroppedPathsGiveNamesOnlyToFieldsThatTakeThem)
{
    struct Case {
        DropName what;
        const char* path;
        bool folder;
        const char* expected;  // nullptr: refused
    };
    const Case cases[] = {
        {DropName::FileName, "/home/u/家族旅行.wmv", false, "家族旅行.wmv"},
        {DropName::FileName, "C:\\videos\\kyou01.avi", false, "kyou01.avi"},
        {DropName::FileName, "/home/u/omiyage", true, nullptr},
        {DropName::BaseName, "/home/u/bb.wmv", false, "bb"},
        {DropName::BaseName, "/home/u/bb.tar.gz", false, "bb.tar"},
        {DropName::BaseName, "/home/u/.hidden", false, ".hidden"},
        {DropName::BaseName, "/home/u/noext", false, "noext"},
        {DropName::FolderName, "/srv/site/omiyage/", true, "omiyage"},
        {DropName::FolderName, "D:\\site\\wmv", true, "wmv"},
        {DropName::FolderName, "/srv/site/a.wmv", false, nullptr},
        {DropName::FolderName, "/", true, nullptr},
        {DropName::FolderName, "C:\\", true, nullptr},
        {DropName::None, "/home/u/bb.wmv", false, nullptr},
    };
    for (const Case& c : cases) {
        const auto got = render::droppedText(c.what, c.path, c.folder);
        if (c.expected == nullptr) {
            EXPECT_FALSE(got.has_value()) << c.path;
        } else {
            EXPECT_EQ(got.value_or("<refused>"), c.expected) << c.path;
        }
    }
}

TEST(Binding, OnlyFieldsTheUserCanReachTakeTextFromTheirWidgets)
{
    form::ScriptedPlatform platform;
    form::Program program(app::kelvoraProgram(), platform);
    program.start("Form13");
    program.show("Form14");
    const form::Form& generator = *program.find("Form13");
    EXPECT_TRUE(render::userCanEdit(generator, "Text1"));
    // Template below the window, hidden mirror, mirror beside the window.
    for (const char* control : {"Text8", "Text4", "Text12"}) {
        EXPECT_FALSE(render::userCanEdit(generator, control)) << control;
        const std::string before = generator.text(control);
        render::textReported(program, "Form13", control, "changed");
        EXPECT_EQ(generator.text(control), before) << control;
    }
    render::textReported(program, "Form13", "Text1", "bb");
    EXPECT_EQ(generator.text("Text1"), "bb");

    // A hidden screen's fields wait until it is shown again.
    program.hide("Form14");
    render::textReported(program, "Form14", "Text12", "640");
    EXPECT_EQ(program.find("Form14")->text("Text12"), "320");

    program.start("Form6");
    EXPECT_FALSE(render::userCanEdit(*program.find("Form6"), "Text6"));  // the computed height
}

TEST(Binding, AnOptionReportedCheckedIsChosenAndAnUncheckIsRefused)
{
    form::ScriptedPlatform platform;
    form::Program program(app::kelvoraProgram(), platform);
    program.start("Form5");
    const form::Form& page = *program.find("Form5");
    render::optionReported(program, "Form5", "Option1", true);
    EXPECT_TRUE(page.selected("Option1"));
    EXPECT_FALSE(page.selected("Option2"));
    EXPECT_EQ(page.text("Text6"), "left");
    render::optionReported(program, "Form5", "Option1", false);
    EXPECT_TRUE(page.selected("Option1"));
}

TEST(Binding, NamesComeFromPromptsPreviewsAndTooltips)
{
    form::ScriptedPlatform platform;
    form::Program program(app::kelvoraProgram(), platform);
    program.start("Form8");
    const form::Form& page = *program.find("Form8");
    EXPECT_EQ(render::accessibleName(page, "Text11"), "asxファイルを入れるフォルダー記入");
    EXPECT_EQ(render::accessibleName(page, "Text3"), "「コメント記入」のプレビュー");
    EXPECT_EQ(render::accessibleName(page, "Command1"), "保存");
    // A field without a prompt label is named by its tooltip.
    form::Program quick(quick::quickProgram(), platform);
    quick.start("Form1");
    EXPECT_EQ(render::accessibleName(*quick.find("Form1"), "Text1"), "ビデオファイルの拡張子抜きファイル名を記入");
}

TEST(Binding, APressTakesTheCompositionFirstThenShowsTheWholeScreenAgain)
{
    form::ScriptedPlatform platform;
    form::Program program(app::kelvoraProgram(), platform);
    program.start("Form5");
    const form::Form& page = *program.find("Form5");
    std::vector<std::string> steps;
    const auto commitComposition = [&] {
        // Nothing of the press has happened yet.
        EXPECT_FALSE(page.selected("Option1"));
        render::textReported(program, "Form5", "Text2", "家族の映像");
        steps.push_back("commit");
    };
    const auto show = [&](form::Form& f, const std::string& control) {
        EXPECT_EQ(&f, &page);
        EXPECT_TRUE(f.selected("Option1")) << control;
        steps.push_back(control);
    };
    render::clickReported(program, "Form5", "Option1", commitComposition, show);
    std::vector<std::string> expected{"commit"};
    for (const form::ControlDef& c : page.def().controls()) {
        expected.push_back(c.name);
    }
    EXPECT_EQ(steps, expected);
    EXPECT_EQ(page.text("Text3"), "家族の映像");
    EXPECT_EQ(page.text("Text6"), "left");

    // A press that unloads its own screen leaves nothing of it to show.
    form::Program menus(app::kelvoraProgram(), platform);
    menus.start("Form10");
    steps.clear();
    render::clickReported(
        menus, "Form10", "Command4", [&] { steps.push_back("commit"); },
        [&](form::Form&, const std::string& control) { steps.push_back(control); });
    ASSERT_EQ(menus.find("Form10"), nullptr);
    EXPECT_EQ(steps, std::vector<std::string>{"commit"});
}
