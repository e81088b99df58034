#include "platform/regfile.h"

#include "platform/regdata.h"
#include "platform/regtext.h"

#include <QStringList>
#include <algorithm>
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
