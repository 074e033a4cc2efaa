// Every name a screen refers to, in its declaration and in its handlers,
// is a control, dialog or screen that exists, for both programs: a misspelt
// name would otherwise surface only when a user pressed that button. A name
// a handler gets wrong at run time stops that event, is reported as the
// program's own fault, and leaves the program running.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/catalog.h"
#include "form/form.h"
#include "quick/quick_generator.h"
#include "support/scripted_platform.h"
#include "support.h"

namespace {

using Description = std::function<form::ProgramDescription()>;

const std::vector<std::pair<std::string, Description>>& programs()
{
    static const std::vector<std::pair<std::string, Description>> all{{"kelvora", app::kelvoraProgram},
                                                                      {"kelvquick", quick::quickProgram}};
    return all;
}

TEST(ControlNames, EveryNameADeclarationRefersToIsDeclared)
{
    for (const auto& [program, describe] : programs()) {
        const form::ProgramDescription description = describe();
        for (const auto& [screen, declare] : description.catalog) {
            const form::ScreenDef& def = declare();
            const auto declared = [&def](const std::string& name) { return name.empty() || def.find(name); };
            EXPECT_TRUE(declared(def.nameLabel())) << program << " " << screen;
            for (const std::string& label : def.descriptionLabels()) {
                EXPECT_TRUE(declared(label)) << program << " " << screen << " described by " << label;
            }
            for (const form::ControlDef& c : def.controls()) {
                SCOPED_TRACE(program + " " + screen + "." + c.name);
                EXPECT_TRUE(declared(c.prompt)) << "prompt " << c.prompt;
                EXPECT_TRUE(declared(c.previewOf)) << "preview of " << c.previewOf;
                EXPECT_TRUE(declared(c.computedFrom)) << "computed from " << c.computedFrom;
                EXPECT_TRUE(declared(c.container)) << "inside " << c.container;
                for (const std::string& note : c.notes) {
                    EXPECT_TRUE(declared(note)) << "note " << note;
                }
                if (!c.mirrorOf.screen.empty()) {
                    const auto other = description.catalog.find(c.mirrorOf.screen);
                    ASSERT_NE(other, description.catalog.end()) << "mirror of screen " << c.mirrorOf.screen;
                    EXPECT_NE(other->second().find(c.mirrorOf.field), nullptr) << "mirror of " << c.mirrorOf.field;
                }
            }
        }
    }
}

// Each screen opened on its own, and every button pressed, every option
// chosen and every field typed into, each in a program of its own, with the
// save dialogs answered into a folder of the test's: no handler names
// anything that is not there.
TEST(ControlNames, EveryHandlerOfEveryScreenNamesOnlyWhatIsDeclared)
{
    testing_support::TempFolder folder;
    for (const auto& [program, describe] : programs()) {
        const form::ProgramDescription description = describe();
        for (const auto& [screen, declare] : description.catalog) {
            const form::ScreenDef& def = declare();
            for (const form::ControlDef& c : def.controls()) {
                const bool pressed = def.clickHandler(c.name) != nullptr || c.kind == form::Kind::Option;
                const bool typed = c.kind == form::Kind::TextBox;
                if (!pressed && !typed) {
                    continue;
                }
                SCOPED_TRACE(program + " " + screen + "." + c.name);
                form::ScriptedPlatform platform;
                platform.folder = folder.path();
                platform.answerSave(folder.file("saved"));
                form::Program run(describe(), platform);
                run.start(screen);
                if (typed) {
                    for (const char* text : {"1", "abc", ""}) {
                        run.edit(screen, c.name, text);
                    }
                }
                if (pressed) {
                    run.click(screen, c.name);
                }
                EXPECT_EQ(platform.programmingErrors, std::vector<std::string>{});
                for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
                    std::filesystem::remove_all(entry.path());
                }
            }
        }
    }
}

TEST(ControlNames, AHandlerThatNamesAnUndeclaredControlStopsItsEventAndTheProgramGoesOn)
{
    form::ScreenDef def("Main", "main", {3000, 2000});
    def.button("Command1", "go").at(0, 0, 900, 300);
    def.text("Text1", "").at(0, 400, 900, 300);
    def.onClick("Command1", [](form::Form& f) {
        f.set("Text1", "before");
        f.set("Comand1", "x");  // misspelt
        f.set("Text1", "after");
    });
    def.onChange("Text1", [](form::Form& f) {
        if (f.text("Text1") == "bad") {
            static_cast<void>(f.screen("Form99"));
        }
    });
    form::ScriptedPlatform platform;
    form::Program run({"t", {{"Main", [&def]() -> const form::ScreenDef& { return def; }}}, "Main", ""}, platform);
    run.start();
    run.click("Main", "Command1");
    run.edit("Main", "Text1", "bad");
    EXPECT_EQ(platform.programmingErrors, (std::vector<std::string>{"no control Comand1 on Main", "no screen Form99"}));
    // The events that stopped left their depth behind them: the program still
    // ends when its last window goes, which it does only outside an event.
    EXPECT_FALSE(run.isHandlingEvent());
    EXPECT_EQ(run.screen("Main").text("Text1"), "bad");
    run.closeWindow("Main");
    EXPECT_TRUE(platform.ended);
}

}  // namespace
