#include "qt/pictures.h"

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
        return QPixmap(png).scaled(size * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return {};
}

class PictureLabel : public QLabel {
public:
    PictureLabel(std::string picture, QSize size, QWidget* parent)
        : QLabel(parent), picture_(std::move(picture)), size_(size)
    {
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        if (!drawn_) {
            drawn_ = true;
            if (!picture_.empty()) {
                setPixmap(pictureFor(picture_, size_, devicePixelRatioF()));
            }
        }
        QLabel::paintEvent(event);
    }

private:
    std::string picture_;
    QSize size_;
    bool drawn_ = false;
};

}  // namespace

QLabel* newPictureLabel(const std::string& picture, QSize size, QWidget* parent)
{
    return new PictureLabel(picture, size, parent);
}

}  // namespace kelvqt
