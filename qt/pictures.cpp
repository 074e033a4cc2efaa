#include "qt/pictures.h"

#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include "qt/renderer.h"
#include "qt/screen_window.h"

namespace kelvqt {

namespace {

// A picture from the program's resources, drawn at the given size so that
// vector pictures stay sharp at any scale.
QPixmap pictureFor(const std::string& name, QSize size, qreal ratio)
{
    if (name.empty() || size.isEmpty()) {
        return {};
    }
    const QString svg = QStringLiteral(":/pictures/%1.svg").arg(QString::fromStdString(name));
    if (QFile::exists(svg)) {
        QPixmap pm(size * ratio);
        pm.fill(Qt::transparent);
        QSvgRenderer renderer(svg);
        QPainter painter(&pm);
        renderer.render(&painter);
        pm.setDevicePixelRatio(ratio);
        return pm;
    }
    const QString png = QStringLiteral(":/pictures/%1.png").arg(QString::fromStdString(name));
    if (QFile::exists(png)) {
        return QPixmap(png).scaled(size * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return {};
}

}  // namespace

void showPictures(const form::ScreenDef& def, ScreenWindow& win)
{
    const qreal ratio = win.devicePixelRatioF();
    for (const form::ControlDef& c : def.controls()) {
        if ((c.kind == form::Kind::Picture || c.kind == form::Kind::Image) && !c.picture.empty()) {
            if (auto* label = qobject_cast<QLabel*>(win.control(c.name))) {
                const QSize size(px(c.rect.width), px(c.rect.height));
                label->setPixmap(pictureFor(c.picture, size, ratio));
            }
        }
    }
}

}  // namespace kelvqt
