#include "rtf/rtfpicture.h"

#include "forms/hexdigit.h"
#include "forms/units.h"

#include <QImage>
#include <QTextDocument>
#include <QUrl>

namespace Rtf {

namespace {

    // A shown size in logical pixels from a size in twips and a percentage, kept within reason.
    int shownPixels(int twips, int percent)
    {
        const qint64 scaled = qint64(qBound(0, twips, 1440 * 100)) * qBound(1, percent, 1000) / 100;
        return Units::px(int(qMin<qint64>(scaled, 1440 * 100)));
    }

} // namespace

void Picture::addHex(QByteArrayView text)
{
    if (!wanted())
        return;
    for (const char c : text) {
        const int v = hexDigitValue(static_cast<unsigned char>(c));
        if (v < 0)
            continue;
        if (m_pendingNibble < 0) {
            m_pendingNibble = v;
        } else {
            m_data.append(char(m_pendingNibble * 16 + v));
            m_pendingNibble = -1;
        }
    }
}

void Picture::addBinary(QByteArrayView bytes)
{
    if (wanted())
        m_data.append(bytes);
}

std::optional<QTextImageFormat> Picture::finish(QTextDocument* document, int number)
{
    if (!wanted() || m_data.isEmpty())
        return std::nullopt;
    const QImage image = QImage::fromData(m_data, m_kind == Png ? "PNG" : "JPG");
    if (image.isNull())
        return std::nullopt;
    const QUrl name(QStringLiteral("rtfpicture:%1").arg(number));
    document->addResource(QTextDocument::ImageResource, name, image);
    QTextImageFormat format;
    format.setName(name.toString());
    int w = shownPixels(widthGoal, scaleX);
    int h = shownPixels(heightGoal, scaleY);
    if (w <= 0 || h <= 0) {
        w = int(qMin<qint64>(qint64(image.width()) * qBound(1, scaleX, 1000) / 100, 100000));
        h = int(qMin<qint64>(qint64(image.height()) * qBound(1, scaleY, 1000) / 100, 100000));
    }
    format.setWidth(w);
    format.setHeight(h);
    return format;
}

} // namespace Rtf
