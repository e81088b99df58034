// Registry export files come from outside the program: any bytes must read without a crash, a
// hang or a leak, and what is read must hold together.
#include "platform/regfile.h"

#include <cstdint>
#include <cstdlib>

#include "structuremutator.h"

namespace {
void check(bool holds)
{
    if (!holds)
        std::abort();
}

// Looks a key up as System Info does, and checks what the answers say of each other: a value
// lives in a key that is there, reads the same from the top as from where the key's values
// begin, a key that is there has every key above it, and names match in any case.
void lookUp(const RegFile::Export& file, const QString& path, const QString& name)
{
    const RegFile::Export::Key key = file.key(path);
    const bool found = key.found;
    const std::optional<RegFile::Value> value = file.value(path, name);
    check(found || !value);
    const std::optional<RegFile::Value> fromKey = file.value(key, path, name);
    check(bool(fromKey) == bool(value) && (!value || fromKey->data == value->data));
    check(!value || RegFile::fold(value->name) == RegFile::fold(name));
    check(file.hasKey(path.toLower()) == found);
    const qsizetype parent = path.lastIndexOf(u'\\');
    if (found && parent > 0)
        check(file.hasKey(path.left(parent)));
    const std::optional<RegFile::Value> upper = file.value(path.toUpper(), name.toUpper());
    check(bool(upper) == bool(value) && (!value || upper->data == value->data));
}
}

namespace {
const char* const Openers[]
    = { "[HKEY_LOCAL_MACHINE\\", "k\\", "\"v\"=hex:00,\\\n", "\"s\"=\"\\\\", "@=dword:" };
const char* const Closers[] = { "]\n", "", "00\n", "\"\n", "\n" };
}

extern "C" std::size_t LLVMFuzzerCustomMutator(
    std::uint8_t* data, std::size_t size, std::size_t maxSize, unsigned int seed)
{
    return StructureMutator::mutate(data, size, maxSize, seed, Openers, Closers);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const RegFile::Export file(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (file.format() == RegFile::Format::Invalid)
        check(!file.hasKey(u"") && !file.hasKey(u"HKEY_LOCAL_MACHINE"));
    lookUp(file, QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
        QStringLiteral("PATH"));
    lookUp(file, QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location"),
        QStringLiteral("MSINFO"));
    lookUp(file, QStringLiteral("HKEY_LOCAL_MACHINE\\k\\k"), QStringLiteral("v"));
    lookUp(file, QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE"), QString());
    return 0;
}
