#include "qt/fonts.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QResource>

namespace kelvqt {

namespace {

bool captionFontInUse = false;

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

    QFont font(QStringLiteral(KELVORA_JAPANESE_FAMILY), 9);
    font.setFamilies(captionFamilies());
    font.setStyleHint(QFont::SansSerif);
    app.setFont(font);
}

QStringList captionFamilies()
{
    if (!captionFontInUse) {
        return {QStringLiteral(KELVORA_JAPANESE_FAMILY)};
    }
    return {QStringLiteral(KELVORA_CAPTION_FAMILY), QStringLiteral(KELVORA_JAPANESE_FAMILY)};
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
