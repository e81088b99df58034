#include "platform/regdata.h"

#include "forms/hexdigit.h"
#include "platform/regtext.h"

namespace RegFile {

namespace {
    // The text's UTF-16LE code units, and as many zero bytes after them as asked for.
    QByteArray utf16le(QStringView text, qsizetype zeros = 0)
    {
        QByteArray bytes(text.size() * 2 + zeros, '\0');
        for (qsizetype i = 0; i < text.size(); ++i) {
            bytes[2 * i] = char(text[i].unicode() & 0xFF);
            bytes[2 * i + 1] = char(text[i].unicode() >> 8);
        }
        return bytes;
    }

    // ANSI text as UTF-16LE code units, with no text in between: a value may be megabytes long.
    QByteArray ansiToUtf16le(QByteArrayView bytes)
    {
        const QChar* table = ansiCharacters().constData();
        QByteArray units(bytes.size() * 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const char16_t c = table[static_cast<unsigned char>(bytes[i])].unicode();
            units[2 * i] = char(c & 0xFF);
            units[2 * i + 1] = char(c >> 8);
        }
        return units;
    }

    // A hexadecimal number of 1 to 8 digits filling the whole text.
    std::optional<std::uint32_t> hexNumber(QStringView text)
    {
        if (text.isEmpty() || text.size() > 8)
            return std::nullopt;
        std::uint32_t n = 0;
        for (QChar c : text) {
            const int d = hexDigitValue(c.unicode());
            if (d < 0)
                return std::nullopt;
            n = (n << 4) | std::uint32_t(d);
        }
        return n;
    }
}

std::optional<qsizetype> quotedEnd(QStringView text, qsizetype pos)
{
    for (qsizetype i = pos + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"')
            return i + 1;
        if (c == u'\\' && i + 1 < text.size() && (text[i + 1] == u'\\' || text[i + 1] == u'"'))
            ++i;
    }
    return std::nullopt;
}

void unquote(QStringView inside, QString& out)
{
    out.resize(inside.size());
    qsizetype n = 0;
    for (qsizetype i = 0; i < inside.size(); ++i) {
        if (inside[i] == u'\\' && i + 1 < inside.size()
            && (inside[i + 1] == u'\\' || inside[i + 1] == u'"'))
            ++i;
        out[n++] = inside[i];
    }
    out.resize(n);
}

std::optional<Value> parseData(QStringView data, QString& scratch)
{
    if (data.startsWith(u'"')) {
        const auto end = quotedEnd(data, 0);
        if (!end || !data.mid(*end).trimmed().isEmpty())
            return std::nullopt;
        unquote(data.sliced(1, *end - 2), scratch);
        return Value { QString(), 1, utf16le(scratch, 2) };
    }
    if (data.startsWith(u"dword:", Qt::CaseInsensitive)) {
        const auto n = hexNumber(data.mid(6).trimmed());
        if (!n)
            return std::nullopt;
        QByteArray bytes(4, '\0');
        for (int i = 0; i < 4; ++i)
            bytes[i] = char((*n >> (8 * i)) & 0xFF);
        return Value { QString(), 4, bytes };
    }
    return std::nullopt;
}

void HexData::feed(QStringView text)
{
    for (qsizetype i = 0; i < text.size() && m_state != State::Invalid; ++i)
        step(text[i]);
}

std::optional<Value> HexData::finish()
{
    if (m_state == State::Lead && m_items > 0)
        return std::nullopt; // a comma with nothing behind it
    if (m_state == State::Digits || m_state == State::Trail)
        m_bytes.append(char(m_byte));
    else if (m_state != State::Lead)
        return std::nullopt;
    // The older format writes text types in the ANSI code page.
    if (m_ansiText && isTextType(m_type))
        m_bytes = ansiToUtf16le(m_bytes);
    return Value { QString(), m_type, m_bytes };
}

void HexData::step(QChar c)
{
    const int digit = hexDigitValue(c.unicode());
    switch (m_state) {
    case State::Start:
        m_state = c == u'(' ? State::Type : c == u':' ? State::Lead : State::Invalid;
        break;
    case State::Type:
        typeDigit(c, digit);
        break;
    case State::AfterType:
        m_state = c == u':' ? State::Lead : State::Invalid;
        break;
    case State::Lead:
    case State::Digits:
    case State::Trail:
        listCharacter(c, digit);
        break;
    case State::Invalid:
        break;
    }
}

void HexData::typeDigit(QChar c, int digit)
{
    if (c == u')' && m_typeDigits > 0) {
        m_type = m_typeRead;
        m_state = State::AfterType;
    } else if (digit >= 0 && m_typeDigits < 8) {
        m_typeRead = (m_typeRead << 4) | std::uint32_t(digit);
        ++m_typeDigits;
    } else {
        m_state = State::Invalid;
    }
}

void HexData::listCharacter(QChar c, int digit)
{
    if (c == u',' && m_state != State::Lead) {
        m_bytes.append(char(m_byte));
        ++m_items;
        m_byteDigits = 0;
        m_state = State::Lead;
    } else if (c.isSpace()) {
        if (m_state == State::Digits)
            m_state = State::Trail;
    } else if (digit >= 0 && m_byteDigits < 2 && m_state != State::Trail) {
        m_byte = m_byteDigits++ == 0 ? digit : (m_byte << 4) | digit;
        m_state = State::Digits;
    } else {
        m_state = State::Invalid;
    }
}

} // namespace RegFile
