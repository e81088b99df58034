#include "rtf/rtftokenizer.h"

#include "forms/hexdigit.h"

#include <limits>

namespace Rtf {

namespace {

    bool isLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

    // The bytes that end a run of plain text.
    struct Stops {
        bool stop[256] = {};
        constexpr Stops()
        {
            stop[static_cast<unsigned char>('{')] = stop[static_cast<unsigned char>('}')] = true;
            stop[static_cast<unsigned char>('\\')] = stop[static_cast<unsigned char>('\r')] = true;
            stop[static_cast<unsigned char>('\n')] = true;
        }
    };
    constexpr Stops stops;

} // namespace

Token Tokenizer::next()
{
    Token token;
    const qsizetype size = m_bytes.size();
    while (m_pos < size) {
        const unsigned char c = static_cast<unsigned char>(m_bytes[m_pos]);
        switch (c) {
        case '{':
            ++m_pos;
            token.kind = Token::GroupStart;
            return token;
        case '}':
            ++m_pos;
            token.kind = Token::GroupEnd;
            return token;
        case '\\':
            // A damaged escape is dropped and reading goes on here, never by calling back in:
            // a file may hold millions of them in a row.
            if (readControl(&token))
                return token;
            token = Token();
            continue;
        case '\r':
        case '\n':
            // Line breaks in the file are only there to keep lines short.
            ++m_pos;
            continue;
        default: {
            const qsizetype start = m_pos;
            const char* data = m_bytes.data();
            while (m_pos < size && !stops.stop[static_cast<unsigned char>(data[m_pos])])
                ++m_pos;
            token.kind = Token::Text;
            token.text = m_bytes.sliced(start, m_pos - start);
            return token;
        }
        }
    }
    return token;
}

bool Tokenizer::readControl(Token* token)
{
    ++m_pos; // the backslash
    if (m_pos >= m_bytes.size())
        return true; // a backslash at the very end: nothing more to read
    const unsigned char c = static_cast<unsigned char>(m_bytes[m_pos]);
    if (isLetter(c)) {
        *token = readWord();
        return true;
    }
    ++m_pos;
    if (c == '\'') {
        // Two hex digits make one byte. An escape with fewer is dropped with the digit it has:
        // its value is unknown, and a guess would show a control character.
        int value = 0;
        int digits = 0;
        while (digits < 2 && m_pos < m_bytes.size()) {
            const int v = hexDigitValue(static_cast<unsigned char>(m_bytes[m_pos]));
            if (v < 0)
                break;
            value = value * 16 + v;
            ++digits;
            ++m_pos;
        }
        if (digits < 2)
            return false;
        token->kind = Token::Hex;
        token->byte = static_cast<unsigned char>(value);
        return true;
    }
    token->kind = Token::Symbol;
    token->byte = c;
    return true;
}

Token Tokenizer::readWord()
{
    Token token;
    token.kind = Token::Word;
    const qsizetype size = m_bytes.size();
    const qsizetype start = m_pos;
    while (m_pos < size && isLetter(static_cast<unsigned char>(m_bytes[m_pos])))
        ++m_pos;
    if (m_pos - start <= MaxWordLength)
        token.text = m_bytes.sliced(start, m_pos - start);
    bool negative = false;
    if (m_pos + 1 < size && m_bytes[m_pos] == '-'
        && isDigit(static_cast<unsigned char>(m_bytes[m_pos + 1]))) {
        negative = true;
        ++m_pos;
    }
    if (m_pos < size && isDigit(static_cast<unsigned char>(m_bytes[m_pos]))) {
        // Every digit is read, but the value stops growing once it is past what 32 bits hold.
        constexpr std::int64_t limit = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1;
        std::int64_t value = 0;
        while (m_pos < size && isDigit(static_cast<unsigned char>(m_bytes[m_pos]))) {
            if (value <= limit)
                value = value * 10 + (m_bytes[m_pos] - '0');
            ++m_pos;
        }
        if (negative)
            value = -value;
        if (value > std::numeric_limits<std::int32_t>::max())
            value = std::numeric_limits<std::int32_t>::max();
        if (value < std::numeric_limits<std::int32_t>::min())
            value = std::numeric_limits<std::int32_t>::min();
        token.param = static_cast<std::int32_t>(value);
        token.hasParam = true;
    }
    // Only a space is the delimiter that belongs to the word.
    if (m_pos < size && m_bytes[m_pos] == ' ')
        ++m_pos;
    return token;
}

QByteArrayView Tokenizer::takeBytes(std::int64_t count)
{
    const std::int64_t left = m_bytes.size() - m_pos;
    const qsizetype n = static_cast<qsizetype>(count < 0 ? 0 : (count > left ? left : count));
    const QByteArrayView taken = m_bytes.sliced(m_pos, n);
    m_pos += n;
    return taken;
}

bool Tokenizer::takeRawTrailByte(unsigned char* byte)
{
    if (m_pos >= m_bytes.size())
        return false;
    const unsigned char c = static_cast<unsigned char>(m_bytes[m_pos]);
    if (c == '{' || c == '}') {
        *byte = c;
        ++m_pos;
        return true;
    }
    if (c != '\\')
        return false;
    // A backslash is a trail byte unless it plainly starts an escape or a control word.
    if (m_pos + 1 < m_bytes.size()) {
        const unsigned char d = static_cast<unsigned char>(m_bytes[m_pos + 1]);
        if (isLetter(d) || d == '\'' || d == '\\' || d == '{' || d == '}')
            return false;
    }
    *byte = c;
    ++m_pos;
    return true;
}

bool Tokenizer::skipGroup()
{
    std::int64_t depth = 1;
    for (;;) {
        const Token token = next();
        switch (token.kind) {
        case Token::End:
            return false;
        case Token::GroupStart:
            ++depth;
            break;
        case Token::GroupEnd:
            if (--depth == 0)
                return true;
            break;
        case Token::Word:
            if (token.text == "bin" && token.hasParam)
                takeBytes(token.param);
            break;
        default:
            break;
        }
    }
}

QByteArrayView Tokenizer::skipFallback(int count)
{
    while (count > 0) {
        const qsizetype before = m_pos;
        const Token token = next();
        switch (token.kind) {
        case Token::End:
            return {};
        case Token::GroupStart:
        case Token::GroupEnd:
            rewind(before);
            return {};
        case Token::Text:
            if (token.text.size() > count)
                return token.text.sliced(count);
            count -= int(token.text.size());
            break;
        case Token::Word:
            if (token.text == "bin" && token.hasParam)
                takeBytes(token.param);
            --count;
            break;
        default:
            --count;
            break;
        }
    }
    return {};
}

} // namespace Rtf
