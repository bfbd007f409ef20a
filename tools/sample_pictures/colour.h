#pragma once
// Colour arithmetic for the procedural pictures: components in [0, 1], packed at the end.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace vexaframe::samples {

struct Rgb {
    double r = 0;
    double g = 0;
    double b = 0;
};

inline Rgb operator+(Rgb a, Rgb b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Rgb operator*(Rgb a, double k) {
    return {a.r * k, a.g * k, a.b * k};
}

inline double Clamp01(double v) {
    return std::clamp(v, 0.0, 1.0);
}

inline double Smoothstep(double edge0, double edge1, double v) {
    const double t = Clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

inline Rgb Mix(Rgb a, Rgb b, double t) {
    return a * (1 - t) + b * t;
}

// From 0xRRGGBB, the way colours are written down in the pictures.
constexpr Rgb Hex(std::uint32_t rgb) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}

inline std::uint8_t Channel(double v) {
    return static_cast<std::uint8_t>(std::lround(Clamp01(v) * 255));
}

// Opaque 0xAARRGGBB, the pixel layout of Image.
inline std::uint32_t Pack(Rgb c) {
    return 0xFF000000u | static_cast<std::uint32_t>(Channel(c.r)) << 16 |
           static_cast<std::uint32_t>(Channel(c.g)) << 8 | Channel(c.b);
}

// A piecewise-linear colour ramp over [0, 1] through evenly spaced stops.
class Gradient {
public:
    Gradient(std::initializer_list<std::uint32_t> stops) {
        for (std::uint32_t stop : stops) stops_.push_back(Hex(stop));
    }

    Rgb At(double t) const {
        const double scaled = Clamp01(t) * static_cast<double>(stops_.size() - 1);
        const auto low = std::min(static_cast<std::size_t>(scaled), stops_.size() - 2);
        return Mix(stops_[low], stops_[low + 1], scaled - static_cast<double>(low));
    }

    // Wraps around, for palettes that cycle (fractal bands, plasma).
    Rgb Cyclic(double t) const { return At(t - std::floor(t)); }

private:
    std::vector<Rgb> stops_;
};

}  // namespace vexaframe::samples
