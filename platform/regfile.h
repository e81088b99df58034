#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <map>
#include <memory>

// Registry export files, the text format the program itself lists as "Registry Files": either
// "REGEDIT4" in the ANSI code page or "Windows Registry Editor Version 5.00" in UTF-16LE with a
// byte-order mark, as the registry editor writes them. Either header may also come in UTF-8 with
// a byte-order mark, and the newer one in UTF-8 without a mark: such is a file saved by a text
// editor. Reading one gives the tree of keys and values it describes.
namespace RegFile {

enum class Format { Invalid, Regedit4, Version5 };

// A value as the registry keeps it: text types (1, 2, 7) hold UTF-16LE code units.
struct Value {
    QString name;
    std::uint32_t type = 0;
    QByteArray data;
};

struct Key {
    QString name;
    std::map<QString, std::unique_ptr<Key>> subkeys; // by case-folded name
    std::map<QString, Value> values; // by case-folded name

    const Key* subkey(QStringView name) const;
    const Value* value(QStringView name) const;
    // Follows a path of names separated by backslashes; empty names are passed over.
    const Key* find(QStringView path) const;
};

// The whole file: the root's sub-keys are the root keys it names (HKEY_LOCAL_MACHINE, ...).
struct Hive {
    Format format = Format::Invalid;
    Key root;
};

// Whether values of the type hold text (1 text, 2 expandable text, 7 multiple texts).
bool isTextType(std::uint32_t type);

// The UTF-16LE code units of a text value or a file, as they are: an odd last byte is dropped,
// and the bytes need not be aligned in memory.
QString fromUtf16le(QByteArrayView bytes);

// Names in the registry compare without regard to case.
QString fold(QStringView name);

// Reads an export. A file that does not begin with one of the two headers (in its own encoding)
// gives format Invalid and no keys; within a valid file, a line that cannot be read is passed
// over, as importing such a file would.
Hive parse(QByteArrayView bytes);

} // namespace RegFile
