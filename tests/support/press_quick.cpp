// A test-only runner of kelvquick on the real Qt platform without windows:
// for each name on the command line it types the name into the first box
// and presses 一発作成, then prints the folder the program made its folders
// in. Every message box is printed instead of shown, one line each, as
// "message: <title>|<text>". scripts/check-install.sh copies it beside the
// installed programs, where it finds the same program folder they do.
#include <QApplication>

#include <optional>

#include "qt/qt_platform.h"
#include "quick/quick_generator.h"
#include "support/printing_run.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    test_tools::PrintingPlatform<kelvqt::QtPlatform> platform(
        [](QWidget*, const kelvqt::SaveRequest&) { return std::optional<QString>(); });
    form::ProgramDescription description = quick::quickProgram();
    platform.setProgramTitle(description.title);
    return test_tools::pressEachName(platform, std::move(description), argc, argv);
}
