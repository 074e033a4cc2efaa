#include "qt/fonts.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QResource>

#include <algorithm>

namespace kelvqt {

namespace {

bool captionFontInUse = false;
double desktopPoints = 0;  // not asked yet

void setApplicationFont(QApplication& app)
{
    QFont font(QStringLiteral(KELVORA_JAPANESE_FAMILY));
    font.setPointSizeF(desktopPoints);
    font.setFamilies(captionFamilies());
    font.setStyleHint(QFont::SansSerif);
    app.setFont(font);
}

bool registerCaptionFont()
{
    const QDir faces(QStringLiteral(":/fonts"));
    const QStringList names = faces.entryList(QDir::Files);
    bool registered = !names.isEmpty();
    for (const QString& name : names) {
        // The faces are stored uncompressed: the font is read in place, not
        // from a copy on the heap.
        const QResource resource(faces.filePath(name));
        const QByteArray data =
            resource.compressionAlgorithm() == QResource::NoCompression
                ? QByteArray::fromRawData(reinterpret_cast<const char*>(resource.data()), resource.size())
                : resource.uncompressedData();
        registered = !data.isEmpty() && QFontDatabase::addApplicationFontFromData(data) >= 0 && registered;
    }
    return registered;
}

}  // namespace

void setUpFonts(QApplication& app, ScreenFont use)
{
    static const bool registered = registerCaptionFont();
    captionFontInUse = registered && use == ScreenFont::Captions;
    if (desktopPoints <= 0) {
        // The desktop's font as the platform theme gives it (a desktop's
        // settings, qt6ct), in points; a font set in pixels is taken at the
        // 96 dpi the points are drawn at.
        const QFont desktop = QApplication::font();
        desktopPoints = desktop.pointSizeF() > 0  ? desktop.pointSizeF()
                        : desktop.pixelSize() > 0 ? desktop.pixelSize() * 72.0 / 96.0
                                                  : 9;
    }
    setApplicationFont(app);
}

double desktopFontPoints()
{
    return desktopPoints > 0 ? desktopPoints : 9;
}

void setDesktopFontPoints(QApplication& app, double points)
{
    desktopPoints = points;
    setApplicationFont(app);
}

QStringList captionFamilies()
{
    if (!captionFontInUse) {
        return {QStringLiteral(KELVORA_JAPANESE_FAMILY)};
    }
    return {QStringLiteral(KELVORA_CAPTION_FAMILY), QStringLiteral(KELVORA_JAPANESE_FAMILY)};
}

QFont scaledFont(QFont font, double points, double factor)
{
    // Full-width and half-width characters and Latin ones, as the screens'
    // texts mix them.
    static const QString sample = QStringLiteral("ストリーミング公開のための作成ツール ｱｲｳｴｵ ABCxyz 0123.wmv");
    font.setPointSizeF(points);
    const double laidOut = QFontMetricsF(font).horizontalAdvance(sample);
    // Larger: no smaller than laid out. Smaller (a window held within a
    // small screen): as small as it takes, to a quarter below the factor.
    const double smallest = factor >= 1 ? points : points * factor * 0.75;
    double size = points * factor;
    for (; size > smallest; size -= 0.05) {
        font.setPointSizeF(size);
        if (QFontMetrics(font).horizontalAdvance(sample) <= laidOut * factor) {
            break;
        }
    }
    font.setPointSizeF(std::max(size, smallest));
    return font;
}

QByteArray withCaptionFont(QByteArray svg)
{
    if (captionFontInUse) {
        svg.replace(QByteArrayLiteral("font-family=\"" KELVORA_JAPANESE_FAMILY "\""),
                    QByteArrayLiteral("font-family=\"" KELVORA_CAPTION_FAMILY "\""));
    }
    return svg;
}

}  // namespace kelvqt
