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
    QByteArray& data = m_picture.data;
    for (const char c : text) {
        const int v = hexDigitValue(static_cast<unsigned char>(c));
        if (v < 0)
            continue;
        if (m_pendingNibble < 0) {
            m_pendingNibble = v;
        } else if (room(1)) {
            data.append(char(m_pendingNibble * 16 + v));
            m_pendingNibble = -1;
        } else {
            return;
        }
    }
}

void PictureReader::addBinary(QByteArrayView bytes)
{
    if (room(bytes.size()))
        m_picture.data.append(bytes);
}

} // namespace Rtf
