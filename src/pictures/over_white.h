#pragma once
// Every picture is shown opaque: what a picture leaves translucent is drawn over white.

#include <cstdint>

#include "pictures/image.h"

namespace vexaframe {

// A 0xAARRGGBB pixel over opaque white: each colour c at alpha a becomes
// c * a / 255 + 255 * (255 - a) / 255, rounded; the alpha 0xFF.
constexpr std::uint32_t OverWhite(std::uint32_t argb) {
    const std::uint32_t alpha = argb >> 24;
    std::uint32_t opaque = kOpaque;
    for (const int shift : {0, 8, 16}) {
        const std::uint32_t colour = argb >> shift & 0xFF;
        const std::uint32_t mixed = (colour * alpha + 255 * (255 - alpha) + 127) / 255;
        opaque |= mixed << shift;
    }
    return opaque;
}

}  // namespace vexaframe
