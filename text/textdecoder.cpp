// Decoding a file's bytes piece by piece (TextDecoding::Decoder).
#include "text/cp437.h"
#include "text/textdecoding.h"

#include <QStringDecoder>

namespace TextDecoding {

namespace {
    constexpr unsigned char DosEndOfFile = 0x1A;

    bool isUtf16(Encoding encoding)
    {
        return encoding == Encoding::Utf16LE || encoding == Encoding::Utf16BE;
    }

    qsizetype markLength(Encoding encoding, QByteArrayView head)
    {
        const auto starts = [&](const char* mark, qsizetype n) {
            return head.size() >= n && std::memcmp(head.data(), mark, size_t(n)) == 0;
        };
        switch (encoding) {
        case Encoding::Utf8WithMark:
            return 3;
        case Encoding::Utf16LE:
            return starts("\xFF\xFE", 2) ? 2 : 0;
        case Encoding::Utf16BE:
            return starts("\xFE\xFF", 2) ? 2 : 0;
        case Encoding::Utf8:
        case Encoding::Cp437:
            break;
        }
        return 0;
    }

    // The bytes at the end of a piece whose meaning depends on the bytes after it.
    qsizetype undecidedTail(Encoding encoding, QByteArrayView bytes)
    {
        if (bytes.isEmpty())
            return 0;
        if (!isUtf16(encoding)) {
            // The end-of-file byte is dropped only at the very end.
            if (static_cast<unsigned char>(bytes.back()) == DosEndOfFile)
                return 1;
            return encoding == Encoding::Cp437 ? 0 : unfinishedUtf8(bytes);
        }
        const qsizetype odd = bytes.size() % 2;
        if (bytes.size() - odd < 2)
            return odd;
        const auto* last
            = reinterpret_cast<const unsigned char*>(bytes.data() + bytes.size() - odd - 2);
        const char16_t unit = encoding == Encoding::Utf16LE ? char16_t(last[0] | last[1] << 8)
                                                            : char16_t(last[0] << 8 | last[1]);
        // A high surrogate waits for its other half, the end-of-file character for the end.
        return odd + (QChar::isHighSurrogate(unit) || unit == DosEndOfFile ? 2 : 0);
    }
} // namespace

Decoder::Decoder(Encoding encoding, QByteArrayView head)
    : m_encoding(encoding)
    , m_markLeft(markLength(encoding, head))
{
}

void Decoder::decode(QByteArrayView piece, QString& out)
{
    const qsizetype skip = qMin(m_markLeft, piece.size());
    m_markLeft -= skip;
    piece = piece.sliced(skip);
    QByteArray joined;
    if (!m_pending.isEmpty()) {
        joined = m_pending + piece.toByteArray();
        piece = joined;
    }
    const qsizetype tail = undecidedTail(m_encoding, piece);
    m_pending = piece.last(tail).toByteArray();
    decodeBytes(piece.chopped(tail), out);
}

void Decoder::finish(QString& out)
{
    QByteArray rest = std::exchange(m_pending, QByteArray());
    const qsizetype odd = isUtf16(m_encoding) ? rest.size() % 2 : 0;
    // The end-of-file byte (or character) is not shown when it is the last of the file.
    if (odd == 0 && rest.size() >= 1) {
        const QByteArrayView eof = m_encoding == Encoding::Utf16LE ? QByteArrayView("\x1A\0", 2)
            : m_encoding == Encoding::Utf16BE                      ? QByteArrayView("\0\x1A", 2)
                                                                   : QByteArrayView("\x1A", 1);
        if (QByteArrayView(rest).endsWith(eof))
            rest.chop(eof.size());
    }
    decodeBytes(rest.first(rest.size() - odd), out);
    if (odd)
        out += QChar(QChar::ReplacementCharacter);
}

void Decoder::decodeBytes(QByteArrayView bytes, QString& out)
{
    if (bytes.isEmpty())
        return;
    const qsizetype from = out.size();
    if (m_encoding == Encoding::Cp437) {
        // One character a byte, CR LF and lone CR made '\n' in the same pass.
        const char16_t* table = Cp437::textTable();
        out.resize(from + bytes.size());
        char16_t* begin = reinterpret_cast<char16_t*>(out.data()) + from;
        char16_t* o = begin;
        const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
        const auto* end = in + bytes.size();
        if (m_afterCr && *in == '\n')
            ++in;
        m_afterCr = false;
        while (in < end) {
            const unsigned char b = *in++;
            if (b == '\r') {
                *o++ = u'\n';
                if (in == end)
                    m_afterCr = true;
                else if (*in == '\n')
                    ++in;
            } else {
                *o++ = table[b];
            }
        }
        out.truncate(from + (o - begin));
        return;
    }
    if (isUtf16(m_encoding)) {
        decodeUtf16(bytes, out);
    } else {
        // A mark inside the text is a character of it (U+FEFF).
        QStringDecoder decoder(QStringConverter::Utf8,
            QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        out.resize(from + bytes.size());
        const QChar* end = decoder.appendToBuffer(out.data() + from, bytes);
        out.truncate(end - out.constData());
    }
    unifyLineBreaks(out, from);
}

void Decoder::decodeUtf16(QByteArrayView bytes, QString& out)
{
    const qsizetype from = out.size();
    const qsizetype units = bytes.size() / 2;
    out.resize(from + units);
    char16_t* o = reinterpret_cast<char16_t*>(out.data()) + from;
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const bool little = m_encoding == Encoding::Utf16LE;
    for (qsizetype i = 0; i < units; ++i, in += 2)
        o[i] = little ? char16_t(in[0] | in[1] << 8) : char16_t(in[0] << 8 | in[1]);
    // A surrogate without its other half is no character: it shows as U+FFFD, as broken UTF-8
    // does. A high one at the end of a piece waited for the next (undecidedTail).
    for (qsizetype i = 0; i < units; ++i) {
        if (QChar::isHighSurrogate(o[i]) && i + 1 < units && QChar::isLowSurrogate(o[i + 1]))
            ++i;
        else if (QChar::isSurrogate(o[i]))
            o[i] = QChar::ReplacementCharacter;
    }
}

void Decoder::unifyLineBreaks(QString& out, qsizetype from)
{
    char16_t* const begin = reinterpret_cast<char16_t*>(out.data());
    const char16_t* in = begin + from;
    const char16_t* const end = begin + out.size();
    if (m_afterCr && in != end && *in == u'\n')
        ++in;
    m_afterCr = false;
    if (std::find(in, end, u'\r') == end && in == begin + from)
        return;
    char16_t* o = begin + from;
    while (in < end) {
        const char16_t c = *in++;
        if (c != u'\r') {
            *o++ = c;
            continue;
        }
        *o++ = u'\n';
        if (in == end)
            m_afterCr = true;
        else if (*in == u'\n')
            ++in;
    }
    out.truncate(o - begin);
}

} // namespace TextDecoding
