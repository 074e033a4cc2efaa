#include "qt/control_style.h"

#include <QFont>
#include <QPalette>

#include "qt/fonts.h"

namespace kelvqt {

namespace {

QString rgb(const form::Color& c)
{
    return QStringLiteral("rgb(%1, %2, %3)").arg(c.r).arg(c.g).arg(c.b);
}

}  // namespace

void styleControl(QWidget* w, const form::ControlDef& c, double fontScale)
{
    if (!c.tooltip.empty()) {
        w->setToolTip(QString::fromStdString(c.tooltip));
    }
    if (c.fontPoints > 0 || c.bold) {
        QFont font = w->font();
        if (c.fontPoints > 0) {
            if (fontScale != 1) {
                font = scaledFont(font, c.fontPoints, fontScale);
            } else {
                font.setPointSizeF(c.fontPoints);
            }
        }
        font.setBold(c.bold);
        w->setFont(font);
    }
    QString style;
    if (c.back) {
        if (c.kind == form::Kind::Button) {
            style += QStringLiteral("QPushButton { background-color: %1; border: 1px solid #707070; "
                                    "border-radius: 2px; color: black; }"
                                    "QPushButton:pressed { border: 2px inset #505050; }"
                                    "QPushButton:focus { border: 1px dotted black; }")
                         .arg(rgb(*c.back));
        } else {
            QPalette pal = w->palette();
            pal.setColor(QPalette::Window, QColor(c.back->r, c.back->g, c.back->b));
            pal.setColor(QPalette::Base, QColor(c.back->r, c.back->g, c.back->b));
            w->setPalette(pal);
            w->setAutoFillBackground(true);
        }
    }
    if (c.fore) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::WindowText, QColor(c.fore->r, c.fore->g, c.fore->b));
        pal.setColor(QPalette::Text, QColor(c.fore->r, c.fore->g, c.fore->b));
        w->setPalette(pal);
    }
    if (!style.isEmpty()) {
        w->setStyleSheet(style);
    }
}

}  // namespace kelvqt
