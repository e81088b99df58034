#include "wmfdraw.h"

// libwmf's headers define short macros (U16, U32 ...) that clash with C++ libraries: this file
// includes nothing else of note.
extern "C" {
#include <libwmf/api.h>
#include <libwmf/gd.h>
}

namespace {

// libwmf's raster pixels are 0xAARRGGBB with a 7-bit alpha counted the other way (0 opaque,
// 127 clear).
std::uint32_t premultiplied(int pixel)
{
    const std::uint32_t clear = (std::uint32_t(pixel) >> 24) & 0x7f;
    const std::uint32_t alpha = 255 - (clear * 255 + 63) / 127;
    const auto channel = [alpha](std::uint32_t value) { return (value * alpha + 127) / 255; };
    return alpha << 24 | channel((pixel >> 16) & 0xff) << 16 | channel((pixel >> 8) & 0xff) << 8
        | channel(pixel & 0xff);
}

} // namespace

std::vector<std::uint32_t> drawWmf(
    const unsigned char* data, std::size_t size, int width, int height)
{
    std::vector<std::uint32_t> pixels;
    wmfAPI* api = nullptr;
    wmfAPI_Options options {};
    options.function = wmf_gd_function;
    // Errors are the parent's to judge by the result: nothing is printed.
    const unsigned long flags
        = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    if (wmf_api_create(&api, flags, &options) != wmf_E_None)
        return pixels;
    wmf_gd_t* device = WMF_GD_GetData(api);
    device->type = wmf_gd_image;
    wmfD_Rect box;
    if (wmf_mem_open(api, const_cast<unsigned char*>(data), long(size)) == wmf_E_None
        && wmf_scan(api, 0, &box) == wmf_E_None) {
        device->bbox = box;
        device->width = unsigned(width);
        device->height = unsigned(height);
        if (wmf_play(api, 0, &box) == wmf_E_None && device->gd_image) {
            const int* drawn = wmf_gd_image_pixels(device->gd_image);
            if (drawn) {
                pixels.resize(std::size_t(width) * std::size_t(height));
                for (std::size_t i = 0; i < pixels.size(); ++i)
                    pixels[i] = premultiplied(drawn[i]);
            }
        }
    }
    wmf_api_destroy(api);
    return pixels;
}
