#include "rtf/rtfpicture.h"

#include "forms/hexdigit.h"

namespace Rtf {

bool PictureReader::room(qsizetype bytes)
{
    if (*m_bytesLeft < bytes)
        return false;
    *m_bytesLeft -= bytes;
    return true;
}

void PictureReader::property(Keyword word, int param)
{
    Content::Picture& p = m_picture;
    switch (word) {
    case Keyword::PngBlip:
        p.kind = Content::Picture::Png;
        return;
    case Keyword::JpegBlip:
        p.kind = Content::Picture::Jpeg;
        return;
    case Keyword::MetafileBlip:
        p.kind = Content::Picture::Metafile;
        return;
    case Keyword::BitmapBlip:
        p.kind = Content::Picture::Bitmap;
        return;
    case Keyword::PicWidthGoal:
        p.widthGoal = param;
        return;
    case Keyword::PicHeightGoal:
        p.heightGoal = param;
        return;
    case Keyword::PicScaleX:
        p.scaleX = param;
        return;
    case Keyword::PicScaleY:
        p.scaleY = param;
        return;
    case Keyword::PicWidth:
        p.width = param;
        return;
    case Keyword::PicHeight:
        p.height = param;
        return;
    default:
        return;
    }
}

void PictureReader::addHex(QByteArrayView text)
{
    // The bytes are written in place: a picture's data is most of a document that has one.
    QByteArray& data = m_picture.data;
    const qsizetype before = data.size();
    const qsizetype most = qMin<qint64>((text.size() + 1) / 2, *m_bytesLeft);
    data.resize(before + most);
    char* out = data.data() + before;
    char* const end = out + most;
    for (const char c : text) {
        const int v = hexDigitValue(static_cast<unsigned char>(c));
        if (v < 0)
            continue;
        if (m_pendingNibble < 0) {
            m_pendingNibble = v;
            continue;
        }
        if (out == end)
            break;
        *out++ = char(m_pendingNibble * 16 + v);
        m_pendingNibble = -1;
    }
    const qsizetype written = out - (data.data() + before);
    data.truncate(before + written);
    *m_bytesLeft -= written;
}

void PictureReader::addBinary(QByteArrayView bytes)
{
    if (room(bytes.size()))
        m_picture.data.append(bytes);
}

} // namespace Rtf
