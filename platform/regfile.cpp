#include "platform/regfile.h"

#include "forms/hexdigit.h"
#include "platform/ansi.h"

#include <QStringList>
#include <initializer_list>
#include <optional>

namespace RegFile {

namespace {
    constexpr QStringView Header4 = u"REGEDIT4";
    constexpr QStringView Header5 = u"Windows Registry Editor Version 5.00";
    // The registry's own limits; anything longer is no key or value it could hold.
    constexpr qsizetype MaxKeyNameLength = 255;
    constexpr int MaxKeyDepth = 512;
    constexpr qsizetype MaxValueNameLength = 16383;

    const QStringList& rootKeyNames()
    {
        static const QStringList names { QStringLiteral("HKEY_CLASSES_ROOT"),
            QStringLiteral("HKEY_CURRENT_USER"), QStringLiteral("HKEY_LOCAL_MACHINE"),
            QStringLiteral("HKEY_USERS"), QStringLiteral("HKEY_CURRENT_CONFIG") };
        return names;
    }

    QByteArray utf16le(QStringView text)
    {
        QByteArray bytes;
        bytes.reserve(text.size() * 2);
        for (QChar c : text) {
            bytes.append(char(c.unicode() & 0xFF));
            bytes.append(char(c.unicode() >> 8));
        }
        return bytes;
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

    // Reads a quoted text starting at text[pos] == '"'; only \\ and \" are escapes. Leaves pos
    // behind the closing quote.
    std::optional<QString> quoted(QStringView text, qsizetype& pos)
    {
        QString out;
        for (qsizetype i = pos + 1; i < text.size(); ++i) {
            const QChar c = text[i];
            if (c == u'"') {
                pos = i + 1;
                return out;
            }
            if (c == u'\\' && i + 1 < text.size() && (text[i + 1] == u'\\' || text[i + 1] == u'"'))
                ++i;
            out.append(text[i]);
        }
        return std::nullopt;
    }

    // Comma-separated bytes of one or two hexadecimal digits, blanks allowed around them.
    std::optional<QByteArray> hexBytes(QStringView text)
    {
        QByteArray bytes;
        const QStringView list = text.trimmed();
        if (list.isEmpty())
            return bytes;
        for (QStringView item : list.split(u',')) {
            item = item.trimmed();
            if (item.size() > 2)
                return std::nullopt;
            const auto n = hexNumber(item);
            if (!n)
                return std::nullopt;
            bytes.append(char(*n));
        }
        return bytes;
    }

    class Reader {
    public:
        Reader(Hive& hive, QStringView text)
            : m_hive(hive)
            , m_lines(text.split(u'\n'))
        {
        }

        void run()
        {
            for (m_line = 1; m_line < m_lines.size(); ++m_line) {
                const QStringView line = current().trimmed();
                if (line.isEmpty() || line.startsWith(u';'))
                    continue;
                if (line.startsWith(u'['))
                    keyLine(line);
                else if (line.startsWith(u'"') || line.startsWith(u'@'))
                    valueLine(line);
            }
        }

    private:
        QStringView current() const
        {
            QStringView line = m_lines[m_line];
            if (line.endsWith(u'\r'))
                line.chop(1);
            return line;
        }

        void keyLine(QStringView line)
        {
            m_key = nullptr;
            const qsizetype close = line.lastIndexOf(u']');
            if (close < 0)
                return;
            QStringView path = line.mid(1, close - 1);
            const bool remove = path.startsWith(u'-');
            if (remove)
                path = path.mid(1);
            const QList<QStringView> names = path.split(u'\\');
            if (names.size() > MaxKeyDepth)
                return;
            for (QStringView name : names) {
                if (name.isEmpty() || name.size() > MaxKeyNameLength)
                    return;
            }
            if (!knownRoot(names.first()))
                return;
            if (remove)
                removeKey(names);
            else
                m_key = createKey(names);
        }

        static bool knownRoot(QStringView name)
        {
            for (const QString& root : rootKeyNames()) {
                if (name.compare(root, Qt::CaseInsensitive) == 0)
                    return true;
            }
            return false;
        }

        Key* createKey(const QList<QStringView>& names)
        {
            Key* key = &m_hive.root;
            for (QStringView name : names) {
                std::unique_ptr<Key>& child = key->subkeys[fold(name)];
                if (!child) {
                    child = std::make_unique<Key>();
                    child->name = name.toString();
                }
                key = child.get();
            }
            return key;
        }

        void removeKey(const QList<QStringView>& names)
        {
            Key* parent = &m_hive.root;
            for (qsizetype i = 0; i + 1 < names.size(); ++i) {
                auto it = parent->subkeys.find(fold(names[i]));
                if (it == parent->subkeys.end())
                    return;
                parent = it->second.get();
            }
            parent->subkeys.erase(fold(names.last()));
        }

        void valueLine(QStringView line)
        {
            qsizetype pos = 0;
            QString name;
            if (line.startsWith(u'@')) {
                pos = 1;
            } else {
                auto n = quoted(line, pos);
                if (!n)
                    return;
                name = std::move(*n);
            }
            while (pos < line.size() && line[pos].isSpace())
                ++pos;
            if (pos >= line.size() || line[pos] != u'=')
                return;
            const QStringView data = line.mid(pos + 1).trimmed();
            if (data == u"-") {
                if (m_key)
                    m_key->values.erase(fold(name));
                return;
            }
            // Hexadecimal data may run on over following lines, each but the last ending in '\'.
            if (data.startsWith(u"hex", Qt::CaseInsensitive)) {
                QString joined = data.toString();
                while (joined.endsWith(u'\\') && m_line + 1 < m_lines.size()) {
                    joined.chop(1);
                    ++m_line;
                    joined += current().trimmed();
                }
                setValue(name, parseHex(joined));
            } else {
                setValue(name, parseData(data));
            }
        }

        std::optional<Value> parseData(QStringView data) const
        {
            if (data.startsWith(u'"')) {
                qsizetype pos = 0;
                auto text = quoted(data, pos);
                if (!text || !data.mid(pos).trimmed().isEmpty())
                    return std::nullopt;
                return Value { QString(), 1, utf16le(*text) + QByteArray(2, '\0') };
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

        std::optional<Value> parseHex(QStringView data) const
        {
            // hex:BYTES is binary (3); hex(TYPE):BYTES gives the type in hexadecimal.
            std::uint32_t type = 3;
            QStringView rest = data.mid(3);
            if (rest.startsWith(u'(')) {
                const qsizetype close = rest.indexOf(u')');
                if (close < 0)
                    return std::nullopt;
                const auto n = hexNumber(rest.mid(1, close - 1));
                if (!n)
                    return std::nullopt;
                type = *n;
                rest = rest.mid(close + 1);
            }
            if (!rest.startsWith(u':'))
                return std::nullopt;
            auto bytes = hexBytes(rest.mid(1));
            if (!bytes)
                return std::nullopt;
            // The older format writes text types in the ANSI code page.
            if (m_hive.format == Format::Regedit4 && isTextType(type))
                bytes = utf16le(Ansi::toUnicode(*bytes));
            return Value { QString(), type, *bytes };
        }

        void setValue(const QString& name, std::optional<Value> value)
        {
            if (!m_key || !value || name.size() > MaxValueNameLength)
                return;
            value->name = name;
            m_key->values[fold(name)] = std::move(*value);
        }

        Hive& m_hive;
        QList<QStringView> m_lines;
        qsizetype m_line = 0;
        Key* m_key = nullptr;
    };

    QStringView firstLine(QStringView text)
    {
        const qsizetype end = text.indexOf(u'\n');
        return (end < 0 ? text : text.left(end)).trimmed();
    }
}

QString fold(QStringView name) { return name.toString().toCaseFolded(); }

const Key* Key::subkey(QStringView name) const
{
    const auto it = subkeys.find(fold(name));
    return it == subkeys.end() ? nullptr : it->second.get();
}

const Value* Key::value(QStringView name) const
{
    const auto it = values.find(fold(name));
    return it == values.end() ? nullptr : &it->second;
}

const Key* Key::find(QStringView path) const
{
    const Key* key = this;
    for (QStringView name : path.split(u'\\')) {
        if (name.isEmpty())
            continue;
        key = key->subkey(name);
        if (!key)
            return nullptr;
    }
    return key;
}

Hive parse(QByteArrayView bytes)
{
    Hive hive;
    QString text;
    const auto startsWith = [bytes](std::initializer_list<unsigned char> mark) {
        if (bytes.size() < qsizetype(mark.size()))
            return false;
        qsizetype i = 0;
        for (unsigned char b : mark) {
            if (static_cast<unsigned char>(bytes[i++]) != b)
                return false;
        }
        return true;
    };
    if (startsWith({ 0xFF, 0xFE })) {
        text = fromUtf16le(bytes.sliced(2));
        if (firstLine(text) == Header5)
            hive.format = Format::Version5;
    } else if (startsWith({ 0xEF, 0xBB, 0xBF })) {
        // Saved by a text editor in UTF-8 with a byte-order mark.
        text = QString::fromUtf8(bytes.sliced(3));
        const QStringView first = firstLine(text);
        if (first == Header5)
            hive.format = Format::Version5;
        else if (first == Header4)
            hive.format = Format::Regedit4;
    } else {
        text = Ansi::toUnicode(bytes);
        const QStringView first = firstLine(text);
        if (first == Header4) {
            hive.format = Format::Regedit4;
        } else if (first == Header5) {
            // The newer header without a byte-order mark: a text editor's UTF-8.
            hive.format = Format::Version5;
            text = QString::fromUtf8(bytes);
        }
    }
    if (hive.format == Format::Invalid)
        return hive;
    Reader(hive, text).run();
    return hive;
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
