#pragma once
// Per-pixel arithmetic of the software device: packed 0xAARRGGBB colours with 8-bit
// channels (the target keeps no alpha, so only red, green and blue are worked on), and
// conversions from interpolated floats. Unsigned integers and masks rather than branches,
// so that loops over pixels become vector code.

#include <algorithm>
#include <bit>
#include <cstdint>

#include "pictures/image.h"

namespace vexaframe {

inline std::uint32_t Channel(std::uint32_t colour, int shift) {
    return colour >> shift & 0xFF;
}

inline std::uint32_t PackRgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return red << 16 | green << 8 | blue;
}

// Bit by bit: where the mask is set from `set`, elsewhere from `clear`.
inline std::uint32_t Select(std::uint32_t mask, std::uint32_t set, std::uint32_t clear) {
    return (set & mask) | (clear & ~mask);
}

// value / 255 rounded, exact up to 255 * 255, and at least 255 beyond.
inline std::uint32_t DivideBy255(std::uint32_t value) {
    const std::uint32_t half = value + 128;
    return (half + (half >> 8)) >> 8;
}

// Texture stage 0: texture colour times the shaded colour, both as fractions of 255.
inline std::uint32_t Modulate(std::uint32_t texel, std::uint32_t colour) {
    const auto product = [&](int shift) {
        return DivideBy255(Channel(texel, shift) * Channel(colour, shift)) << shift;
    };
    return product(16) | product(8) | product(0);
}

// A blend factor as constant + sourceScale * source channel, in 255ths: ZERO, ONE, SRCCOLOR
// and INVSRCCOLOR all take this shape (INVSRCCOLOR's scale is -1, modulo 2^32).
struct BlendFactor {
    std::uint32_t constant;
    std::uint32_t sourceScale;
};

struct BlendEquation {
    BlendFactor source;
    BlendFactor destination;
};

// Per channel: source * source factor + destination * destination factor, saturated.
inline std::uint32_t Blend(std::uint32_t source, std::uint32_t destination,
                           const BlendEquation& equation) {
    const BlendFactor sf = equation.source, df = equation.destination;
    const auto blended = [&](int shift) {
        const std::uint32_t s = Channel(source, shift), d = Channel(destination, shift);
        const std::uint32_t sum =
            s * (sf.constant + sf.sourceScale * s) + d * (df.constant + df.sourceScale * s);
        return std::min(DivideBy255(sum), 255u) << shift;
    };
    return blended(16) | blended(8) | blended(0);
}

// A premultiplied overlay pixel at `opacity` (0..255) over a target pixel, per channel:
// overlay * opacity + target * (1 - overlay alpha * opacity), saturated; the result opaque. The
// overlay is scaled first and rounded, as a texture stage modulating it would.
inline std::uint32_t Over(std::uint32_t overlay, std::uint32_t target, std::uint32_t opacity) {
    const std::uint32_t uncovered = 255 - DivideBy255(Channel(overlay, 24) * opacity);
    const auto over = [&](int shift) {
        const std::uint32_t sum = DivideBy255(Channel(overlay, shift) * opacity) +
                                  DivideBy255(Channel(target, shift) * uncovered);
        return std::min(sum, 255u) << shift;
    };
    return kOpaque | over(16) | over(8) | over(0);
}

// The value when it converts to int with room to spare, 0 otherwise (NaN too): values
// that far out come only from lanes past a span's end or from garbage vertices.
inline float Convertible(float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    constexpr std::uint32_t kMagnitude = 0x7FFFFFFF, kTwoToThe30 = 0x4E800000;
    const std::uint32_t keep = 0u - static_cast<std::uint32_t>((bits & kMagnitude) < kTwoToThe30);
    return std::bit_cast<float>(bits & keep);
}

inline int FloorToInt(float value) {
    const float safe = Convertible(value);
    const int truncated = static_cast<int>(safe);
    return truncated - static_cast<int>(safe < static_cast<float>(truncated));
}

inline std::uint32_t ToChannel(float value) {
    const int rounded = static_cast<int>(Convertible(value) + 0.5f);
    return static_cast<std::uint32_t>(std::clamp(rounded, 0, 255));
}

// Depth buffer values: z / w in 2^-24 steps, which is every float step from 0.5 to 1,
// where perspective puts nearly all depths. Integers keep the depth test vector code.
using DepthValue = std::int32_t;
inline constexpr DepthValue kDepthOne = 1 << 24;

inline DepthValue ToDepth(float z) {
    return std::clamp(static_cast<DepthValue>(Convertible(z * kDepthOne)), 0, kDepthOne);
}

}  // namespace vexaframe
