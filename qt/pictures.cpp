#include "qt/pictures.h"

#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <utility>

#include "qt/fonts.h"

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
    if (QFile file(svg); file.open(QIODevice::ReadOnly)) {
        QPixmap pm(size * ratio);
        pm.fill(Qt::transparent);
        QSvgRenderer renderer(withCaptionFont(file.readAll()));
        QPainter painter(&pm);
        renderer.render(&painter);
        pm.setDevicePixelRatio(ratio);
        return pm;
    }
    const QString png = QStringLiteral(":/pictures/%1.png").arg(QString::fromStdString(name));
    if (QFile::exists(png)) {
        QPixmap pm = QPixmap(png).scaled(size * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        pm.setDevicePixelRatio(ratio);
        return pm;
    }
    return {};
}

// Drawn again whenever it is painted at another pixel ratio than the one it
// was drawn for: a window moved to a monitor of another scale, or a monitor
// whose scale changed, shows its pictures as sharp as on the first one.
class PictureLabel : public QLabel {
public:
    PictureLabel(std::string picture, QSize size, QWidget* parent)
        : QLabel(parent), picture_(std::move(picture)), size_(size)
    {
    }

protected:
    bool event(QEvent* event) override
    {
        // The window changed screens: paint again, which draws the picture
        // for the new screen's ratio.
        if (event->type() == QEvent::ScreenChangeInternal) {
            update();
        }
        return QLabel::event(event);
    }

    void paintEvent(QPaintEvent* event) override
    {
        const qreal ratio = devicePixelRatioF();
        if (!picture_.empty() && ratio != drawnRatio_) {
            drawnRatio_ = ratio;
            setPixmap(pictureFor(picture_, size_, ratio));
        }
        QLabel::paintEvent(event);
    }

private:
    std::string picture_;
    QSize size_;
    qreal drawnRatio_ = 0;  // none drawn yet
};

}  // namespace

QLabel* newPictureLabel(const std::string& picture, QSize size, QWidget* parent)
{
    return new PictureLabel(picture, size, parent);
}

}  // namespace kelvqt
