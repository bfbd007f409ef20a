// Fractals and smooth patterns, drawn supersampled.

#include <cmath>
#include <complex>
#include <optional>
#include <vector>

#include "noise.h"
#include "paint.h"
#include "pictures.h"

namespace vexaframe::samples {
namespace {

using Complex = std::complex<double>;

// Iterates z² + c from z; the escape count with a fractional part that smooths the bands
// between counts, or nothing for a point that stays bounded.
std::optional<double> SmoothEscape(Complex z, Complex c, int maxIterations) {
    constexpr double kEscapeRadiusSquared = 256;
    for (int i = 0; i < maxIterations; ++i) {
        z = z * z + c;
        if (std::norm(z) > kEscapeRadiusSquared) {
            return i + 1 - std::log2(std::log(std::norm(z)) / 2);
        }
    }
    return std::nullopt;
}

struct Bubble {
    Point centre;
    double radius;
    double hue;
};

// One bubble in each cell of a coarse grid, so they spread over the whole picture.
std::vector<Bubble> ScatterBubbles(double aspect) {
    constexpr int kRows = 6;
    const int columns = static_cast<int>(std::ceil(aspect * kRows));
    Dice dice(7);
    std::vector<Bubble> bubbles;
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const Point centre{(column + dice.Next()) / kRows, (row + dice.Next()) / kRows};
            const double radius = 0.025 + 0.12 * std::pow(dice.Next(), 2);
            bubbles.push_back({centre, radius, (centre.x / aspect + centre.y) * 0.5});
        }
    }
    return bubbles;
}

// A soap bubble: clear in the middle, coloured towards its rim, with a window's highlight.
Rgb OverBubble(Rgb below, Point p, const Bubble& bubble, const Gradient& rainbow) {
    const Point offset = (p - bubble.centre) * (1 / bubble.radius);
    const double d = Length(offset);
    if (d >= 1) return below;
    const double swirl = 0.1 * std::sin(2 * std::atan2(offset.y, offset.x));
    const Rgb film = rainbow.Cyclic(bubble.hue + swirl + 0.3 * d);
    const double edge = Smoothstep(1.0, 0.96, d);
    Rgb colour = Mix(below, film, (0.12 + 0.7 * std::pow(d, 4)) * edge);
    const double highlight = std::exp(-std::pow(Length(offset - Point{-0.4, -0.42}) / 0.22, 2));
    return colour + Hex(0xFFFFFF) * (0.75 * highlight);
}

}  // namespace

Image PlasmaWaves(int width, int height) {
    static const Gradient palette{0x0B0630, 0x3A0CA3, 0x7209B7, 0xF72585,
                                  0xFF9E00, 0xFFE66D, 0x4CC9F0, 0x0B0630};
    return Paint(width, height, 2, [](Point p) {
        const Point q = p * 2.5;
        const double v =
            std::sin(q.x * 9) + std::sin(9 * (q.x * std::sin(0.7) + q.y * std::cos(0.7)) + 1.3) +
            std::sin(Length(q - Point{1.6, 0.9}) * 13) + std::sin(Length(q - Point{0.5, 2.0}) * 7);
        return palette.Cyclic(v / 8 + 0.5);
    });
}

Image JuliaSpiral(int width, int height) {
    static const Gradient palette{0x03045E, 0x0077B6, 0x00B4D8, 0x90E0EF, 0xFFFFFF,
                                  0xFFD166, 0xEF476F, 0x7B2CBF, 0x03045E};
    const double halfWidth = Aspect(width, height) / 2;
    // Turned upright, so the set's long axis runs down the portrait picture.
    return Paint(width, height, 2, [halfWidth](Point p) {
        const Complex z{(p.y - 0.5) * 3.1, (p.x - halfWidth) * 3.1};
        const auto escape = SmoothEscape(z, {-0.7269, 0.1889}, 400);
        return escape ? palette.Cyclic(std::sqrt(*escape) * 0.22) : Hex(0x050314);
    });
}

Image MandelbrotDetail(int width, int height) {
    static const Gradient palette{0x000764, 0x206BCB, 0xEDFFFF, 0xFFAA00, 0x000200, 0x000764};
    const Complex centre{-0.743643887037151, 0.131825904205330};
    const double scale = 0.0065;  // the picture's height in the plane
    const double halfWidth = Aspect(width, height) / 2;
    return Paint(width, height, 2, [=](Point p) {
        const Complex c = centre + Complex{(p.x - halfWidth) * scale, (p.y - 0.5) * scale};
        const auto escape = SmoothEscape(0, c, 1500);
        return escape ? palette.Cyclic(std::log(*escape) * 0.6) : Hex(0x000000);
    });
}

Image RainbowBubbles(int width, int height) {
    static const Gradient background{0x140B34, 0x2B1464, 0x123A73, 0x0B6E8A};
    static const Gradient rainbow{0xFF595E, 0xFFCA3A, 0x8AC926, 0x1982C4, 0x6A4C93, 0xFF595E};
    const std::vector<Bubble> bubbles = ScatterBubbles(Aspect(width, height));
    return Paint(width, height, 2, [&](Point p) {
        Rgb colour = background.At(p.y + 0.1 * (ValueNoise(p.x * 3, p.y * 3, 5) - 0.5));
        for (const Bubble& bubble : bubbles) colour = OverBubble(colour, p, bubble, rainbow);
        return colour;
    });
}

}  // namespace vexaframe::samples
