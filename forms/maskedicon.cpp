#include "forms/maskedicon.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QtEndian>

namespace {

quint32 u32(const QByteArray& data, qsizetype at)
{
    return qFromLittleEndian<quint32>(data.constData() + at);
}
quint16 u16(const QByteArray& data, qsizetype at)
{
    return qFromLittleEndian<quint16>(data.constData() + at);
}

// Clears every pixel the first image's mask marks transparent (bit set). Leaves the image as it
// is when the file is not laid out as expected.
QImage applyMask(QImage image, const QByteArray& data)
{
    constexpr qsizetype DirectorySize = 6, EntrySize = 16, InfoSize = 40;
    if (data.size() < DirectorySize + EntrySize)
        return image;
    const qsizetype offset = u32(data, DirectorySize + 12);
    if (offset < 0 || offset + InfoSize > data.size())
        return image;
    const qsizetype width = qint32(u32(data, offset + 4));
    const qsizetype height = qint32(u32(data, offset + 8)) / 2; // colours and mask together
    const int bits = u16(data, offset + 14);
    if (bits == 32 || width != image.width() || height != image.height())
        return image; // a 32-bit icon carries its transparency in its colours
    const quint32 used = u32(data, offset + 32);
    const qsizetype palette = bits <= 8 ? 4 * (used ? used : (1u << bits)) : 0;
    const qsizetype colourRow = (width * bits + 31) / 32 * 4;
    const qsizetype maskRow = (width + 31) / 32 * 4;
    const qsizetype mask = offset + u32(data, offset) + palette + colourRow * height;
    if (mask + maskRow * height > data.size())
        return image;

    image = image.convertToFormat(QImage::Format_ARGB32);
    for (qsizetype y = 0; y < height; ++y) {
        // Rows are stored bottom-up.
        const char* row = data.constData() + mask + (height - 1 - y) * maskRow;
        for (qsizetype x = 0; x < width; ++x) {
            if (row[x / 8] & (0x80 >> (x % 8)))
                image.setPixel(int(x), int(y), qRgba(0, 0, 0, 0));
        }
    }
    return image;
}

} // namespace

QIcon maskedIcon(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QIcon();
    const QByteArray data = file.readAll();
    const QImage image = QImage::fromData(data, "ICO");
    if (image.isNull())
        return QIcon();
    return QIcon(QPixmap::fromImage(applyMask(image, data)));
}
