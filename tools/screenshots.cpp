// Draws every screen of both programs into PNG files, as each looks when the
// user first opens it: screenshots <folder>.
#include <QApplication>
#include <QDir>
#include <QWidget>

#include <cstdio>

#include "app/catalog.h"
#include "form/scripted_platform.h"
#include "qt/qt_platform.h"
#include "qt/renderer.h"
#include "quick/quick_generator.h"

namespace {

void shoot(const QString& folder, const QString& prefix, const std::string& title,
           form::Program::Catalog catalog)
{
    std::vector<std::string> names;
    for (const auto& [name, declaration] : catalog) {
        names.push_back(name);
    }
    for (const std::string& name : names) {
        form::ScriptedPlatform platform;
        form::Program program(title, catalog, platform);
        kelvqt::Renderer renderer(program);
        program.show(name);
        QWidget* window = renderer.window(name);
        QApplication::processEvents();
        const QString file = QStringLiteral("%1/%2%3.png").arg(folder, prefix, QString::fromStdString(name));
        window->grab().save(file);
        std::printf("%s\n", qPrintable(file));
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    kelvqt::setUpApplication(application);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("shots");
    QDir().mkpath(folder);
    shoot(folder, QString(), app::applicationTitle, app::kelvoraCatalog());
    shoot(folder, QStringLiteral("kelvquick-"), quick::applicationTitle, quick::quickCatalog());
    return 0;
}
