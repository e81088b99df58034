#pragma once

#include "content/resources.h"
#include "rtf/rtfkeywords.h"

#include <QByteArrayView>

namespace Rtf {

// The data and properties of one \pict group, gathered as they are read.
class PictureReader {
public:
    // A document's pictures together keep no more bytes than this; the data of those past it is
    // not kept (their place and size are).
    static constexpr qint64 MaxDocumentBytes = qint64(64) * 1024 * 1024;

    explicit PictureReader(qint64* bytesLeft)
        : m_bytesLeft(bytesLeft)
    {
    }

    // The kind and size words of the picture.
    void property(Keyword word, int param);
    // Hex digits of the picture data; anything else in the text is ignored.
    void addHex(QByteArrayView text);
    // Raw bytes given through \bin.
    void addBinary(QByteArrayView bytes);
    Content::Picture& picture() { return m_picture; }

private:
    bool room(qsizetype bytes);

    Content::Picture m_picture;
    int m_pendingNibble = -1;
    qint64* m_bytesLeft;
};

} // namespace Rtf
