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
    p.setPen(QPen(QColor(c.r, c.g, c.b), 1));
    const int w = width() - 1;
    const int h = height() - 1;
    const bool down = (def_.rect.width >= 0) == (def_.rect.height >= 0);
    if (down) {
        p.drawLine(0, 0, w, h);
    } else {
        p.drawLine(0, h, w, 0);
    }
}

}  // namespace kelvqt
