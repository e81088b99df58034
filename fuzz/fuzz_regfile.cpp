// Registry export files come from outside the program: any bytes must read without a crash, a
// hang or a leak, and what is read must hold together.
#include "platform/regfile.h"

#include <cstdint>
#include <cstdlib>

#include "structuremutator.h"

namespace {
// Walks the tree as a lookup would and checks that every entry is filed under its own name.
void walk(const RegFile::Key& key, int depth)
{
    if (depth > 513)
        std::abort();
    for (const auto& [folded, child] : key.subkeys) {
        if (!child || folded != RegFile::fold(child->name)
            || key.subkey(child->name) != child.get())
            std::abort();
        walk(*child, depth + 1);
    }
    for (const auto& [folded, value] : key.values) {
        if (folded != RegFile::fold(value.name) || key.value(value.name) != &value)
            std::abort();
    }
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
    const RegFile::Hive hive
        = RegFile::parse(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (hive.format == RegFile::Format::Invalid && !hive.root.subkeys.empty())
        std::abort();
    walk(hive.root, 0);
    hive.root.find(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
    return 0;
}
