#include "paint.h"

#include <cmath>

#include "noise.h"

namespace vexaframe::samples {

Image Paint(int width, int height, int supersampling, const Shader& shader) {
    Image image(width, height);
    const double step = 1.0 / (height * supersampling);
    const double weight = 1.0 / (supersampling * supersampling);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Rgb sum;
            for (int sy = 0; sy < supersampling; ++sy) {
                for (int sx = 0; sx < supersampling; ++sx) {
                    const Point p{(x * supersampling + sx + 0.5) * step,
                                  (y * supersampling + sy + 0.5) * step};
                    sum = sum + shader(p);
                }
            }
            image.At(x, y) = Pack(sum * weight);
        }
    }
    return image;
}

double Stars(Point p, int height, double cellPixels, double density, std::uint32_t seed) {
    const double cx = p.x * height / cellPixels;
    const double cy = p.y * height / cellPixels;
    const auto ix = static_cast<std::int32_t>(std::floor(cx));
    const auto iy = static_cast<std::int32_t>(std::floor(cy));
    const std::uint32_t h = Hash(ix, iy, seed);
    if ((h & 0xFFFF) * 0x1.0p-16 >= density) return 0;
    // The star sits well inside its cell, where its glow is not cut off by the cell's edge.
    const double sx = ix + 0.2 + 0.6 * ((h >> 16) & 0xFF) / 255.0;
    const double sy = iy + 0.2 + 0.6 * ((h >> 24) & 0xFF) / 255.0;
    const double brightness = 0.25 + 0.75 * std::pow(Hash(ix, iy, seed + 1) * 0x1.0p-32, 3);
    const double distancePixels = std::hypot(cx - sx, cy - sy) * cellPixels;
    const double radius = 0.6 + 1.2 * brightness;
    return brightness * std::exp(-distancePixels * distancePixels / (radius * radius));
}

}  // namespace vexaframe::samples
