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
