#pragma once
// Plane geometry shared by the raster and the vector pictures.

#include <cmath>

namespace vexaframe::samples {

inline constexpr double kPi = 3.14159265358979323846;

// y runs 0..1 down the picture and x 0..aspect across it, so shapes keep their proportions
// at any size.
struct Point {
    double x;
    double y;
};

inline Point operator+(Point a, Point b) {
    return {a.x + b.x, a.y + b.y};
}
inline Point operator-(Point a, Point b) {
    return {a.x - b.x, a.y - b.y};
}
inline Point operator*(Point a, double k) {
    return {a.x * k, a.y * k};
}
inline double Length(Point a) {
    return std::hypot(a.x, a.y);
}

// The point at `radius` from the origin in direction `angle` (radians, clockwise on screen).
inline Point Polar(double radius, double angle) {
    return {radius * std::cos(angle), radius * std::sin(angle)};
}

inline Point Rotate(Point a, double angle) {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    return {a.x * c - a.y * s, a.x * s + a.y * c};
}

}  // namespace vexaframe::samples
