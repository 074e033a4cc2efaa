// What the window system's frame offers a screen's window: no maximize button,
// and a maximize asked for anyway (a title bar the toolkit draws itself, a
// compositor) is taken at the size the window system gives, the controls where
// they were, until the window is restored to its own size.
#include <QWindow>

#include <gtest/gtest.h>

#include "app/catalog.h"
#include "qt/gui_support.h"
#include "quick/quick_generator.h"

using gui::GuiProgram;

TEST(WindowFrameGui, ScreensOfferNoMaximizeAndTakeOneAskedForAnyway)
{
    for (const bool quick : {false, true}) {
        const form::ProgramDescription description = quick ? quick::quickProgram() : app::kelvoraProgram();
        for (const auto& [name, declare] : description.catalog) {
            SCOPED_TRACE((quick ? "kelvquick " : "kelvora ") + name);
            GuiProgram g(quick ? quick::quickProgram() : app::kelvoraProgram());
            g.program.show(name);
            QApplication::processEvents();
            QWidget* window = g.window(name);
            ASSERT_NE(window, nullptr);
            const Qt::WindowFlags flags = window->windowFlags();
            EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
            EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
            EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
            EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));

            const QSize own = window->size();
            std::vector<std::pair<QWidget*, QRect>> places;
            for (QWidget* child : window->findChildren<QWidget*>()) {
                places.emplace_back(child, child->geometry());
            }
            // As the title bar's maximize button does: on the window itself.
            window->windowHandle()->setWindowStates(Qt::WindowMaximized);
            EXPECT_EQ(window->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
            EXPECT_EQ(window->minimumSize(), own);
            // The window system gives the maximized window a size (the
            // offscreen one: its screen's); the window takes it.
            QApplication::processEvents();
            EXPECT_NE(window->windowHandle()->size(), own);
            EXPECT_EQ(window->size(), window->windowHandle()->size());
            for (const auto& [child, place] : places) {
                EXPECT_EQ(child->geometry(), place) << child->objectName().toStdString();
            }

            window->windowHandle()->setWindowStates(Qt::WindowNoState);
            QApplication::processEvents();
            EXPECT_EQ(window->size(), own);
            EXPECT_EQ(window->minimumSize(), own);
            EXPECT_EQ(window->maximumSize(), own);
        }
    }
}
