#include "platform/ansi.h"

#include <array>

namespace Ansi {

namespace {
    // Bytes 0x80 to 0x9F; the five the code page leaves undefined keep their C1 control codes.
    constexpr std::array<char16_t, 32> HighControls { 0x20AC, 0x0081, 0x201A, 0x0192, 0x201E,
        0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161,
        0x203A, 0x0153, 0x009D, 0x017E, 0x0178 };

    char16_t charFor(unsigned char byte)
    {
        if (byte >= 0x80 && byte <= 0x9F)
            return HighControls[byte - 0x80];
        return byte;
    }

    char byteFor(char16_t c)
    {
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
            return char(c);
        for (std::size_t i = 0; i < HighControls.size(); ++i) {
            if (HighControls[i] == c)
                return char(0x80 + i);
        }
        return '?';
    }
}

QString toUnicode(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = QChar(charFor(static_cast<unsigned char>(bytes[i])));
    return text;
}

QByteArray fromUnicode(QStringView text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        bytes[i] = byteFor(text[i].unicode());
    return bytes;
}

} // namespace Ansi
