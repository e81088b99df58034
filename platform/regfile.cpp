#include "platform/regfile.h"

#include "forms/hexdigit.h"
#include "platform/ansi.h"

#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <cstring>
#include <initializer_list>

namespace RegFile {

namespace {
    constexpr QStringView Header4 = u"REGEDIT4";
    constexpr QStringView Header5 = u"Windows Registry Editor Version 5.00";
    // The registry's own limits; anything longer is no key or value it could hold.
    constexpr qsizetype MaxKeyNameLength = 255;
    constexpr qsizetype MaxKeyDepth = 512;
    constexpr qsizetype MaxValueNameLength = 16383;

    const QStringList& rootKeyNames()
    {
        static const QStringList names { QStringLiteral("HKEY_CLASSES_ROOT"),
            QStringLiteral("HKEY_CURRENT_USER"), QStringLiteral("HKEY_LOCAL_MACHINE"),
            QStringLiteral("HKEY_USERS"), QStringLiteral("HKEY_CURRENT_CONFIG") };
        return names;
    }

    bool knownRoot(QStringView name)
    {
        for (const QString& root : rootKeyNames()) {
            if (name.compare(root, Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    }

    // Whether the name folds to the folded text. Folding ASCII is lowering its letters; any other
    // name is folded in scratch, a buffer kept from name to name.
    bool sameName(QStringView name, QStringView folded, QString& scratch)
    {
        for (QChar c : name) {
            if (c.unicode() >= 0x80) {
                scratch.resize(name.size());
                std::copy(name.begin(), name.end(), scratch.begin());
                scratch = std::move(scratch).toCaseFolded();
                return scratch == folded;
            }
        }
        if (name.size() != folded.size())
            return false;
        for (qsizetype i = 0; i < name.size(); ++i) {
            char16_t c = name[i].unicode();
            if (c >= u'A' && c <= u'Z')
                c += u'a' - u'A';
            if (c != folded[i].unicode())
                return false;
        }
        return true;
    }

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

    // Every byte's character in the ANSI code page.
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

    // Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing beyond
    // U+10FFFF) holding at least one character beyond ASCII.
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

    // The lines of the text one at a time, each decoded on its own into the same buffer: a file
    // of any shape costs one line of memory, and a line no allocation once the buffer has grown.
    // Lines end at LF; a text of n line feeds has n + 1 lines.
    class LineReader {
    public:
        LineReader(QByteArrayView text, Encoding encoding, qsizetype from = 0)
            : m_text(text)
            , m_encoding(encoding)
            , m_utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless)
            , m_pos(from)
        {
        }

        // Where the next line begins.
        qsizetype position() const { return m_pos; }

        // The next line, without its LF; false once the text is used up.
        bool next(QString& line)
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

        // Passes over the lines ahead that hold nothing but ASCII blanks, without decoding them:
        // a file of blank lines reads as fast as its bytes can be looked at.
        void skipBlankLines()
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

    private:
        qsizetype unitSize() const { return m_encoding == Encoding::Utf16le ? 2 : 1; }

        // Where the current line's LF is, or the end of the text.
        qsizetype lineEnd() const
        {
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

        void decode(QByteArrayView bytes, QString& line)
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

        QByteArrayView m_text;
        Encoding m_encoding;
        QStringDecoder m_utf8;
        qsizetype m_pos;
    };

    QString firstLine(QByteArrayView text, Encoding encoding)
    {
        LineReader lines(text, encoding);
        QString line;
        lines.next(line);
        return QStringView(line).trimmed().toString();
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

    // Where the quoted text starting at text[pos] == '"' ends, behind its closing quote; only
    // \\ and \" are escapes.
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

    // The text between the quotes, its escapes undone, into out.
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

    // Text data ("...") or a 32-bit number (dword:1 to 8 hexadecimal digits); scratch is a
    // buffer kept from value to value.
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

    // The data of a value written in hexadecimal, given piece by piece as its lines are joined:
    // what follows "hex" is an optional type in hexadecimal in parentheses (binary, 3, without
    // it), a colon, and bytes of one or two hexadecimal digits separated by commas, blanks allowed
    // around each. A blank list holds no bytes; an empty item spoils the list.
    class HexData {
    public:
        explicit HexData(bool ansiText)
            : m_ansiText(ansiText)
        {
        }

        void feed(QStringView text)
        {
            for (qsizetype i = 0; i < text.size() && m_state != State::Invalid; ++i)
                step(text[i]);
        }

        std::optional<Value> finish()
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

    private:
        // Start: behind "hex"; Type: in the parentheses; Lead, Digits, Trail: before, in and
        // after the digits of one byte.
        enum class State { Start, Type, AfterType, Lead, Digits, Trail, Invalid };

        void step(QChar c)
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

        void typeDigit(QChar c, int digit)
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

        void listCharacter(QChar c, int digit)
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

        bool m_ansiText;
        State m_state = State::Start;
        std::uint32_t m_type = 3; // binary
        std::uint32_t m_typeRead = 0;
        int m_typeDigits = 0;
        int m_byte = 0;
        int m_byteDigits = 0;
        qsizetype m_items = 0; // commas so far
        QByteArray m_bytes;
    };

    // What a key line does to the key looked for.
    enum class KeyLine {
        Other, // nothing: another key, or no key at all
        NamesIt,
        NamesOneBelow, // and with it every key on the way, the one looked for among them
        RemovesIt, // with the keys below it, as the removal of a key above it does
    };

    // A key line: "[path]" names a key (and every key on the way to it), "[-path]" removes a key
    // with all below it. A path with an empty name, a name too long, too many names or a root
    // that is none of the five is no key at all. Reading stops at the first name that differs
    // from the key's: such a line does nothing to it either way.
    KeyLine readKeyLine(QStringView line, const QStringList& wanted, QString& scratch)
    {
        const qsizetype close = line.lastIndexOf(u']');
        if (close < 0)
            return KeyLine::Other;
        QStringView path = line.mid(1, close - 1);
        const bool removal = path.startsWith(u'-');
        if (removal)
            path = path.mid(1);
        qsizetype depth = 0;
        for (qsizetype start = 0;;) {
            qsizetype end = path.indexOf(u'\\', start);
            if (end < 0)
                end = path.size();
            const QStringView name = path.sliced(start, end - start);
            if (name.isEmpty() || name.size() > MaxKeyNameLength || depth == MaxKeyDepth)
                return KeyLine::Other;
            if (depth == 0 && !knownRoot(name))
                return KeyLine::Other;
            if (depth < wanted.size() && !sameName(name, wanted[depth], scratch))
                return KeyLine::Other;
            ++depth;
            if (end == path.size())
                break;
            start = end + 1;
        }
        if (removal)
            return depth <= wanted.size() ? KeyLine::RemovesIt : KeyLine::Other;
        if (depth < wanted.size())
            return KeyLine::Other;
        return depth == wanted.size() ? KeyLine::NamesIt : KeyLine::NamesOneBelow;
    }

    qsizetype trailingBackslashes(QStringView text)
    {
        qsizetype n = 0;
        while (n < text.size() && text[text.size() - 1 - n] == u'\\')
            ++n;
        return n;
    }

    // One reading of the file for one key, and perhaps one of its values: what its lines say of
    // them, in order, a later line overriding an earlier one. Everything else is passed over.
    // Reading for a value may begin where an earlier reading found the key's values to begin.
    class Lookup {
    public:
        Lookup(QByteArrayView text, Encoding encoding, Format format, QStringView keyPath,
            std::optional<QStringView> valueName, qsizetype valuesFrom = -1)
            : m_lines(text, encoding, qMax<qsizetype>(valuesFrom, 0))
            , m_ansiText(format == Format::Regedit4)
            , m_fromTheTop(valuesFrom < 0)
        {
            for (QStringView name : keyPath.tokenize(u'\\', Qt::SkipEmptyParts))
                m_path.append(fold(name));
            m_keyFound = m_path.isEmpty() || !m_fromTheTop;
            m_inKey = !m_fromTheTop;
            if (valueName)
                m_valueName = fold(*valueName);
        }

        void run()
        {
            if (m_fromTheTop && !m_lines.next(m_line))
                return; // the header, read already
            for (;;) {
                m_lines.skipBlankLines();
                if (!m_lines.next(m_line))
                    break;
                const QStringView text = QStringView(m_line).trimmed();
                if (text.isEmpty() || text.startsWith(u';'))
                    continue;
                if (text.startsWith(u'['))
                    keyLine(text);
                else if (text.startsWith(u'"') || text.startsWith(u'@'))
                    valueLine(text);
            }
        }

        bool keyFound() const { return m_keyFound; }
        qsizetype valuesFrom() const { return m_valuesFrom; }
        const std::optional<Value>& value() const { return m_value; }

    private:
        void keyLine(QStringView line)
        {
            const KeyLine effect = readKeyLine(line, m_path, m_scratch);
            m_inKey = effect == KeyLine::NamesIt;
            if (effect == KeyLine::NamesIt || effect == KeyLine::NamesOneBelow) {
                m_keyFound = true;
                // No line before the first of the key's own since it was last removed can give it
                // a value.
                if (m_inKey && m_valuesFrom < 0)
                    m_valuesFrom = m_lines.position();
            } else if (effect == KeyLine::RemovesIt) {
                m_keyFound = false;
                m_value.reset();
                m_valuesFrom = -1;
            }
        }

        // A value line: "name" or @ (the default value), '=' and the data; data "-" removes the
        // value.
        void valueLine(QStringView line)
        {
            qsizetype pos = 1;
            QStringView quotedName;
            if (line.startsWith(u'"')) {
                const auto end = quotedEnd(line, 0);
                if (!end)
                    return;
                quotedName = line.sliced(1, *end - 2);
                pos = *end;
            }
            while (pos < line.size() && line[pos].isSpace())
                ++pos;
            if (pos >= line.size() || line[pos] != u'=')
                return;
            const QStringView data = line.mid(pos + 1).trimmed();
            QString& name = m_name;
            bool wanted = false;
            if (m_inKey && m_valueName) {
                unquote(quotedName, name);
                wanted = sameName(name, *m_valueName, m_scratch);
            }
            const bool hex = data.startsWith(u"hex", Qt::CaseInsensitive);
            if (!wanted) {
                if (hex)
                    joinLines(data, nullptr);
            } else if (data == u"-") {
                m_value.reset();
            } else if (hex) {
                HexData bytes(m_ansiText);
                joinLines(data.mid(3), &bytes);
                setValue(name, bytes.finish());
            } else {
                setValue(name, parseData(data, m_scratch));
            }
        }

        // Hexadecimal data may run on over the following lines, each but the last ending in '\':
        // while the data so far ends in a backslash and a line follows, the backslash goes and
        // the next line, trimmed, is added. The data goes to hex as it is joined (nowhere without
        // it), and the lines it takes are read no further.
        void joinLines(QStringView data, HexData* hex)
        {
            qsizetype pending = trailingBackslashes(data);
            if (hex) {
                hex->feed(data.chopped(pending));
                // The line the data began on is read: a long one gives its memory back before the
                // bytes of the value take theirs (data is no longer looked at).
                if (m_line.capacity() > LongLine)
                    m_line = QString();
            }
            while (pending > 0 && m_lines.next(m_joined)) {
                --pending;
                const QStringView piece = QStringView(m_joined).trimmed();
                if (piece.isEmpty())
                    continue;
                const qsizetype ends = trailingBackslashes(piece);
                // A backslash left over stays in the data, and no byte list holds one.
                if (hex && pending > 0)
                    hex->feed(u"\\");
                if (hex)
                    hex->feed(piece.chopped(ends));
                pending = ends;
            }
            if (hex && pending > 0)
                hex->feed(u"\\");
        }

        void setValue(const QString& name, std::optional<Value> value)
        {
            if (!value || name.size() > MaxValueNameLength)
                return;
            value->name = name;
            m_value = std::move(value);
        }

        LineReader m_lines;
        bool m_ansiText;
        bool m_fromTheTop; // or from where the key's values begin
        qsizetype m_valuesFrom = -1;
        QStringList m_path; // the key's names, folded
        std::optional<QString> m_valueName; // folded
        bool m_keyFound = false;
        bool m_inKey = false; // the lines read are the key's own
        static constexpr qsizetype LongLine = 64 * 1024;
        QString m_line; // the line being read
        QString m_joined; // a line that continues a value
        QString m_name; // the name of the value on the line
        QString m_scratch; // for names folded and texts unquoted
        std::optional<Value> m_value;
    };
}

QString fold(QStringView name) { return name.toString().toCaseFolded(); }

Export::Export(QByteArray bytes)
    : m_bytes(std::move(bytes))
{
    const auto startsWith = [this](std::initializer_list<unsigned char> mark) {
        if (m_bytes.size() < qsizetype(mark.size()))
            return false;
        qsizetype i = 0;
        for (unsigned char b : mark) {
            if (static_cast<unsigned char>(m_bytes[i++]) != b)
                return false;
        }
        return true;
    };
    if (startsWith({ 0xFF, 0xFE })) {
        m_encoding = Encoding::Utf16le;
        m_textStart = 2;
        if (firstLine(QByteArrayView(m_bytes).sliced(2), m_encoding) == Header5)
            m_format = Format::Version5;
    } else if (startsWith({ 0xEF, 0xBB, 0xBF })) {
        // Saved by a text editor in UTF-8 with a byte-order mark.
        m_encoding = Encoding::Utf8;
        m_textStart = 3;
        const QString first = firstLine(QByteArrayView(m_bytes).sliced(3), m_encoding);
        if (first == Header5)
            m_format = Format::Version5;
        else if (first == Header4)
            m_format = Format::Regedit4;
    } else {
        const QString first = firstLine(m_bytes, Encoding::Ansi);
        if (first == Header4) {
            m_format = Format::Regedit4;
            // A text editor's UTF-8 without a mark, or the ANSI file it always was.
            if (isUtf8BeyondAscii(m_bytes))
                m_encoding = Encoding::Utf8;
        } else if (first == Header5) {
            // The newer header without a byte-order mark: a text editor's UTF-8.
            m_format = Format::Version5;
            m_encoding = Encoding::Utf8;
        }
    }
}

Export::Key Export::key(QStringView path) const
{
    if (m_format == Format::Invalid)
        return {};
    Lookup lookup(
        QByteArrayView(m_bytes).sliced(m_textStart), m_encoding, m_format, path, std::nullopt);
    lookup.run();
    return lookup.keyFound() ? Key { true, lookup.valuesFrom() } : Key {};
}

std::optional<Value> Export::value(QStringView keyPath, QStringView name) const
{
    if (m_format == Format::Invalid)
        return std::nullopt;
    Lookup lookup(QByteArrayView(m_bytes).sliced(m_textStart), m_encoding, m_format, keyPath, name);
    lookup.run();
    return lookup.keyFound() ? lookup.value() : std::nullopt;
}

std::optional<Value> Export::value(const Key& key, QStringView keyPath, QStringView name) const
{
    if (!key.found || key.valuesFrom < 0)
        return std::nullopt;
    Lookup lookup(QByteArrayView(m_bytes).sliced(m_textStart), m_encoding, m_format, keyPath, name,
        key.valuesFrom);
    lookup.run();
    return lookup.value();
}

bool isTextType(std::uint32_t type) { return type == 1 || type == 2 || type == 7; }

QString fromUtf16le(QByteArrayView bytes)
{
    const qsizetype units = bytes.size() / 2;
    QString text(units, Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < units; ++i) {
        const auto lo = static_cast<unsigned char>(bytes[2 * i]);
        const auto hi = static_cast<unsigned char>(bytes[2 * i + 1]);
        out[i] = QChar(char16_t(lo | (hi << 8)));
    }
    return text;
}

} // namespace RegFile
