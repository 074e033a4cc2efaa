// Every screen of both programs on a screen smaller than the largest of them
// (the 800×600 of small_screen.json): a window that has the room keeps its
// declared size; one that has not is drawn smaller, fonts and all, and whole,
// in the work area with every text still shown.
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

#include "qt/text_fit_checks.h"

using gui::GuiProgram;

TEST(SmallScreenGui, AWindowLargerThanTheScreenIsDrawnSmallerAndWhole)
{
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(work.size(), QSize(800, 600)) << "small_screen.json";
    int drawnSmaller = 0;
    gui::forEveryScreen([&](GuiProgram& g, const std::string& program, const std::string& screen) {
        const std::string name = program + " " + screen;
        QWidget* window = g.window(screen);
        ASSERT_NE(window, nullptr) << name;
        const form::ScreenDef& def = g.program.find(screen)->def();
        const QSize declared(kelvqt::px(def.client().width), kelvqt::px(def.client().height));
        // Room for the client area once the frame is round it.
        const bool fits = declared.width() <= work.width() - 16 && declared.height() <= work.height() - 48;
        if (fits) {
            EXPECT_EQ(window->size(), declared) << name << " has the room and keeps its size";
        } else {
            ++drawnSmaller;
            EXPECT_LT(window->width(), declared.width()) << name;
            EXPECT_LE(window->height(), work.height() - 48) << name;
            EXPECT_NEAR(static_cast<double>(window->width()) / window->height(),
                        static_cast<double>(declared.width()) / declared.height(), 0.01)
                << name << " keeps its proportions";
        }
        if (!def.isSystemPlaced()) {
            EXPECT_TRUE(work.contains(window->geometry())) << name << ": the window reaches off the work area";
        }
        for (const form::ControlDef& c : def.controls()) {
            auto* w = window->findChild<QWidget*>(QString::fromStdString(c.name));
            if (w == nullptr || !w->isVisibleTo(window)) {
                continue;
            }
            const QRect placed(w->mapTo(window, QPoint(0, 0)), w->size());
            EXPECT_TRUE(window->rect().contains(placed) || !gui::declaredInside(def, c))
                << name << ": " << c.name << " reaches out of the window";
            if (const std::string why = gui::clipped(w); !why.empty()) {
                ADD_FAILURE() << name << ": the text of " << c.name << " is clipped: " << why;
            }
        }
    });
    EXPECT_GT(drawnSmaller, 0) << "no screen is larger than the small screen: the test checks nothing";
}
