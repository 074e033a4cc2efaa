#include "qt/help_html.h"

#include <QStringDecoder>

namespace kelvqt {

QString helpHtml(const QByteArray& bytes)
{
    QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
    const QString html = decoder.isValid() ? QString(decoder(bytes)) : QString::fromUtf8(bytes);
    return keepFullWidthSpaces(html);
}

QString keepFullWidthSpaces(const QString& html)
{
    const QChar fullWidthSpace(0x3000);
    QString out;
    out.reserve(html.size());
    bool inTag = false;
    for (qsizetype i = 0; i < html.size();) {
        const QChar ch = html[i];
        if (!inTag && ch == fullWidthSpace) {
            qsizetype end = i;
            while (end < html.size() && html[end] == fullWidthSpace) {
                ++end;
            }
            out += QStringLiteral("<span style=\"white-space: pre-wrap\">") + html.mid(i, end - i) +
                   QStringLiteral("</span>");
            i = end;
            continue;
        }
        if (ch == QLatin1Char('<')) {
            inTag = true;
        } else if (ch == QLatin1Char('>')) {
            inTag = false;
        }
        out += ch;
        ++i;
    }
    return out;
}

}  // namespace kelvqt
