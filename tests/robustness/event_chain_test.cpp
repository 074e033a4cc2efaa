// Every change handler and field rule of every screen, fed every kind of
// text: the chain of changes it starts must end, and end settled, so that
// running any of them once more changes nothing. A chain that only stopped at the model's depth
// limit would leave a screen that a second pass still changes.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/catalog.h"
#include "support/scripted_platform.h"

namespace {

const std::vector<std::string>& values()
{
    static const std::vector<std::string> v = {
        "",
        " ",
        "0",
        "-0",
        "320",
        "101",
        "-320",
        "+320.6",
        ".5",
        "5.",
        "32768",
        "1e3",
        std::string(400, '9'),
        "abc",
        "３２０",
        "あ😀",
        "\xC3\xFF",
        "\r\n\t",
        std::string("a\0b", 3),
        std::string(5000, 'x'),
    };
    return v;
}

struct Handler {
    std::string screen;
    std::string field;
};

// Found in the screens themselves, so that a new handler or field rule is
// tested too.
std::vector<Handler> everyChangeHandler()
{
    form::ScriptedPlatform platform;
    form::Program program(app::kelvoraProgram(), platform);
    std::vector<Handler> all;
    for (const auto& [name, def] : app::kelvoraCatalog()) {
        for (const form::ControlDef& c : def().controls()) {
            if (program.reactsToChange(name, c.name)) {
                all.push_back({name, c.name});
            }
        }
    }
    return all;
}

using Texts = std::map<std::string, std::string>;

Texts allTexts(form::Program& program)
{
    Texts texts;
    for (const std::string& screen : program.loadedScreens()) {
        const form::Form& f = *program.find(screen);
        for (const form::ControlDef& c : f.def().controls()) {
            texts[screen + "." + c.name] = f.text(c.name);
        }
    }
    return texts;
}

TEST(EventChains, EveryHandlerSettlesOnEveryKindOfText)
{
    const std::vector<Handler> handlers = everyChangeHandler();
    ASSERT_GE(handlers.size(), 30u);  // previews, heights and mirrors of eight screens
    for (const Handler& h : handlers) {
        for (const std::string& value : values()) {
            SCOPED_TRACE(h.screen + "." + h.field + " = \"" + value.substr(0, 20) + "\"");
            form::ScriptedPlatform platform;
            form::Program program(app::kelvoraProgram(), platform);
            program.start(h.screen);
            program.screen("Form13");  // the settings feed the generator's mirrors
            program.edit(h.screen, h.field, value);

            const Texts settled = allTexts(program);
            for (const std::string& screen : program.loadedScreens()) {
                form::Form& f = *program.find(screen);
                for (const form::ControlDef& c : f.def().controls()) {
                    if (program.reactsToChange(screen, c.name)) {
                        program.fireChange(f, c.name);
                    }
                }
            }
            EXPECT_EQ(allTexts(program), settled);
            EXPECT_FALSE(platform.ended);
        }
    }
}

}  // namespace
