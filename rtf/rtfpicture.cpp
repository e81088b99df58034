#include "rtf/rtfpicture.h"

#include "forms/hexdigit.h"
#include "forms/units.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QTextDocument>
#include <QUrl>
#include <algorithm>

namespace Rtf {

namespace {

    // A shown size in logical pixels from a size in twips and a percentage, kept within reason.
    int shownPixels(int twips, int percent)
    {
        const qint64 scaled = qint64(qBound(0, twips, 1440 * 100)) * qBound(1, percent, 1000) / 100;
        return Units::px(int(qMin<qint64>(scaled, 1440 * 100)));
    }

    // No picture is shown larger than this each way (a hundred inches).
    constexpr int MaxShownSide = 9600;
    // Nor decoded larger than this each way: a larger one is drawn scaled up.
    constexpr int MaxDecodedSide = 4096;
    // The most pixels a picture may need while it is decoded, before it is scaled down.
    constexpr qint64 MaxDecodePixels = qint64(16) * 1024 * 1024;

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

QTextImageFormat Picture::emptyFrame(QTextDocument* document, Budget* budget, int width, int height)
{
    // Every such picture shares one pale image, drawn at the picture's size.
    QTextImageFormat format;
    format.setWidth(width);
    format.setHeight(height);
    format.setName(QStringLiteral("rtfpicture:omitted"));
    if (!budget->placeholderAdded) {
        QImage placeholder(1, 1, QImage::Format_ARGB32);
        placeholder.fill(QColor(0xe0, 0xe0, 0xe0));
        document->addResource(QTextDocument::ImageResource, QUrl(format.name()), placeholder);
        budget->placeholderAdded = true;
    }
    return format;
}

std::optional<QTextImageFormat> Picture::finish(QTextDocument* document, int number, Budget* budget)
{
    if (m_kind == Other) {
        // A metafile or a kind Qt cannot draw: its place on the page, at the size it declares.
        const int w = shownPixels(widthGoal, scaleX);
        const int h = shownPixels(heightGoal, scaleY);
        if (w <= 0 || h <= 0)
            return std::nullopt;
        return emptyFrame(document, budget, w, h);
    }
    if (!wanted() || m_data.isEmpty())
        return std::nullopt;
    QBuffer buffer(&m_data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, m_kind == Png ? "png" : "jpeg");
    // The size the picture says it has, read from its header before anything is decoded.
    const QSize own = reader.size();
    if (own.width() <= 0 || own.height() <= 0)
        return std::nullopt;
    int w = shownPixels(widthGoal, scaleX);
    int h = shownPixels(heightGoal, scaleY);
    if (w <= 0 || h <= 0) {
        w = int(qMin<qint64>(qint64(own.width()) * qBound(1, scaleX, 1000) / 100, MaxShownSide));
        h = int(qMin<qint64>(qint64(own.height()) * qBound(1, scaleY, 1000) / 100, MaxShownSide));
    }
    w = qMax(1, w);
    h = qMax(1, h);
    QTextImageFormat format;
    format.setWidth(w);
    format.setHeight(h);

    // Decoded at the size it is shown (never larger than its own), within the document's budget;
    // beyond it, or when decoding it would take too much memory on the way, the picture shows as
    // an empty frame of its size.
    const QSize decoded(std::min({ w, own.width(), MaxDecodedSide }),
        std::min({ h, own.height(), MaxDecodedSide }));
    const qint64 pixels = qint64(decoded.width()) * decoded.height();
    // JPEG is decoded already scaled down by a half, a quarter or an eighth each way where the
    // shown size allows; other kinds are decoded whole, then scaled.
    qint64 factor = 1;
    while (m_kind == Jpeg && factor < 8 && qint64(decoded.width()) * factor * 2 <= own.width()
        && qint64(decoded.height()) * factor * 2 <= own.height())
        factor *= 2;
    const qint64 onTheWay = qint64(own.width()) * own.height() / (factor * factor);
    const bool affordable = pixels <= budget->pixelsLeft && onTheWay <= MaxDecodePixels;
    QImage image;
    if (affordable) {
        reader.setScaledSize(decoded);
        image = reader.read();
    }
    if (image.isNull()) {
        if (affordable)
            return std::nullopt; // the data does not decode
        return emptyFrame(document, budget, w, h);
    }
    budget->pixelsLeft -= qint64(image.width()) * image.height();
    const QUrl name(QStringLiteral("rtfpicture:%1").arg(number));
    document->addResource(QTextDocument::ImageResource, name, image);
    format.setName(name.toString());
    return format;
}

} // namespace Rtf
