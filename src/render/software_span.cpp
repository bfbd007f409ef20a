#include "render/software_span.h"

#include <algorithm>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include "render/software_pixel_sse2.h"
#endif

namespace vexaframe {

namespace {

using Shading = SpanPainter::Shading;
using RunPair = std::array<SpanRun, 2>;

// Full runs copy a constant length, which compiles to a few vector moves.
template <class T>
void CopyLanes(const T* from, int count, T* to) {
    if (count == kRun)
        std::memcpy(to, from, sizeof(T) * kRun);
    else
        std::memcpy(to, from, sizeof(T) * static_cast<std::size_t>(count));
}

// A value along the span, in locals, which the compiler keeps in registers.
struct Line {
    float start, step;

    Line(const Span& span, SpanAttribute a) : start(span.start[a]), step(span.step[a]) {}
    float At(float column) const { return start + step * column; }
};

// Everything of a run that does not depend on the run before it, the depth test included:
// runs never share a pixel. Only texels that will be drawn are asked for.
template <bool kDepthTest, bool kTextured, bool kInterpolatedColour>
void PrepareRun(const Span& span, const Shading& shading, SpanRun& run) {
    const Line depth(span, kDepth), inverseW(span, kInverseW), u(span, kU), v(span, kV);
    const Line red(span, kRed), green(span, kGreen), blue(span, kBlue);
    const TexelAddressing addressing =
        kTextured ? shading.texture->Addressing() : TexelAddressing{};
    const auto offset = static_cast<float>(run.start - span.first);
    if constexpr (kDepthTest) CopyLanes(span.depth + run.start, run.count, run.depthBelow.data());
    for (int k = 0; k < kRun; ++k) {
        const float column = offset + static_cast<float>(k);
        run.depth[k] = ToDepth(depth.At(column));
        run.passes[k] = kDepthTest && run.depth[k] > run.depthBelow[k] ? 0 : ~0u;
        const float w = 1.0f / inverseW.At(column);
        if constexpr (kTextured)
            run.texelIndex[k] =
                addressing.IndexOf(FloorToInt(u.At(column) * w), FloorToInt(v.At(column) * w));
        if constexpr (kInterpolatedColour)
            run.shade[k] = PackRgb(ToChannel(red.At(column) * w), ToChannel(green.At(column) * w),
                                   ToChannel(blue.At(column) * w));
    }
    if constexpr (kTextured)
        for (int k = 0; k < run.count; ++k)
            if (run.passes[k]) shading.texture->Prefetch(run.texelIndex[k]);
}

// Every lane's pixel and depth where it passes the depth test: what `below` and `depthBelow`
// are to hold.
template <bool kTextured, bool kInterpolatedColour, bool kBlend>
void ShadeRun(const Shading& shading, SpanRun& run) {
#if defined(__SSE2__)
    using namespace sse2;
    static_assert(kRun % 4 == 0);
    const __m128i uniformColour = _mm_set1_epi32(static_cast<int>(shading.uniformColour));
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(kOpaque));
    for (int k = 0; k < kRun; k += 4) {
        const __m128i shade = kInterpolatedColour ? Load(&run.shade[k]) : uniformColour;
        const __m128i colour = kTextured ? Modulate(Load(&run.texel[k]), shade) : shade;
        const __m128i below = Load(&run.below[k]);
        const __m128i drawn = kBlend ? Blend(colour, below, shading.blend) : colour;
        const __m128i passes = Load(&run.passes[k]);
        Store(Select(passes, _mm_or_si128(drawn, opaque), below), &run.below[k]);
        Store(Select(passes, Load(&run.depth[k]), Load(&run.depthBelow[k])), &run.depthBelow[k]);
    }
#else
    const std::uint32_t uniformColour = shading.uniformColour;
    const BlendEquation blend = shading.blend;
    for (int k = 0; k < kRun; ++k) {
        const std::uint32_t shade = kInterpolatedColour ? run.shade[k] : uniformColour;
        const std::uint32_t colour = kTextured ? Modulate(run.texel[k], shade) : shade;
        const std::uint32_t drawn = kBlend ? Blend(colour, run.below[k], blend) : colour;
        run.below[k] = Select(run.passes[k], drawn | kOpaque, run.below[k]);
        run.depthBelow[k] =
            static_cast<DepthValue>(Select(run.passes[k], static_cast<std::uint32_t>(run.depth[k]),
                                           static_cast<std::uint32_t>(run.depthBelow[k])));
    }
#endif
}

template <bool kDepthTest, bool kTextured, bool kInterpolatedColour, bool kBlend>
void FillRun(const Span& span, const Shading& shading, SpanRun& run) {
    if constexpr (kTextured)
        for (int k = 0; k < run.count; ++k)
            if (run.passes[k]) run.texel[k] = shading.texture->TexelAt(run.texelIndex[k]);
    CopyLanes(span.colour + run.start, run.count, run.below.data());
    ShadeRun<kTextured, kInterpolatedColour, kBlend>(shading, run);
    CopyLanes(run.below.data(), run.count, span.colour + run.start);
    if constexpr (kDepthTest) CopyLanes(run.depthBelow.data(), run.count, span.depth + run.start);
}

// Two runs in turn: each is prepared before the one ahead of it is filled, so that its
// texels arrive while that one is drawn.
template <bool kDepthTest, bool kTextured, bool kInterpolatedColour, bool kBlend>
void FillSpan(const Span& span, const Shading& shading, RunPair& runs) {
    const auto prepare = [&](int start, SpanRun& run) {
        run.start = start;
        run.count = std::min(kRun, span.last - start + 1);
        PrepareRun<kDepthTest, kTextured, kInterpolatedColour>(span, shading, run);
    };
    prepare(span.first, runs[0]);
    for (int current = 0;; current ^= 1) {
        SpanRun& run = runs[current];
        const int next = run.start + run.count;
        if (next <= span.last) prepare(next, runs[current ^ 1]);
        FillRun<kDepthTest, kTextured, kInterpolatedColour, kBlend>(span, shading, run);
        if (next > span.last) break;
    }
}

template <std::size_t... kOptions>
constexpr std::array<SpanPainter::Filler, sizeof...(kOptions)> MakeFillers(
    std::index_sequence<kOptions...>) {
    return {&FillSpan<(kOptions & 1) != 0, (kOptions & 2) != 0, (kOptions & 4) != 0,
                      (kOptions & 8) != 0>...};
}

// One for each combination of depth test, texture, interpolated colour and blending.
constexpr auto kFillers = MakeFillers(std::make_index_sequence<16>());

}  // namespace

SpanPainter::SpanPainter(const PixelState& state, std::optional<std::uint32_t> uniformColour)
    : shading_{state.texture, uniformColour.value_or(0), state.blend.value_or(BlendEquation{})},
      fill_(kFillers[(state.depthTest ? 1 : 0) | (state.texture ? 2 : 0) | (uniformColour ? 0 : 4) |
                     (state.blend ? 8 : 0)]) {}

void SpanPainter::Paint(const Span& span) {
    fill_(span, shading_, runs_);
}

}  // namespace vexaframe
