#pragma once
// The per-pixel arithmetic of software_pixel.h four pixels at a time, with SSE2, which every
// x86-64 processor has: channels widened to 16 bits, so that one instruction multiplies eight
// of them, where the compiler's vector code of the per-pixel functions multiplies two 32-bit
// lanes. The results are those of the per-pixel functions, bit for bit.

#include <emmintrin.h>

#include <cstdint>

#include "render/software_pixel.h"

namespace vexaframe::sse2 {

inline __m128i Load(const std::uint32_t* lanes) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(lanes));
}
inline __m128i Load(const DepthValue* lanes) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(lanes));
}
inline void Store(__m128i value, std::uint32_t* lanes) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), value);
}
inline void Store(__m128i value, DepthValue* lanes) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), value);
}

inline __m128i Select(__m128i mask, __m128i set, __m128i clear) {
    return _mm_or_si128(_mm_and_si128(mask, set), _mm_andnot_si128(mask, clear));
}

// The channels of pixels 0 and 1 (low) and 2 and 3 (high), 16 bits each.
struct Widened {
    __m128i low, high;
};

inline Widened Widen(__m128i pixels) {
    const __m128i zero = _mm_setzero_si128();
    return {_mm_unpacklo_epi8(pixels, zero), _mm_unpackhi_epi8(pixels, zero)};
}

// Channels above 255 saturate; the alpha byte is cleared, as the per-pixel functions leave it.
inline __m128i NarrowRgb(Widened channels) {
    const __m128i rgb = _mm_set1_epi32(0x00FFFFFF);
    return _mm_and_si128(_mm_packus_epi16(channels.low, channels.high), rgb);
}

// DivideBy255 in 16-bit lanes: no sum in it exceeds 16 bits for values up to 255 * 255.
inline __m128i DivideBy255In16(__m128i value) {
    const __m128i half = _mm_add_epi16(value, _mm_set1_epi16(128));
    return _mm_srli_epi16(_mm_add_epi16(half, _mm_srli_epi16(half, 8)), 8);
}

inline __m128i DivideBy255In32(__m128i value) {
    const __m128i half = _mm_add_epi32(value, _mm_set1_epi32(128));
    return _mm_srli_epi32(_mm_add_epi32(half, _mm_srli_epi32(half, 8)), 8);
}

inline __m128i Modulate(__m128i texels, __m128i colours) {
    const Widened t = Widen(texels), c = Widen(colours);
    return NarrowRgb({DivideBy255In16(_mm_mullo_epi16(t.low, c.low)),
                      DivideBy255In16(_mm_mullo_epi16(t.high, c.high))});
}

// A factor of each source channel in 16-bit lanes. Direct3D's blend values all give 0..255,
// where 16-bit arithmetic agrees with the per-pixel 32-bit one.
inline __m128i FactorOf(__m128i source, BlendFactor factor) {
    return _mm_add_epi16(
        _mm_set1_epi16(static_cast<short>(factor.constant)),
        _mm_mullo_epi16(source, _mm_set1_epi16(static_cast<short>(factor.sourceScale))));
}

// Two pixels' widened channels blended: source and destination beside their factors, so that
// one multiply-add gives each channel's sum in 32 bits; the quotients, at most 510, fit 16.
inline __m128i BlendChannels(__m128i source, __m128i destination, const BlendEquation& equation) {
    const __m128i sourceFactor = FactorOf(source, equation.source);
    const __m128i destinationFactor = FactorOf(source, equation.destination);
    const auto blended = [&](auto unpack) {
        return DivideBy255In32(
            _mm_madd_epi16(unpack(source, destination), unpack(sourceFactor, destinationFactor)));
    };
    return _mm_packs_epi32(blended([](__m128i a, __m128i b) { return _mm_unpacklo_epi16(a, b); }),
                           blended([](__m128i a, __m128i b) { return _mm_unpackhi_epi16(a, b); }));
}

inline __m128i Blend(__m128i source, __m128i destination, const BlendEquation& equation) {
    const Widened s = Widen(source), d = Widen(destination);
    return NarrowRgb(
        {BlendChannels(s.low, d.low, equation), BlendChannels(s.high, d.high, equation)});
}

}  // namespace vexaframe::sse2
