// The action interpreter behind the fuzz target and the corpus replay test:
// an input is a readable action script when it starts with "#actions" (its
// grammar is in action_script.h), raw bytes otherwise (byte_decoder.h). A
// script line that breaks the grammar is run as an action that does nothing,
// as mutated inputs are full of them.
#include "fuzz/user_actions.h"

#include <string>

#include "fuzz/action_script.h"
#include "fuzz/byte_decoder.h"
#include "fuzz/session.h"

namespace fuzzing {

namespace {

constexpr std::size_t maxActions = 400;

}  // namespace

RunResult runUserActions(const std::uint8_t* data, std::size_t size)
{
    Session session;
    const std::string header = "#actions";
    const std::string input(reinterpret_cast<const char*>(data), size);
    if (input.rfind(header, 0) == 0) {
        for (const action_script::ScriptLine& line : action_script::scriptLines(input)) {
            if (session.actions() >= maxActions || !session.perform(action_script::parseAction(line.text).action)) {
                break;
            }
        }
    } else {
        Bytes in(data, size);
        while (!in.empty() && session.actions() < maxActions) {
            if (!session.perform(decode(in, session.program(), session.quick()))) {
                break;
            }
        }
    }
    return {session.actions(), session.violation(), session.reached()};
}

}  // namespace fuzzing
