// kelvora: starts on the splash and runs until a "終了" or the last window closes.
#include "app/catalog.h"
#include "qt/run_program.h"

int main(int argc, char* argv[])
{
    return kelvqt::runProgram(argc, argv, app::kelvoraProgram());
}
