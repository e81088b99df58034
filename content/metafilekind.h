#pragma once

#include <cstddef>
#include <cstdint>

// Which of the two Windows metafile formats a picture's bytes are, by their header: the view
// draws only these (through glimmer-metafile, which tells them apart the same way).
namespace Content {

enum class MetafileKind { None, Wmf, Emf };

inline std::uint32_t littleEndian32(const unsigned char* bytes)
{
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t(bytes[3]) << 24;
}

inline MetafileKind metafileKind(const unsigned char* data, std::size_t size)
{
    // An enhanced metafile begins with its header record (type 1), signed " EMF" at 40.
    if (size >= 88 && littleEndian32(data) == 1 && littleEndian32(data + 40) == 0x464D4520)
        return MetafileKind::Emf;
    // A Windows metafile begins with the placeable header's key, or with the standard header:
    // in memory or on disk (1 or 2), nine words long.
    if (size >= 22 && littleEndian32(data) == 0x9AC6CDD7)
        return MetafileKind::Wmf;
    if (size >= 18 && (data[0] == 1 || data[0] == 2) && data[1] == 0 && data[2] == 9
        && data[3] == 0)
        return MetafileKind::Wmf;
    return MetafileKind::None;
}

} // namespace Content
