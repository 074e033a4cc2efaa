// Draws every screen of both programs into PNG files, as each looks when the
// user first opens it: screenshots [--exact] [--system-font] <folder>.
//   --exact         every colour as drawn, not the small palette
//   --system-font   drawn with the system's Japanese font alone, not the
//                   captions font (tests/qt/same_screens.cmake compares them)
#include <QApplication>
#include <QDir>
#include <QHash>
#include <QImage>
#include <QWidget>

#include <algorithm>
#include <cstdio>

#include "app/catalog.h"
#include "qt/fonts.h"
#include "qt/qt_platform.h"
#include "qt/renderer.h"
#include "quick/quick_generator.h"
#include "support/scripted_platform.h"

namespace {

// The picture with a palette of its 256 most frequent colours, so that it is
// small enough to keep in the repository: the screens' own colours stay
// exact, and the edges of letters take the nearest colour left.
QImage smallPicture(const QImage& picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    QHash<QRgb, int> counts;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            ++counts[line[x]];
        }
    }
    QList<QPair<int, QRgb>> byCount;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        byCount.append({it.value(), it.key()});
    }
    // Colours as frequent as each other in the order of their values, so that
    // the same screen always gives the same file.
    std::sort(byCount.begin(), byCount.end(), [](const auto& a, const auto& b) {
        return a.first > b.first || (a.first == b.first && a.second < b.second);
    });
    QList<QRgb> palette;
    for (qsizetype i = 0; i < byCount.size() && i < 256; ++i) {
        palette.append(byCount[i].second);
    }
    return rgb.convertToFormat(QImage::Format_Indexed8, palette, Qt::ThresholdDither);
}

void shoot(const QString& folder, const QString& prefix, const form::ProgramDescription& description, bool exact)
{
    std::vector<std::string> names;
    for (const auto& [name, declaration] : description.catalog) {
        names.push_back(name);
    }
    for (const std::string& name : names) {
        form::ScriptedPlatform platform;
        form::Program program(description, platform);
        kelvqt::Renderer renderer(program);
        program.show(name);
        QWidget* window = renderer.window(name);
        QApplication::processEvents();
        const QString file = QStringLiteral("%1/%2%3.png").arg(folder, prefix, QString::fromStdString(name));
        const QImage shot = window->grab().toImage();
        (exact ? shot : smallPicture(shot)).save(file);
        std::printf("%s\n", qPrintable(file));
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    kelvqt::setUpApplication(application);
    QStringList arguments = QApplication::arguments().mid(1);
    const bool exact = arguments.removeAll(QStringLiteral("--exact")) > 0;
    if (arguments.removeAll(QStringLiteral("--system-font")) > 0) {
        kelvqt::setUpFonts(application, kelvqt::ScreenFont::SystemOnly);
    }
    const QString folder = arguments.value(0, QStringLiteral("shots"));
    QDir().mkpath(folder);
    shoot(folder, QString(), app::kelvoraProgram(), exact);
    shoot(folder, QStringLiteral("kelvquick-"), quick::quickProgram(), exact);
    return 0;
}
