#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace vexaframe::skin {
namespace {

constexpr int kSamplesPerSide = 4;

std::uint32_t Channel(double v) {
    return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
}

// 0xAARRGGBB; fully transparent pixels are black, so an icon's colour bitmap leaves the
// screen alone where its mask lets it through.
std::uint32_t Pack(Colour c) {
    if (Channel(c.a) == 0) return 0;
    return Channel(c.a) << 24 | Channel(c.r) << 16 | Channel(c.g) << 8 | Channel(c.b);
}

Colour Premultiplied(Colour c) {
    return {c.r * c.a, c.g * c.a, c.b * c.a, c.a};
}

Colour Straight(Colour c) {
    if (c.a <= 0) return kClear;
    return {c.r / c.a, c.g / c.a, c.b / c.a, c.a};
}

}  // namespace

Colour Mix(Colour from, Colour to, double t) {
    return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t,
            from.b + (to.b - from.b) * t, from.a + (to.a - from.a) * t};
}

Colour Over(Colour top, Colour bottom) {
    const Colour t = Premultiplied(top);
    const Colour b = Premultiplied(bottom);
    const double keep = 1 - t.a;
    return Straight({t.r + b.r * keep, t.g + b.g * keep, t.b + b.b * keep, t.a + b.a * keep});
}

Colour Scaled(Colour c, double brightness) {
    return {c.r * brightness, c.g * brightness, c.b * brightness, c.a};
}

Colour Ramp(std::span<const Stop> stops, double at) {
    if (at <= stops.front().at) return stops.front().colour;
    const auto next =
        std::find_if(stops.begin(), stops.end(), [at](const Stop& stop) { return stop.at > at; });
    if (next == stops.end()) return stops.back().colour;
    const Stop& before = *(next - 1);
    return Mix(before.colour, next->colour, (at - before.at) / (next->at - before.at));
}

double BoxDistance(Point p, Point topLeft, Point bottomRight, double cornerRadius) {
    const Point centre{(topLeft.x + bottomRight.x) / 2, (topLeft.y + bottomRight.y) / 2};
    const double qx = std::abs(p.x - centre.x) - (bottomRight.x - topLeft.x) / 2 + cornerRadius;
    const double qy = std::abs(p.y - centre.y) - (bottomRight.y - topLeft.y) / 2 + cornerRadius;
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - cornerRadius;
}

double CircleDistance(Point p, Point centre, double radius) {
    return std::hypot(p.x - centre.x, p.y - centre.y) - radius;
}

double SegmentDistance(Point p, Point from, Point to) {
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    const double along = ((p.x - from.x) * dx + (p.y - from.y) * dy) / (dx * dx + dy * dy);
    const double t = std::clamp(along, 0.0, 1.0);
    return std::hypot(p.x - (from.x + dx * t), p.y - (from.y + dy * t));
}

Image Paint(int width, int height, const Shader& shader) {
    constexpr double kStep = 1.0 / kSamplesPerSide;
    constexpr double kWeight = kStep * kStep;
    return PaintPixels(width, height, [&shader](int x, int y) {
        Colour sum{0, 0, 0, 0};
        for (int sy = 0; sy < kSamplesPerSide; ++sy) {
            for (int sx = 0; sx < kSamplesPerSide; ++sx) {
                const Colour c =
                    Premultiplied(shader({x + (sx + 0.5) * kStep, y + (sy + 0.5) * kStep}));
                sum = {sum.r + c.r * kWeight, sum.g + c.g * kWeight, sum.b + c.b * kWeight,
                       sum.a + c.a * kWeight};
            }
        }
        return Straight(sum);
    });
}

Image PaintPixels(int width, int height, const PixelShader& shader) {
    Image image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) image.At(x, y) = Pack(shader(x, y));
    }
    return image;
}

}  // namespace vexaframe::skin
