// kelvora: starts on the splash and runs until a "終了" or the last window closes.
#include <QApplication>

#include "app/catalog.h"
#include "qt/qt_platform.h"
#include "qt/renderer.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    kelvqt::setUpApplication(application);

    kelvqt::QtPlatform platform;
    form::Program program(app::applicationTitle, app::kelvoraCatalog(), platform);
    kelvqt::Renderer renderer(program);
    platform.setRenderer(&renderer);

    program.start("frmSplash");
    if (program.hasEnded()) {
        return 0;
    }
    return QApplication::exec();
}
