// Two latencies of the real widgets, as the user feels them:
//  - from a keystroke in the comment field of the simple popup page to the
//    painted preview that mirrors it;
//  - from a click on a menu button to the painted new screen, both the first
//    time (the window is built) and again (the screen was only hidden).
// Prints the median, the 95th percentile and the worst of each in
// milliseconds. Runs on the platform Qt is given (offscreen by default; set
// QT_QPA_PLATFORM=xcb under Xvfb for a real X server).
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/catalog.h"
#include "qt/qt_platform.h"
#include "qt/renderer.h"
#include "support/scripted_platform.h"

namespace {

// Notes when a widget has been painted.
class PaintWatch : public QObject {
public:
    bool painted = false;
    void watch(QWidget* w)
    {
        painted = false;
        w->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            painted = true;
        }
        return false;
    }
};

double waitForPaint(PaintWatch& watch, const QElapsedTimer& clock)
{
    while (!watch.painted && clock.elapsed() < 2000) {
        QApplication::processEvents(QEventLoop::AllEvents);
    }
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

void report(const char* what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    const auto at = [&ms](double q) { return ms[static_cast<std::size_t>(q * static_cast<double>(ms.size() - 1))]; };
    std::printf("%-44s n=%-4zu median %6.2f ms   p95 %6.2f ms   worst %6.2f ms\n", what, ms.size(), at(0.5), at(0.95),
                ms.back());
}

}  // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    kelvqt::setUpApplication(application);
    form::ScriptedPlatform platform;
    form::Program program(app::kelvoraProgram(), platform);
    kelvqt::Renderer renderer(program);
    PaintWatch watch;

    program.start("Form4");
    QApplication::processEvents();

    std::vector<double> firstOpen;
    std::vector<double> reopen;
    std::vector<double> keystroke;
    for (int round = 0; round < 30; ++round) {
        // The page opens from the menu: built when it was unloaded, shown
        // again when it was only hidden.
        const bool built = !program.isLoaded("Form5");
        auto* open = renderer.window("Form4")->findChild<QPushButton*>(QStringLiteral("Command1"));
        QElapsedTimer clock;
        clock.start();
        open->click();
        QWidget* page = renderer.window("Form5");
        watch.watch(page);
        (built ? firstOpen : reopen).push_back(waitForPaint(watch, clock));
        page->removeEventFilter(&watch);

        auto* comment = page->findChild<QLineEdit*>(QStringLiteral("Text2"));
        auto* preview = page->findChild<QLineEdit*>(QStringLiteral("Text3"));
        for (const QChar ch : QStringLiteral("家族の映像です。クリックしてね。")) {
            watch.watch(preview);
            clock.start();
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(comment, &press);
            keystroke.push_back(waitForPaint(watch, clock));
            preview->removeEventFilter(&watch);
        }
        // Back to the menu: "戻る" only hides the page; every other round
        // unloads it as the menu's other ways do.
        page->findChild<QPushButton*>(QStringLiteral("Command3"))->click();
        if (round % 2 == 1) {
            program.unload("Form5");
        }
        QApplication::processEvents();
    }
    report("keystroke to painted preview", keystroke);
    report("menu click to painted new screen (built)", firstOpen);
    report("menu click to painted new screen (hidden)", reopen);
    return 0;
}
