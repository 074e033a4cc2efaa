#include "qt/run_program.h"

#include <QApplication>

#include "qt/qt_platform.h"
#include "qt/renderer.h"

namespace kelvqt {

int runProgram(int argc, char* argv[], form::ProgramDescription description)
{
    QApplication application(argc, argv);
    setUpApplication(application);

    QtPlatform platform;
    platform.setProgramTitle(description.title);
    form::Program program(std::move(description), platform);
    Renderer renderer(program);
    platform.setRenderer(&renderer);

    program.start();
    if (program.hasEnded()) {
        return 0;
    }
    return QApplication::exec();
}

}  // namespace kelvqt
