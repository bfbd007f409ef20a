#pragma once
// Cuts a triangle down to the part the rasteriser may draw, in homogeneous clip space, so
// that nothing behind the eye is ever divided by its w.

#include <array>

#include "render/vector_math.h"

namespace vexaframe {

// A vertex between the vertex buffer and the screen, with the values drawn across the triangle.
struct ClipVertex {
    Vector4 position;                    // clip space
    float u = 0, v = 0;                  // texture coordinates
    float red = 0, green = 0, blue = 0;  // 0..255
};

// Near, far, the four sides of the guard band, and just in front of the eye. Each plane
// adds at most one vertex to a convex polygon.
inline constexpr int kClipPlaneCount = 7;
inline constexpr int kMaxClippedVertices = 3 + kClipPlaneCount;

struct ClippedPolygon {
    std::array<ClipVertex, kMaxClippedVertices> vertices;
    int count = 0;
};

// Besides near (z >= 0) and far (z <= w), a guard band |x|, |y| <= guardBand * w keeps
// window coordinates of huge triangles small enough for the rasteriser's fixed point.
struct ClipVolume {
    float guardBandX;
    float guardBandY;
};

// The convex part of the triangle inside the volume, as a fan around its first vertex; no
// vertices when nothing of it is inside.
ClippedPolygon ClipTriangle(const std::array<ClipVertex, 3>& triangle, const ClipVolume& volume);

}  // namespace vexaframe
