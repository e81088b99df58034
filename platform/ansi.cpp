#include "platform/ansi.h"

#include <QHash>
#include <QStringDecoder>

namespace Ansi {

namespace {
    // Every byte's character, as the system's converter gives it: 0x80 to 0x9F are the code
    // page's typographic characters, and the five it leaves undefined keep their C1 control codes.
    const QString& characters()
    {
        static const QString table = [] {
            QByteArray bytes(256, Qt::Uninitialized);
            for (int b = 0; b < 256; ++b)
                bytes[b] = char(b);
            QStringDecoder decoder("windows-1252");
            QString text = decoder(bytes);
            // Without a converter for the code page, Latin-1 is right for all but 0x80 to 0x9F.
            return decoder.isValid() && text.size() == 256 ? text : QString::fromLatin1(bytes);
        }();
        return table;
    }

    // The way back, for the characters above ASCII.
    const QHash<char16_t, char>& bytesOf()
    {
        static const QHash<char16_t, char> reverse = [] {
            QHash<char16_t, char> map;
            const QString& table = characters();
            for (int b = 0x80; b < 256; ++b)
                map.insert(table[b].unicode(), char(b));
            return map;
        }();
        return reverse;
    }
}

QString toUnicode(QByteArrayView bytes)
{
    const QString& table = characters();
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = table[static_cast<unsigned char>(bytes[i])];
    return text;
}

QByteArray fromUnicode(QStringView text)
{
    const QHash<char16_t, char>& reverse = bytesOf();
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        bytes[i] = c < 0x80 ? char(c) : reverse.value(c, '?');
    }
    return bytes;
}

} // namespace Ansi
