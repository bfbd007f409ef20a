#include "noise.h"

#include <cmath>

namespace vexaframe::samples {

std::uint32_t Hash(std::int32_t x, std::int32_t y, std::uint32_t seed) {
    std::uint32_t h = seed ^ 0x9E3779B9u;
    h ^= static_cast<std::uint32_t>(x) * 0x85EBCA6Bu;
    h = (h << 13 | h >> 19) * 5 + 0xE6546B64u;
    h ^= static_cast<std::uint32_t>(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

namespace {

double LatticeValue(std::int32_t x, std::int32_t y, std::uint32_t seed) {
    return Hash(x, y, seed) * 0x1.0p-32;
}

double Fade(double t) {
    return t * t * (3 - 2 * t);
}

}  // namespace

double ValueNoise(double x, double y, std::uint32_t seed) {
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const auto ix = static_cast<std::int32_t>(fx);
    const auto iy = static_cast<std::int32_t>(fy);
    const double tx = Fade(x - fx);
    const double ty = Fade(y - fy);
    const double top = LatticeValue(ix, iy, seed) * (1 - tx) + LatticeValue(ix + 1, iy, seed) * tx;
    const double bottom =
        LatticeValue(ix, iy + 1, seed) * (1 - tx) + LatticeValue(ix + 1, iy + 1, seed) * tx;
    return top * (1 - ty) + bottom * ty;
}

double Fractal(double x, double y, int octaves, std::uint32_t seed) {
    double sum = 0;
    double weight = 0;
    double amplitude = 1;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += amplitude * ValueNoise(x, y, seed + static_cast<std::uint32_t>(octave) * 101u);
        weight += amplitude;
        amplitude *= 0.5;
        x *= 2;
        y *= 2;
    }
    return sum / weight;
}

}  // namespace vexaframe::samples
