#pragma once
// Pictures drawn as a colour per point.

#include <functional>

#include "colour.h"
#include "geometry.h"
#include "pictures/image.h"

namespace vexaframe::samples {

using Shader = std::function<Rgb(Point)>;

// The picture's width in the shaders' units, its height being 1.
inline double Aspect(int width, int height) {
    return static_cast<double>(width) / height;
}

// Averages supersampling² samples per pixel; 1 keeps edges hard and colours exact, which
// flat-colour pictures for a 256-colour palette need.
Image Paint(int width, int height, int supersampling, const Shader& shader);

// Faint to bright stars scattered at random; `density` is the chance of a star per cell of
// `cellPixels` (given in pixels of a picture `height` pixels high).
double Stars(Point p, int height, double cellPixels, double density, std::uint32_t seed);

}  // namespace vexaframe::samples
