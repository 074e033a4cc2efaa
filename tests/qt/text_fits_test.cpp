// Every screen of both programs on desktops with larger fonts and at every
// scale (the four screens of four_scales.json, ×1 to ×2): each label's,
// field's and option's text fits in its control, measured with the control's
// own font, each control lies inside its window, the window inside the work
// area, and each picture is drawn with as many pixels as it shows.
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <sstream>

#include "app/catalog.h"
#include "qt/fonts.h"
#include "qt/gui_support.h"
#include "quick/quick_generator.h"

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

std::string describe(const QSize& need, const QSize& have)
{
    std::ostringstream out;
    out << "needs " << need.width() << "×" << need.height() << ", has " << have.width() << "×" << have.height();
    return out.str();
}

// Whether the glyphs of a line of text whose line box starts at `lineTop`
// lie within the rows from `top` to `bottom`: the blank the font keeps
// above and below its glyphs may be cut, and a sliver at their foot (the
// screens' own 8 pt lines lose two rows of their sixteen), no more.
bool inkFits(const QFontMetrics& fm, const QString& text, int lineTop, int top, int bottom)
{
    const QRect ink = fm.tightBoundingRect(text.isEmpty() ? QStringLiteral("あ") : text);
    const int baseline = lineTop + fm.ascent();
    return baseline + ink.top() >= top && baseline + ink.bottom() - ink.height() / 6 <= bottom;
}

// Why the control's text does not fit in it, or nothing when it does.
std::string clipped(QWidget* w)
{
    const QFontMetrics fm = w->fontMetrics();
    if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->text().isEmpty()) {
            return {};
        }
        const QRect room = label->contentsRect();
        const int flags = static_cast<int>(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        const QRect need = fm.boundingRect(QRect(0, 0, room.width(), INT_MAX / 2), flags, label->text());
        const int lines = std::max(1, qRound(static_cast<double>(need.height()) / fm.lineSpacing()));
        const int lastTop = room.top() + (lines - 1) * fm.lineSpacing();
        if (need.width() > room.width() || !inkFits(fm, label->text(), lastTop, room.top(), room.bottom())) {
            return describe(need.size(), room.size()) + " in " + std::to_string(lines) + " lines";
        }
        return {};
    }
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        // Where the field draws its text: inside its frame and text
        // margins, a line as high as the font's, centred, two pixels in
        // from either side.
        QStyleOptionFrame frame;
        frame.initFrom(edit);
        frame.rect = edit->rect();
        frame.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, edit) : 0;
        frame.midLineWidth = 0;
        frame.state |= QStyle::State_Sunken;
        const QRect room = edit->style()
                               ->subElementRect(QStyle::SE_LineEditContents, &frame, edit)
                               .marginsRemoved(edit->textMargins());
        const int lineTop = room.y() + (room.height() - fm.height() + 1) / 2;
        const QSize need(fm.horizontalAdvance(edit->text()) + 2 * 2, fm.height());
        if (need.width() > room.width() || !inkFits(fm, edit->text(), lineTop, room.top(), room.bottom())) {
            return describe(need, room.size());
        }
        return {};
    }
    if (auto* option = qobject_cast<QRadioButton*>(w)) {
        const int lineTop = (option->height() - fm.height() + 1) / 2;
        if (option->sizeHint().width() > option->width() ||
            !inkFits(fm, option->text(), lineTop, 0, option->height() - 1)) {
            return describe(option->sizeHint(), option->size());
        }
        return {};
    }
    return {};
}

// Whether the declaration itself puts the control within the client area;
// a band laid out past the window's edge is cut there at every size.
bool declaredInside(const form::ScreenDef& def, const form::ControlDef& c)
{
    if (!c.container.empty() || c.kind == form::Kind::Line) {
        return true;
    }
    return c.rect.left >= 0 && c.rect.top >= 0 && c.rect.left + c.rect.width <= def.client().width &&
           c.rect.top + c.rect.height <= def.client().height;
}

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
        for (const bool quick : {false, true}) {
            const form::ProgramDescription description = quick ? quick::quickProgram() : app::kelvoraProgram();
            for (const auto& [name, declare] : description.catalog) {
                (void)declare;
                GuiProgram g(description);
                g.program.show(name);
                QApplication::processEvents();
                checkScreen(g, quick ? "kelvquick" : "kelvora", name, points);
            }
        }
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
