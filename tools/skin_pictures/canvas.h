#pragma once
// Drawing for the skin. Coordinates are pixels (x right, y down, a pixel's centre at +0.5);
// shapes are signed distances, negative inside; colours carry a coverage.

#include <cstdint>
#include <functional>
#include <span>

#include "pictures/image.h"

namespace vexaframe::skin {

struct Colour {
    double r = 0;
    double g = 0;
    double b = 0;
    double a = 1;
};

// From 0xRRGGBB, the way colours are written down in the pictures.
constexpr Colour Hex(std::uint32_t rgb, double alpha = 1) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha};
}

constexpr Colour kClear{0, 0, 0, 0};

Colour Mix(Colour from, Colour to, double t);
Colour Over(Colour top, Colour bottom);
Colour Scaled(Colour c, double brightness);

// A colour ramp through stops at increasing positions, flat beyond the ends.
struct Stop {
    double at;
    Colour colour;
};
Colour Ramp(std::span<const Stop> stops, double at);

struct Point {
    double x;
    double y;
};

double BoxDistance(Point p, Point topLeft, Point bottomRight, double cornerRadius);
double CircleDistance(Point p, Point centre, double radius);
double SegmentDistance(Point p, Point from, Point to);  // unsigned: the distance to the segment

// Whether a point `distance` from a shape's edge lies on its rim, `width` pixels inward.
inline bool OnRim(double distance, double width) {
    return distance <= 0 && distance > -width;
}

// Pictures drawn as a colour per point, 4 x 4 samples a pixel so edges are smooth.
using Shader = std::function<Colour(Point)>;
Image Paint(int width, int height, const Shader& shader);

// Pictures drawn a colour per pixel, for exact rows and hard-edged art.
using PixelShader = std::function<Colour(int x, int y)>;
Image PaintPixels(int width, int height, const PixelShader& shader);

}  // namespace vexaframe::skin
