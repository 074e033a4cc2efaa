// kelvquick: one window; it runs until "終了" or until the window is closed.
#include "qt/run_program.h"
#include "quick/quick_generator.h"

int main(int argc, char* argv[])
{
    return kelvqt::runProgram(argc, argv, quick::quickProgram());
}
