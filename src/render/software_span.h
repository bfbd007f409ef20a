#pragma once
// The pixel stage of the software device: one row of a triangle at a time, texel lookup,
// shading, depth test and blending.

#include <array>
#include <cstdint>
#include <optional>

#include "render/software_pixel.h"
#include "render/tiled_texture.h"

namespace vexaframe {

// Values drawn across a triangle, all linear in window space.
enum SpanAttribute {
    kDepth,     // z / w
    kInverseW,  // 1 / w
    kU,         // the rest over w; u and v in texels
    kV,
    kRed,
    kGreen,
    kBlue,
    kSpanAttributeCount
};
using SpanAttributes = std::array<float, kSpanAttributeCount>;

// One row of a triangle: the pixels from `first` to `last`.
struct Span {
    std::uint32_t* colour;  // the target's row
    DepthValue* depth;      // the depth buffer's row
    int first, last;        // columns
    SpanAttributes start;   // at column `first`
    SpanAttributes step;    // per column
};

struct PixelState {
    bool depthTest = true;                  // less-or-equal, with writes
    const TiledTexture* texture = nullptr;  // none: the shaded colour alone
    std::optional<BlendEquation> blend;     // none: the colour replaces what was there
};

// Pixels are worked on in runs of fixed length, which the compiler turns into vector code:
// first every texel of a run is asked for, then used, so that the cache misses of a
// minified texture overlap rather than queue. Lanes past the span's end are worked out
// too, from extrapolated values, and never stored.
inline constexpr int kRun = 32;

template <class T>
using Lanes = std::array<T, kRun>;

struct SpanRun {
    int start, count;  // columns
    Lanes<DepthValue> depth;
    Lanes<DepthValue> depthBelow;  // what the depth buffer holds
    Lanes<std::uint32_t> passes;   // the depth test: all ones or 0
    Lanes<std::uint32_t> texelIndex;
    Lanes<std::uint32_t> shade;  // interpolated colour
    Lanes<std::uint32_t> texel;
    Lanes<std::uint32_t> below;  // what the target holds
};

// Paints the spans of one triangle.
class SpanPainter {
public:
    // With a uniform colour, no colour is interpolated: lit triangles are all one colour.
    SpanPainter(const PixelState& state, std::optional<std::uint32_t> uniformColour);

    void Paint(const Span& span);

    struct Shading {
        const TiledTexture* texture;
        std::uint32_t uniformColour;
        BlendEquation blend;
    };
    using Filler = void (*)(const Span&, const Shading&, std::array<SpanRun, 2>&);

private:
    Shading shading_;
    Filler fill_;
    std::array<SpanRun, 2> runs_{};  // every lane defined, also those no span reaches
};

}  // namespace vexaframe
