#include "text/textdecoding.h"

#include "text/cp437.h"

#include <QStringDecoder>
#include <cstdint>

namespace TextDecoding {

namespace {
    constexpr char DosEndOfFile = 0x1A;
    // UTF-16 without a mark is judged on the first bytes only: enough to see the pattern, and
    // the decision does not cost a pass over a large file.
    constexpr qsizetype Utf16Sample = 64 * 1024;

    bool startsWith(QByteArrayView bytes, std::initializer_list<unsigned char> mark)
    {
        if (bytes.size() < qsizetype(mark.size()))
            return false;
        return std::memcmp(bytes.data(), mark.begin(), mark.size()) == 0;
    }

    // Zero bytes in every other position: the high bytes of Latin text in UTF-16. Zeros in both
    // positions (padding, binary junk) are not text of either order.
    Encoding unmarkedUtf16(QByteArrayView bytes, bool* found)
    {
        const qsizetype n = qMin(bytes.size(), Utf16Sample) & ~qsizetype(1);
        qsizetype zerosEven = 0;
        qsizetype zerosOdd = 0;
        for (qsizetype i = 0; i < n; i += 2) {
            zerosEven += bytes[i] == 0;
            zerosOdd += bytes[i + 1] == 0;
        }
        // At least half the pairs: Latin text has a zero in nearly every one, and a stray zero
        // or two in a short DOS file must not turn it into UTF-16.
        const qsizetype pairs = n / 2;
        *found = true;
        if (zerosOdd * 2 >= pairs && zerosEven * 16 <= zerosOdd && pairs > 0)
            return Encoding::Utf16LE;
        if (zerosEven * 2 >= pairs && zerosOdd * 16 <= zerosEven && pairs > 0)
            return Encoding::Utf16BE;
        *found = false;
        return Encoding::Cp437;
    }

    bool hasNonAscii(QByteArrayView bytes)
    {
        for (char c : bytes) {
            if (static_cast<unsigned char>(c) >= 0x80)
                return true;
        }
        return false;
    }

    // Turns CR LF and lone CR into '\n' in place.
    void unifyLineBreaks(QString& text)
    {
        if (!text.contains(QLatin1Char('\r')))
            return;
        char16_t* begin = reinterpret_cast<char16_t*>(text.data());
        const char16_t* in = begin;
        const char16_t* end = begin + text.size();
        char16_t* out = begin;
        while (in < end) {
            const char16_t c = *in++;
            if (c == u'\r') {
                *out++ = u'\n';
                if (in < end && *in == u'\n')
                    ++in;
            } else {
                *out++ = c;
            }
        }
        text.truncate(out - begin);
    }

    QString decodeCp437(QByteArrayView bytes)
    {
        const char16_t* table = Cp437::textTable();
        QString text(bytes.size(), Qt::Uninitialized);
        char16_t* begin = reinterpret_cast<char16_t*>(text.data());
        char16_t* out = begin;
        const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
        const auto* end = in + bytes.size();
        while (in < end) {
            const unsigned char b = *in++;
            if (b == '\r') {
                *out++ = u'\n';
                if (in < end && *in == '\n')
                    ++in;
            } else {
                *out++ = table[b];
            }
        }
        text.truncate(out - begin);
        return text;
    }

    // A surrogate without its other half is no character: it shows as U+FFFD, as broken UTF-8
    // does.
    void replaceUnpairedSurrogates(QString& text)
    {
        char16_t* c = reinterpret_cast<char16_t*>(text.data());
        char16_t* const end = c + text.size();
        for (; c != end; ++c) {
            if (QChar::isHighSurrogate(*c) && c + 1 != end && QChar::isLowSurrogate(c[1]))
                ++c;
            else if (QChar::isSurrogate(*c))
                *c = 0xFFFD;
        }
    }

    QString decodeUtf16(QByteArrayView bytes, QStringConverter::Encoding encoding)
    {
        QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
        QString text = decoder.decode(bytes);
        replaceUnpairedSurrogates(text);
        if (text.endsWith(QChar(DosEndOfFile)))
            text.chop(1);
        unifyLineBreaks(text);
        return text;
    }
} // namespace

Encoding detect(QByteArrayView bytes)
{
    if (startsWith(bytes, { 0xEF, 0xBB, 0xBF }))
        return Encoding::Utf8WithMark;
    if (startsWith(bytes, { 0xFF, 0xFE }))
        return Encoding::Utf16LE;
    if (startsWith(bytes, { 0xFE, 0xFF }))
        return Encoding::Utf16BE;
    bool utf16 = false;
    const Encoding unmarked = unmarkedUtf16(bytes, &utf16);
    if (utf16)
        return unmarked;
    if (hasNonAscii(bytes) && bytes.isValidUtf8())
        return Encoding::Utf8;
    return Encoding::Cp437;
}

QString decode(QByteArrayView bytes)
{
    const Encoding encoding = detect(bytes);
    switch (encoding) {
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: {
        const bool marked = bytes.size() >= 2
            && (startsWith(bytes, { 0xFF, 0xFE }) || startsWith(bytes, { 0xFE, 0xFF }));
        return decodeUtf16(marked ? bytes.sliced(2) : bytes,
            encoding == Encoding::Utf16LE ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
    }
    case Encoding::Utf8WithMark:
        bytes = bytes.sliced(3);
        [[fallthrough]];
    case Encoding::Utf8:
    case Encoding::Cp437: {
        if (bytes.endsWith(DosEndOfFile))
            bytes.chop(1);
        if (encoding == Encoding::Cp437)
            return decodeCp437(bytes);
        QString text = QString::fromUtf8(bytes);
        unifyLineBreaks(text);
        return text;
    }
    }
    return QString();
}

qsizetype longestUnbrokenRun(QStringView text)
{
    qsizetype longest = 0;
    qsizetype run = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u' ' || u == u'\t' || u == u'\n' || u == QChar::ParagraphSeparator
            || u == QChar::LineSeparator || u == 0xFDD0 || u == 0xFDD1) {
            longest = qMax(longest, run);
            run = 0;
        } else {
            ++run;
        }
    }
    return qMax(longest, run);
}

} // namespace TextDecoding
