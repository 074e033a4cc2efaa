// What the text-fit tests check of a control: whether its text fits in it,
// measured with its own font, and whether the declaration puts it inside
// the window at all.
#pragma once

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>
#include <climits>
#include <sstream>
#include <string>

#include "app/catalog.h"
#include "form/screen_def.h"
#include "qt/gui_support.h"
#include "quick/quick_generator.h"

namespace gui {

inline std::string describe(const QSize& need, const QSize& have)
{
    std::ostringstream out;
    out << "needs " << need.width() << "×" << need.height() << ", has " << have.width() << "×" << have.height();
    return out.str();
}

// Whether the glyphs of a line of text whose line box starts at `lineTop`
// lie within the rows from `top` to `bottom`: the blank the font keeps
// above and below its glyphs may be cut, and a sliver at their foot (the
// screens' own 8 pt lines lose two rows of their sixteen), no more.
inline bool inkFits(const QFontMetrics& fm, const QString& text, int lineTop, int top, int bottom)
{
    const QRect ink = fm.tightBoundingRect(text.isEmpty() ? QStringLiteral("あ") : text);
    const int baseline = lineTop + fm.ascent();
    return baseline + ink.top() >= top && baseline + ink.bottom() - ink.height() / 6 <= bottom;
}

// Why the control's text does not fit in it, or nothing when it does.
inline std::string clipped(QWidget* w)
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
inline bool declaredInside(const form::ScreenDef& def, const form::ControlDef& c)
{
    if (!c.container.empty() || c.kind == form::Kind::Line) {
        return true;
    }
    return c.rect.left >= 0 && c.rect.top >= 0 && c.rect.left + c.rect.width <= def.client().width &&
           c.rect.top + c.rect.height <= def.client().height;
}

// Shows every screen of both programs, each in a program of its own, and
// hands it to `check(program, programName, screenName)`.
template <typename Check>
void forEveryScreen(Check check)
{
    for (const bool quick : {false, true}) {
        const form::ProgramDescription description = quick ? quick::quickProgram() : app::kelvoraProgram();
        for (const auto& [name, declare] : description.catalog) {
            (void)declare;
            GuiProgram g(description);
            g.program.show(name);
            QApplication::processEvents();
            check(g, quick ? "kelvquick" : "kelvora", name);
        }
    }
}

}  // namespace gui
