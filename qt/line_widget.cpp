#include "qt/line_widget.h"

#include <QPainter>

namespace kelvqt {

LineWidget::LineWidget(const form::ControlDef& def, QWidget* parent) : QWidget(parent), def_(def)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LineWidget::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const form::Color c = def_.fore.value_or(form::Color{0, 0, 0});
    const QColor colour(c.r, c.g, c.b);
    const int w = width() - 1;
    const int h = height() - 1;
    const bool horizontal = def_.rect.height == 0;
    const bool vertical = def_.rect.width == 0;
    if (devicePixelRatioF() != 1 && (horizontal || vertical)) {
        // Scaled, a line along an axis is a band one pixel wide laid on whole
        // device pixels from end to end; drawn as a line between the box's
        // corners it would step across the extra rows the scale gives it.
        p.fillRect(horizontal ? QRect(0, 0, width(), 1) : QRect(0, 0, 1, height()), colour);
        return;
    }
    // At one device pixel to the pixel the line keeps the drawing the screens
    // have always had, pixel for pixel.
    p.setPen(QPen(colour, 1));
    const bool down = (def_.rect.width >= 0) == (def_.rect.height >= 0);
    if (down) {
        p.drawLine(0, 0, w, h);
    } else {
        p.drawLine(0, h, w, 0);
    }
}

}  // namespace kelvqt
