// A mutator for the fuzz targets: besides libFuzzer's own small changes, it repeats a piece of
// the input many times over or wraps it in many levels of the same construct. The faults of
// readers of nested formats lie there (recursion as deep as the input asks, work growing with
// the square of a run or a table), and small changes alone take very long to reach them.
// A target calls mutate() from its LLVMFuzzerCustomMutator with two arrays of the same length:
// the texts that open the constructs of its format and the texts that close them ("" where
// nothing closes one).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <string_view>
#include <vector>

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

namespace StructureMutator {

// Replaces data[start, start + length) by the piece repeated count times, within maxSize.
inline std::size_t repeat(std::uint8_t* data, std::size_t size, std::size_t maxSize,
    std::size_t start, std::size_t length, std::size_t count)
{
    if (length == 0 || size > maxSize)
        return size;
    const std::vector<std::uint8_t> piece(data + start, data + start + length);
    const std::size_t room = maxSize - (size - length);
    count = std::min(count, room / length);
    if (count == 0)
        return size;
    const std::size_t grown = length * count;
    std::memmove(data + start + grown, data + start + length, size - start - length);
    for (std::size_t i = 0; i < count; ++i)
        std::memcpy(data + start + i * length, piece.data(), length);
    return size - length + grown;
}

// Wraps data[start, start + length) in count openers before it and count closers after it.
inline std::size_t nest(std::uint8_t* data, std::size_t size, std::size_t maxSize,
    std::size_t start, std::size_t length, std::string_view opener, std::string_view closer,
    std::size_t count)
{
    const std::size_t each = opener.size() + closer.size();
    if (each == 0 || size > maxSize)
        return size;
    count = std::min(count, (maxSize - size) / each);
    if (count == 0)
        return size;
    std::vector<std::uint8_t> out;
    out.reserve(size + count * each);
    out.insert(out.end(), data, data + start);
    for (std::size_t i = 0; i < count; ++i)
        out.insert(out.end(), opener.begin(), opener.end());
    out.insert(out.end(), data + start, data + start + length);
    for (std::size_t i = 0; i < count; ++i)
        out.insert(out.end(), closer.begin(), closer.end());
    out.insert(out.end(), data + start + length, data + size);
    std::memcpy(data, out.data(), out.size());
    return out.size();
}

template <std::size_t N>
std::size_t mutate(std::uint8_t* data, std::size_t size, std::size_t maxSize, unsigned seed,
    const char* const (&openers)[N], const char* const (&closers)[N])
{
    std::minstd_rand random(seed);
    const auto pick = [&](std::size_t n) { return n == 0 ? 0 : std::size_t(random() % n); };
    // Most of the time, libFuzzer's own changes.
    if (size == 0 || pick(8) != 0)
        return LLVMFuzzerMutate(data, size, maxSize);
    // Counts spread over orders of magnitude: ten, a thousand, a hundred thousand.
    const std::size_t count = std::size_t(1) << (1 + pick(18));
    const std::size_t start = pick(size);
    if (pick(2) == 0) {
        const std::size_t length = 1 + pick(std::min<std::size_t>(size - start, 64));
        return repeat(data, size, maxSize, start, length, count);
    }
    const std::size_t which = pick(N);
    const std::size_t length = pick(size - start + 1);
    return nest(data, size, maxSize, start, length, openers[which], closers[which], count);
}

} // namespace StructureMutator
