// kelvquick: one window; it runs until "終了" or until the window is closed.
#include <QApplication>

#include "qt/qt_platform.h"
#include "qt/renderer.h"
#include "quick/quick_generator.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    kelvqt::setUpApplication(application);

    kelvqt::QtPlatform platform;
    form::Program program(quick::applicationTitle, quick::quickCatalog(), platform);
    kelvqt::Renderer renderer(program);
    platform.setRenderer(&renderer);

    program.start("Form1");
    if (program.hasEnded()) {
        return 0;
    }
    return QApplication::exec();
}
