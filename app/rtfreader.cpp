#include "app/rtfreader.h"

#include <QTextCursor>
#include <QTextDocument>

namespace Rtf {

bool looksLikeRtf(const QByteArray& bytes) { return bytes.startsWith("{\\rtf"); }

void read(const QByteArray& bytes, QTextDocument* document)
{
    // Placeholder until the reader lands: the raw bytes as text.
    QTextCursor(document).insertText(QString::fromLatin1(bytes));
}

} // namespace Rtf
