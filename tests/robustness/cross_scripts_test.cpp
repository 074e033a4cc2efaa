// The scripts the Linux-Windows cross-check replays (tests/cross/), run
// through the fuzz target's interpreter too: they keep every rule it checks,
// and together they save on every saving screen and run both generators, so
// that the cross-check compares the files of all of them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "fuzz/user_actions.h"

namespace {

const std::filesystem::path crossScripts = std::filesystem::path(KELVORA_FUZZ_CORPUS) / ".." / ".." / "tests" / "cross";

TEST(CrossScripts, KeepEveryRuleAndReachEverySavingScreenAndBothGenerators)
{
    std::set<std::string> reached;
    int scripts = 0;
    for (const auto& entry : std::filesystem::directory_iterator(crossScripts)) {
        if (entry.path().extension() != ".txt" || entry.path().filename() == "CMakeLists.txt") {
            continue;
        }
        ++scripts;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const fuzzing::RunResult r =
            fuzzing::runUserActions(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        EXPECT_FALSE(r.violation.has_value()) << entry.path().filename().string() << ": " << *r.violation;
        reached.insert(r.reached.begin(), r.reached.end());
    }
    EXPECT_GE(scripts, 3);
    for (const char* wanted : {"kelvora:Form2", "kelvora:Form3", "kelvora:Form5", "kelvora:Form6", "kelvora:Form8",
                               "kelvora:Form9", "kelvora:Form11", "kelvora:Form12", "kelvora:Form13", "kelvora:saved",
                               "kelvora:generated", "quick:generated"}) {
        EXPECT_EQ(reached.count(wanted), 1u) << "no cross-check script reaches " << wanted;
    }
    EXPECT_EQ(reached.count("kelvora:failed") + reached.count("quick:failed"), 0u)
        << "a cross-check script's save failed";
}

}  // namespace
