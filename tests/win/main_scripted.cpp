// The test builds of the Windows programs: the shipped program with the
// script runner attached, which plays KELVORA_TEST_SCRIPT through the real
// windows (scripts/test-windows.sh). KELVORA_SCRIPTED_QUICK picks kelvquick.
#include <windows.h>

#include "app/catalog.h"
#include "quick/quick_generator.h"
#include "win/run_program.h"
#include "win/script_runner.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
#ifdef KELVORA_SCRIPTED_QUICK
    form::ProgramDescription program = quick::quickProgram();
#else
    form::ProgramDescription program = app::kelvoraProgram();
#endif
    return kelvwin::runProgram(instance, std::move(program),
                               [](kelvwin::Renderer& renderer, HINSTANCE hinstance) -> std::shared_ptr<void> {
                                   return kelvwin::TestHook::fromEnvironment(renderer, hinstance);
                               });
}
