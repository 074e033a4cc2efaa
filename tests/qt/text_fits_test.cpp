// Every screen of both programs on desktops with larger fonts and at every
// scale (the four screens of four_scales.json, ×1 to ×2): each label's,
// field's and option's text fits in its control, measured with the control's
// own font, each control lies inside its window, the window inside the work
// area, and each picture is drawn with as many pixels as it shows.
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include <gtest/gtest.h>

#include "app/catalog.h"
#include "qt/fonts.h"
#include "qt/text_fit_checks.h"

using gui::clipped;
using gui::declaredInside;
using gui::GuiProgram;

namespace {

constexpr double desktopFonts[] = {9, 10, 12, 14, 18};
constexpr qreal ratios[] = {1.0, 1.25, 1.5, 2.0};

QScreen* screenAt(qreal ratio)
{
    for (QScreen* screen : QGuiApplication::screens()) {
        if (qFuzzyCompare(screen->devicePixelRatio(), ratio)) {
            return screen;
        }
    }
    return nullptr;
}

// Back to the desktop font the other tests of the program expect.
struct LaidOutFontAfterwards {
    ~LaidOutFontAfterwards() { kelvqt::setDesktopFontPoints(*qApp, 9); }
};

void checkScreen(GuiProgram& g, const std::string& program, const std::string& screen, double points)
{
    QWidget* window = g.window(screen);
    ASSERT_NE(window, nullptr) << program << " " << screen;
    const std::string at = program + " " + screen + " at " + std::to_string(static_cast<int>(points)) + " pt";
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    if (!g.program.find(screen)->def().isSystemPlaced()) {
        EXPECT_TRUE(work.contains(window->geometry())) << at << ": the window reaches off the work area";
    }
    for (const qreal ratio : ratios) {
        QScreen* shownOn = screenAt(ratio);
        ASSERT_NE(shownOn, nullptr) << "no screen at ×" << ratio << " (four_scales.json)";
        window->setScreen(shownOn);
        window->move(shownOn->geometry().topLeft() + QPoint(20, 20));
        QApplication::processEvents();
        ASSERT_EQ(window->devicePixelRatioF(), ratio);
        (void)window->grab();  // a paint at this ratio, which draws the pictures for it
        const std::string where = at + " ×" + std::to_string(ratio).substr(0, 4);
        for (const form::ControlDef& c : g.program.find(screen)->def().controls()) {
            const std::string& name = c.name;
            auto* w = window->findChild<QWidget*>(QString::fromStdString(name));
            if (w == nullptr || !w->isVisibleTo(window)) {
                continue;
            }
            const QRect placed(w->mapTo(window, QPoint(0, 0)), w->size());
            EXPECT_TRUE(window->rect().contains(placed) || !declaredInside(g.program.find(screen)->def(), c))
                << where << ": " << name << " reaches out of the window";
            if (const std::string why = clipped(w); !why.empty()) {
                ADD_FAILURE() << where << ": the text of " << name << " is clipped: " << why;
            }
            if (auto* picture = qobject_cast<QLabel*>(w); picture != nullptr && !picture->pixmap().isNull()) {
                EXPECT_EQ(picture->pixmap().size(), picture->size() * ratio) << where << ": picture " << name;
            }
        }
    }
}

}  // namespace

TEST(TextFitsGui, EveryScreenShowsAllItsTextsAtEveryDesktopFontAndScale)
{
    LaidOutFontAfterwards restore;
    for (const double points : desktopFonts) {
        kelvqt::setDesktopFontPoints(*qApp, points);
        gui::forEveryScreen([points](GuiProgram& g, const std::string& program, const std::string& screen) {
            checkScreen(g, program, screen, points);
        });
    }
}

// The laid-out font changes nothing: each window has exactly its declared
// size, whatever font size the application had before.
TEST(TextFitsGui, TheLaidOutFontKeepsEveryWindowAtItsDeclaredSize)
{
    LaidOutFontAfterwards restore;
    kelvqt::setDesktopFontPoints(*qApp, 9);
    const form::ProgramDescription description = app::kelvoraProgram();
    for (const auto& [name, declare] : description.catalog) {
        GuiProgram g(description);
        g.program.show(name);
        QApplication::processEvents();
        const form::Size client = declare().client();
        EXPECT_EQ(g.window(name)->size(), QSize(kelvqt::px(client.width), kelvqt::px(client.height))) << name;
        EXPECT_EQ(g.window(name)->font().pointSizeF(), 9) << name;
    }
}
