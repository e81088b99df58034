#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Draws a Windows metafile (WMF) at width x height pixels through libwmf's raster device: the
// pixels as 0xAARRGGBB, premultiplied, row by row; none when the metafile cannot be played.
std::vector<std::uint32_t> drawWmf(
    const unsigned char* data, std::size_t size, int width, int height);
