#include "text/textdecoding.h"

#include "text/cp437.h"

#include <QStringDecoder>
#include <cstdint>

namespace TextDecoding {

namespace {
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

    // What the first bytes decide alone: a mark, or UTF-16 by its zeros.
    bool detectStart(QByteArrayView bytes, Encoding* encoding)
    {
        if (startsWith(bytes, { 0xEF, 0xBB, 0xBF }))
            *encoding = Encoding::Utf8WithMark;
        else if (startsWith(bytes, { 0xFF, 0xFE }))
            *encoding = Encoding::Utf16LE;
        else if (startsWith(bytes, { 0xFE, 0xFF }))
            *encoding = Encoding::Utf16BE;
        else {
            bool utf16 = false;
            *encoding = unmarkedUtf16(bytes, &utf16);
            return utf16;
        }
        return true;
    }

    bool hasNonAscii(QByteArrayView bytes)
    {
        for (char c : bytes) {
            if (static_cast<unsigned char>(c) >= 0x80)
                return true;
        }
        return false;
    }
} // namespace

qsizetype unfinishedUtf8(QByteArrayView bytes)
{
    // A sequence is at most four bytes: its lead byte is among the last three if it is cut.
    for (qsizetype k = 1; k <= 3 && k <= bytes.size(); ++k) {
        const auto c = static_cast<unsigned char>(bytes[bytes.size() - k]);
        if ((c & 0xC0) == 0x80)
            continue;
        if (c < 0xC0)
            return 0;
        const qsizetype length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        return length > k ? k : 0;
    }
    return 0;
}

Encoding detect(QByteArrayView bytes)
{
    Encoding encoding = Encoding::Cp437;
    if (detectStart(bytes, &encoding))
        return encoding;
    if (hasNonAscii(bytes) && bytes.isValidUtf8())
        return Encoding::Utf8;
    return Encoding::Cp437;
}

QString decode(QByteArrayView bytes)
{
    Decoder decoder(detect(bytes), bytes);
    QString text;
    decoder.decode(bytes, text);
    decoder.finish(text);
    return text;
}

void Detector::feed(QByteArrayView piece)
{
    if (!m_started) {
        m_started = true;
        m_settled = detectStart(piece, &m_encoding);
    }
    if (m_settled)
        return;
    QByteArray joined;
    if (!m_pending.isEmpty()) {
        joined = m_pending + piece.toByteArray();
        piece = joined;
    }
    const qsizetype cut = unfinishedUtf8(piece);
    const QByteArrayView whole = piece.chopped(cut);
    m_nonAscii = m_nonAscii || cut > 0 || hasNonAscii(whole);
    m_pending = piece.last(cut).toByteArray();
    if (!whole.isValidUtf8()) {
        m_validUtf8 = false;
        m_settled = true;
    }
}

Encoding Detector::encoding() const
{
    if (m_settled && m_validUtf8)
        return m_encoding;
    // A sequence still cut at the end was never finished.
    const bool utf8 = m_validUtf8 && m_pending.isEmpty() && m_nonAscii;
    return utf8 ? Encoding::Utf8 : Encoding::Cp437;
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
