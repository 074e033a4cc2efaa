// Every input of the fuzz corpus, replayed as a test: no rule may break, and
// together the inputs must still reach every screen, the save dialog's
// outcomes and both generators, so that the corpus stays a useful start.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "fuzz/user_actions.h"

namespace {

std::vector<std::string> corpusFiles()
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(KELVORA_FUZZ_CORPUS)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path().filename().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

fuzzing::RunResult replay(const std::string& name)
{
    std::ifstream in(std::string(KELVORA_FUZZ_CORPUS) + "/" + name, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return fuzzing::runUserActions(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

class Corpus : public ::testing::TestWithParam<std::string> {};

TEST_P(Corpus, RunsWithoutBreakingARule)
{
    const fuzzing::RunResult r = replay(GetParam());
    EXPECT_FALSE(r.violation.has_value()) << *r.violation;
    EXPECT_GT(r.actions, 0u);
}

INSTANTIATE_TEST_SUITE_P(Inputs, Corpus, ::testing::ValuesIn(corpusFiles()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace_if(
                                 name.begin(), name.end(),
                                 [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
                             return name;
                         });

TEST(CorpusCoverage, ReachesEveryScreenAndEveryOutcome)
{
    std::set<std::string> reached;
    for (const std::string& name : corpusFiles()) {
        const fuzzing::RunResult r = replay(name);
        reached.insert(r.reached.begin(), r.reached.end());
    }
    std::vector<std::string> wanted = {"quick:Form1",       "quick:generated", "quick:failed",      "kelvora:frmSplash",
                                       "kelvora:generated", "kelvora:saved",   "kelvora:cancelled", "kelvora:failed"};
    for (int n = 1; n <= 14; ++n) {
        wanted.push_back("kelvora:Form" + std::to_string(n));
    }
    for (const std::string& w : wanted) {
        EXPECT_EQ(reached.count(w), 1u) << "no corpus input reaches " << w;
    }
}

}  // namespace
