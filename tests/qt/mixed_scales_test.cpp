// Monitors of different scales side by side, as a laptop with an external
// monitor has them: the offscreen platform is set up with four screens at
// ×1, ×1.25, ×1.5 and ×2 (four_scales.json). A window moved from one to
// another shows its pictures drawn for the ratio it is now shown at, and its
// lines along the axes stay straight bands at every scale.
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "app/catalog.h"
#include "qt/gui_support.h"
#include "quick/quick_generator.h"

using gui::GuiProgram;

namespace {

QScreen* screenAt(qreal ratio)
{
    for (QScreen* screen : QGuiApplication::screens()) {
        if (qFuzzyCompare(screen->devicePixelRatio(), ratio)) {
            return screen;
        }
    }
    return nullptr;
}

void moveTo(QWidget* window, qreal ratio)
{
    QScreen* screen = screenAt(ratio);
    ASSERT_NE(screen, nullptr) << "no screen at ×" << ratio << " (four_scales.json)";
    window->setScreen(screen);
    window->move(screen->geometry().topLeft() + QPoint(40, 40));
    QApplication::processEvents();
    ASSERT_EQ(window->devicePixelRatioF(), ratio);
}

// Every screen of both programs with the controls of the given kinds.
struct Shown {
    std::string program;
    std::string screen;
    std::vector<std::string> controls;
};

std::vector<Shown> screensWith(std::initializer_list<form::Kind> kinds)
{
    std::vector<Shown> found;
    for (const bool quick : {false, true}) {
        const form::ProgramDescription description = quick ? quick::quickProgram() : app::kelvoraProgram();
        for (const auto& [name, declare] : description.catalog) {
            const form::ScreenDef& def = declare();
            Shown s{quick ? "kelvquick" : "kelvora", name, {}};
            for (const form::ControlDef& c : def.controls()) {
                if (std::find(kinds.begin(), kinds.end(), c.kind) != kinds.end()) {
                    s.controls.push_back(c.name);
                }
            }
            if (!s.controls.empty()) {
                found.push_back(std::move(s));
            }
        }
    }
    return found;
}

std::unique_ptr<GuiProgram> show(const Shown& s)
{
    auto g = std::make_unique<GuiProgram>(s.program == "kelvquick" ? quick::quickProgram() : app::kelvoraProgram());
    g->program.show(s.screen);
    QApplication::processEvents();
    return g;
}

}  // namespace

TEST(MixedScalesGui, PicturesAreDrawnAgainForTheRatioOfEachScreenTheWindowMovesTo)
{
    const std::vector<Shown> screens = screensWith({form::Kind::Picture, form::Kind::Image});
    ASSERT_FALSE(screens.empty());
    for (const Shown& s : screens) {
        auto g = show(s);
        QWidget* window = g->window(s.screen);
        ASSERT_NE(window, nullptr) << s.screen;
        for (const qreal ratio : {1.0, 2.0, 1.25, 1.5, 1.0}) {
            moveTo(window, ratio);
            (void)window->grab();  // a paint at the new ratio, as the window system asks for one
            for (const std::string& name : s.controls) {
                SCOPED_TRACE(s.program + " " + s.screen + "." + name + " at ×" + std::to_string(ratio));
                auto* picture = g->widget<QLabel>(s.screen, name);
                ASSERT_NE(picture, nullptr);
                if (!picture->isVisibleTo(window) || picture->pixmap().isNull()) {
                    continue;  // a control out of view, or one without a picture
                }
                const QPixmap shown = picture->pixmap();
                EXPECT_EQ(shown.devicePixelRatio(), ratio);
                EXPECT_EQ(shown.size(), picture->size() * ratio);
            }
        }
    }
}

TEST(MixedScalesGui, LinesAlongTheAxesStayStraightBandsAtEveryScale)
{
    const std::vector<Shown> screens = screensWith({form::Kind::Line});
    ASSERT_FALSE(screens.empty());
    for (const Shown& s : screens) {
        auto g = show(s);
        QWidget* window = g->window(s.screen);
        const form::ScreenDef& def = g->program.find(s.screen)->def();
        for (const qreal ratio : {1.25, 1.5, 2.0}) {
            moveTo(window, ratio);
            for (const std::string& name : s.controls) {
                SCOPED_TRACE(s.program + " " + s.screen + "." + name + " at ×" + std::to_string(ratio));
                const form::Rect& declared = def.get(name).rect;
                const bool horizontal = declared.height == 0;
                if (!horizontal && declared.width != 0) {
                    continue;  // a slanting line slants
                }
                QWidget* line = g->widget<QWidget>(s.screen, name);
                ASSERT_NE(line, nullptr);
                const form::Color c = def.get(name).fore.value_or(form::Color{0, 0, 0});
                const QRgb colour = qRgb(c.r, c.g, c.b);
                const QImage image = line->grab().toImage().convertToFormat(QImage::Format_ARGB32);
                // Across the line, the same pixels are drawn at every step
                // along it, from one end to the other.
                const int along = horizontal ? image.width() : image.height();
                const int across = horizontal ? image.height() : image.width();
                std::set<int> first;
                for (int i = 0; i < along; ++i) {
                    std::set<int> drawn;
                    for (int j = 0; j < across; ++j) {
                        if ((horizontal ? image.pixel(i, j) : image.pixel(j, i)) == colour) {
                            drawn.insert(j);
                        }
                    }
                    if (i == 0) {
                        first = drawn;
                        EXPECT_FALSE(first.empty());
                    } else if (drawn != first) {
                        ADD_FAILURE() << "the line steps at " << i << " of " << along << " device pixels";
                        break;
                    }
                }
            }
        }
    }
}
