#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// Registry export files, the text format the program itself lists as "Registry Files": either
// "REGEDIT4" in the ANSI code page or "Windows Registry Editor Version 5.00" in UTF-16LE with a
// byte-order mark, as the registry editor writes them. Either header may also come in UTF-8 with
// a byte-order mark, and without one: such is a file saved by a text editor. An older-format file
// without a mark is UTF-8 when all of it is valid UTF-8 and some of it is not ASCII (ANSI text that
// happens to be valid UTF-8 is rare beyond belief), and ANSI otherwise.
//
// Nothing is built from the file up front. Each lookup reads it line by line and keeps only what
// concerns the key asked for (and the one value asked for), so that a lookup needs one line and
// one value of memory whatever the file holds, and its time grows with the file's size alone.
namespace RegFile {

enum class Format { Invalid, Regedit4, Version5 };

// A value as the registry keeps it: text types (1, 2, 7) hold UTF-16LE code units.
struct Value {
    QString name; // as its last definition writes it
    std::uint32_t type = 0;
    QByteArray data;
};

// Whether values of the type hold text (1 text, 2 expandable text, 7 multiple texts).
bool isTextType(std::uint32_t type);

// The UTF-16LE code units of a text value or a file, as they are: an odd last byte is dropped,
// and the bytes need not be aligned in memory.
QString fromUtf16le(QByteArrayView bytes);

// Names in the registry compare without regard to case.
QString fold(QStringView name);

// The text encodings an export comes in.
enum class Encoding { Ansi, Utf8, Utf16le };

// An export file. A file that does not begin with one of the two headers (in its own encoding)
// has format Invalid and no keys; within a valid file, a line that cannot be read is passed over,
// as importing such a file would. Key paths are names separated by backslashes, beginning with a
// root key (HKEY_LOCAL_MACHINE, ...); empty names in them are passed over.
class Export {
public:
    explicit Export(QByteArray bytes);

    Format format() const { return m_format; }
    Encoding encoding() const { return m_encoding; }

    // A key as a reading of the whole file finds it: whether it is there (a key line names it or
    // one of the keys below it, and no later line removes it or a key above it; a path of no
    // names is the file itself), and where in the text the lines that can give it values begin
    // (-1: none can).
    struct Key {
        bool found = false;
        qsizetype valuesFrom = -1;
    };
    Key key(QStringView path) const;
    bool hasKey(QStringView path) const { return key(path).found; }

    // The value of the key as its last readable definition leaves it; nothing when the key or
    // the value is not there. Given the key as found, only the lines that can give it values
    // are read.
    std::optional<Value> value(QStringView keyPath, QStringView name) const;
    std::optional<Value> value(const Key& key, QStringView keyPath, QStringView name) const;

private:
    QByteArray m_bytes;
    Format m_format = Format::Invalid;
    Encoding m_encoding = Encoding::Ansi;
    qsizetype m_textStart = 0;
};

} // namespace RegFile
