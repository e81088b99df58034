#include "platform/regtext.h"

#include "platform/ansi.h"

#include <cstring>

namespace RegFile {

const QString& ansiCharacters()
{
    static const QString table = [] {
        QByteArray bytes(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b)
            bytes[b] = char(b);
        return Ansi::toUnicode(bytes);
    }();
    return table;
}

bool isUtf8BeyondAscii(QByteArrayView bytes)
{
    bool beyondAscii = false;
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size;) {
        const unsigned char lead = b[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        beyondAscii = true;
        int more = 0;
        unsigned char low = 0x80, high = 0xBF; // the range of the byte after the lead
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (size - i <= more || b[i + 1] < low || b[i + 1] > high)
            return false;
        for (int k = 2; k <= more; ++k) {
            if ((b[i + k] & 0xC0) != 0x80)
                return false;
        }
        i += more + 1;
    }
    return beyondAscii;
}

LineReader::LineReader(QByteArrayView text, Encoding encoding, qsizetype from)
    : m_text(text)
    , m_encoding(encoding)
    , m_utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless)
    , m_pos(from)
{
}

bool LineReader::next(QString& line)
{
    if (m_pos > m_text.size())
        return false;
    const qsizetype end = lineEnd();
    // The LF is decoded with its line, so that bytes a line breaks off in the middle of a
    // character read as they would in the whole text.
    const qsizetype stop = qMin(end + unitSize(), m_text.size());
    decode(m_text.sliced(m_pos, stop - m_pos), line);
    if (end < m_text.size())
        line.chop(1);
    m_pos = end + unitSize();
    return true;
}

void LineReader::skipBlankLines()
{
    const qsizetype unit = unitSize();
    qsizetype lineStart = m_pos;
    for (qsizetype i = m_pos; i + unit <= m_text.size(); i += unit) {
        const char c = m_text[i];
        if (unit == 2 && m_text[i + 1] != '\0')
            break;
        if (c == '\n')
            lineStart = i + unit;
        else if (c != ' ' && (c < '\t' || c > '\r'))
            break;
    }
    m_pos = lineStart;
}

qsizetype LineReader::lineEnd() const
{
    // An empty text has no data to search (memchr may not be given a null pointer).
    if (m_pos >= m_text.size())
        return m_text.size();
    const char* data = m_text.data();
    if (m_encoding != Encoding::Utf16le) {
        const void* lf = std::memchr(data + m_pos, '\n', size_t(m_text.size() - m_pos));
        return lf ? static_cast<const char*>(lf) - data : m_text.size();
    }
    for (qsizetype i = m_pos; i + 1 < m_text.size(); i += 2) {
        if (data[i] == '\n' && data[i + 1] == '\0')
            return i;
    }
    return m_text.size();
}

void LineReader::decode(QByteArrayView bytes, QString& line)
{
    switch (m_encoding) {
    case Encoding::Ansi: {
        const QChar* table = ansiCharacters().constData();
        line.resize(bytes.size());
        QChar* out = line.data();
        for (qsizetype i = 0; i < bytes.size(); ++i)
            out[i] = table[static_cast<unsigned char>(bytes[i])];
        break;
    }
    case Encoding::Utf8: {
        line.resize(m_utf8.requiredSpace(bytes.size()));
        const QChar* end = m_utf8.appendToBuffer(line.data(), bytes);
        line.resize(end - line.constData());
        break;
    }
    case Encoding::Utf16le: {
        line.resize(bytes.size() / 2);
        QChar* out = line.data();
        for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
            const auto lo = static_cast<unsigned char>(bytes[i]);
            const auto hi = static_cast<unsigned char>(bytes[i + 1]);
            out[i / 2] = QChar(char16_t(lo | (hi << 8)));
        }
        break;
    }
    }
}

QString firstLine(QByteArrayView text, Encoding encoding)
{
    LineReader lines(text, encoding);
    QString line;
    lines.next(line);
    return QStringView(line).trimmed().toString();
}

} // namespace RegFile
