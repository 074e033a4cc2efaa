#include "qt/run_program.h"

#include <QApplication>

#include "qt/qt_platform.h"
#include "qt/renderer.h"

namespace kelvqt {

int runProgram(int argc, char* argv[], const std::string& title, form::Program::Catalog catalog,
               const std::string& firstScreen)
{
    QApplication application(argc, argv);
    setUpApplication(application);

    QtPlatform platform;
    form::Program program(title, std::move(catalog), platform);
    Renderer renderer(program);
    platform.setRenderer(&renderer);

    program.start(firstScreen);
    if (program.hasEnded()) {
        return 0;
    }
    return QApplication::exec();
}

}  // namespace kelvqt
