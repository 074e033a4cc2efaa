// libFuzzer entry point: every input is a run of user actions against both
// programs (see user_actions.h). A broken rule aborts with its description;
// at the end the number of actions run is printed for the record.
#include <cstdio>
#include <cstdlib>

#include "fuzz/user_actions.h"

namespace {

unsigned long long totalActions = 0;
unsigned long long totalInputs = 0;

void report()
{
    std::fprintf(stderr, "user actions executed: %llu in %llu inputs\n", totalActions, totalInputs);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::atexit(report);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const fuzzing::RunResult result = fuzzing::runUserActions(data, size);
    totalActions += result.actions;
    ++totalInputs;
    if (result.violation) {
        std::fprintf(stderr, "broken rule %s\n", result.violation->c_str());
        std::abort();
    }
    return 0;
}
