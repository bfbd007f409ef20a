#pragma once
// Pictures with an alpha channel (PNG, WebP) are shown as they would look on white paper: every
// loaded picture is opaque, whatever platform decodes it.

#include <cstdint>
#include <span>

#include "pictures/image.h"

namespace vexaframe {

// A pixel 0xAARRGGBB of straight (not premultiplied) alpha, laid over opaque white: each channel
// c becomes c * a / 255 + 255 * (1 - a / 255), rounded to the nearest.
constexpr std::uint32_t OverWhite(std::uint32_t pixel) {
    const std::uint32_t alpha = pixel >> 24;
    std::uint32_t opaque = kOpaque;
    for (const int shift : {0, 8, 16}) {
        const std::uint32_t channel = pixel >> shift & 0xFF;
        const std::uint32_t blended = (channel * alpha + 255 * (255 - alpha) + 127) / 255;
        opaque |= blended << shift;
    }
    return opaque;
}

inline void PutOverWhite(std::span<std::uint32_t> pixels) {
    for (std::uint32_t& pixel : pixels) pixel = OverWhite(pixel);
}

}  // namespace vexaframe
