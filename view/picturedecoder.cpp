#include "view/picturedecoder.h"

#include "content/metafilekind.h"
#include "forms/units.h"
#include "view/layoutbudget.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QTextDocument>
#include <QUrl>
#include <algorithm>

namespace {

// A shown size in logical pixels from a size in twips and a percentage, kept within reason.
int shownPixels(int twips, int percent)
{
    constexpr int limit = LayoutBudget::MaxPictureTwips;
    const qint64 scaled = qint64(qBound(0, twips, limit)) * qBound(1, percent, 1000) / 100;
    return Units::px(int(qMin<qint64>(scaled, limit)));
}

using LayoutBudget::MaxDecodedSide;
using LayoutBudget::MaxDecodePixels;
using LayoutBudget::MaxShownSide;

} // namespace

QTextImageFormat PictureDecoder::emptyFrame(int width, int height)
{
    // Every such picture shares one pale image, drawn at the picture's size.
    QTextImageFormat format;
    format.setWidth(width);
    format.setHeight(height);
    format.setName(QStringLiteral("rtfpicture:omitted"));
    if (!m_placeholderAdded) {
        QImage placeholder(1, 1, QImage::Format_ARGB32);
        placeholder.fill(QColor(0xe0, 0xe0, 0xe0));
        m_document->addResource(QTextDocument::ImageResource, QUrl(format.name()), placeholder);
        m_placeholderAdded = true;
    }
    return format;
}

namespace {

// What the data is, by its first bytes: writers label pictures wrongly (PNG data as \jpegblip),
// and the data is what is drawn. A picture whose data is neither keeps its label.
Content::Picture::Kind kindOfData(const Content::Picture& picture)
{
    const QByteArray& data = picture.data;
    if (data.startsWith("\x89PNG\r\n\x1a\n"))
        return Content::Picture::Png;
    if (data.startsWith("\xff\xd8\xff"))
        return Content::Picture::Jpeg;
    // No RTF word names GIF, but writers put it in under another image's.
    if (data.startsWith("GIF87a") || data.startsWith("GIF89a"))
        return Content::Picture::Gif;
    if (picture.kind == Content::Picture::Png || picture.kind == Content::Picture::Jpeg)
        return Content::Picture::Unknown; // labelled as an image, but none Qt can read
    return picture.kind;
}

} // namespace

std::optional<QTextImageFormat> PictureDecoder::decode(const Content::Picture& picture)
{
    using Content::Picture;
    const int scaleX = picture.scaleX, scaleY = picture.scaleY;
    const Picture::Kind kind = kindOfData(picture);
    if (kind != Picture::Png && kind != Picture::Jpeg && kind != Picture::Gif) {
        // A metafile, drawn at the size it declares; or a kind Qt cannot draw, or a metafile that
        // does not draw: its place on the page, at that size.
        const int w = shownPixels(picture.widthGoal, scaleX);
        const int h = shownPixels(picture.heightGoal, scaleY);
        if (kind == Picture::Unknown || w <= 0 || h <= 0)
            return std::nullopt;
        if (kind == Picture::Metafile) {
            if (std::optional<QTextImageFormat> drawn = drawMetafile(picture.data, w, h))
                return drawn;
        }
        return emptyFrame(w, h);
    }
    if (picture.data.isEmpty())
        return std::nullopt;
    QByteArray data = picture.data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    const bool jpeg = kind == Picture::Jpeg;
    QImageReader reader(&buffer, jpeg ? "jpeg" : kind == Picture::Gif ? "gif" : "png");
    // The size the picture says it has, read from its header before anything is decoded.
    const QSize own = reader.size();
    if (own.width() <= 0 || own.height() <= 0)
        return std::nullopt;
    int w = shownPixels(picture.widthGoal, scaleX);
    int h = shownPixels(picture.heightGoal, scaleY);
    if (w <= 0 || h <= 0) {
        w = int(qMin<qint64>(qint64(own.width()) * qBound(1, scaleX, 1000) / 100, MaxShownSide));
        h = int(qMin<qint64>(qint64(own.height()) * qBound(1, scaleY, 1000) / 100, MaxShownSide));
    }
    w = qMax(1, w);
    h = qMax(1, h);

    // Decoded at the size it is shown (never larger than its own), within the document's budget;
    // beyond it, or when decoding it would take too much memory on the way, the picture shows as
    // an empty frame of its size.
    const QSize decoded(std::min({ w, own.width(), MaxDecodedSide }),
        std::min({ h, own.height(), MaxDecodedSide }));
    const qint64 pixels = qint64(decoded.width()) * decoded.height();
    // JPEG is decoded already scaled down by a half, a quarter or an eighth each way where the
    // shown size allows; other kinds are decoded whole, then scaled.
    qint64 factor = 1;
    while (jpeg && factor < 8 && qint64(decoded.width()) * factor * 2 <= own.width()
        && qint64(decoded.height()) * factor * 2 <= own.height())
        factor *= 2;
    const qint64 onTheWay = qint64(own.width()) * own.height() / (factor * factor);
    const bool affordable = pixels <= m_pixelsLeft && onTheWay <= MaxDecodePixels;
    QImage image;
    if (affordable) {
        reader.setScaledSize(decoded);
        image = reader.read();
    }
    if (image.isNull()) {
        if (affordable)
            return std::nullopt; // the data does not decode
        return emptyFrame(w, h);
    }
    return shown(image, w, h);
}

QTextImageFormat PictureDecoder::shown(const QImage& image, int width, int height)
{
    m_pixelsLeft -= qint64(image.width()) * image.height();
    const QUrl name(QStringLiteral("rtfpicture:%1").arg(++m_count));
    m_document->addResource(QTextDocument::ImageResource, name, image);
    QTextImageFormat format;
    format.setWidth(width);
    format.setHeight(height);
    format.setName(name.toString());
    return format;
}

std::optional<QTextImageFormat> PictureDecoder::drawMetafile(
    const QByteArray& data, int width, int height)
{
    // Drawn at the size it is shown, within the budget like any picture; a vector drawing has no
    // size of its own to stop at.
    const QSize drawn(qMin(width, MaxDecodedSide), qMin(height, MaxDecodedSide));
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
    if (qint64(drawn.width()) * drawn.height() > m_pixelsLeft
        || Content::metafileKind(bytes, std::size_t(data.size())) == Content::MetafileKind::None)
        return std::nullopt;
    const QImage image = m_metafiles.draw(data, drawn);
    if (image.isNull())
        return std::nullopt;
    return shown(image, width, height);
}
