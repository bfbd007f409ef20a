#include "render/software_clipper.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace vexaframe {

namespace {

// Keeps 1 / w finite for projections that put points on the eye plane inside 0 <= z <= w.
constexpr float kSmallestW = 1e-6f;

// Inside where x * p.x + y * p.y + z * p.z + w * p.w + constant >= 0.
struct ClipPlane {
    float x, y, z, w, constant;

    float SignedDistance(const Vector4& p) const {
        return x * p.x + y * p.y + z * p.z + w * p.w + constant;
    }
};

std::array<ClipPlane, kClipPlaneCount> PlanesOf(const ClipVolume& volume) {
    const float gx = volume.guardBandX, gy = volume.guardBandY;
    return {{
        {0, 0, 1, 0, 0},            // near: z >= 0
        {0, 0, -1, 1, 0},           // far: z <= w
        {1, 0, 0, gx, 0},           // guard band, left
        {-1, 0, 0, gx, 0},          // right
        {0, 1, 0, gy, 0},           // bottom
        {0, -1, 0, gy, 0},          // top
        {0, 0, 0, 1, -kSmallestW},  // in front of the eye
    }};
}

std::uint32_t OutsideMask(const Vector4& p, const std::array<ClipPlane, kClipPlaneCount>& planes) {
    std::uint32_t mask = 0;
    for (int i = 0; i < kClipPlaneCount; ++i)
        if (!(planes[i].SignedDistance(p) >= 0)) mask |= 1u << i;
    return mask;
}

// Garbage in a vertex buffer draws nothing rather than something undefined.
bool IsFinite(const ClipVertex& vertex) {
    const Vector4& p = vertex.position;
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) && std::isfinite(p.w);
}

float Lerp(float a, float b, float t) {
    return a + (b - a) * t;
}

ClipVertex Lerp(const ClipVertex& a, const ClipVertex& b, float t) {
    return {{Lerp(a.position.x, b.position.x, t), Lerp(a.position.y, b.position.y, t),
             Lerp(a.position.z, b.position.z, t), Lerp(a.position.w, b.position.w, t)},
            Lerp(a.u, b.u, t),
            Lerp(a.v, b.v, t),
            Lerp(a.red, b.red, t),
            Lerp(a.green, b.green, t),
            Lerp(a.blue, b.blue, t)};
}

// Always measured from the inside end, so that two triangles sharing an edge cut it at the
// very same point and leave no crack.
ClipVertex Crossing(const ClipVertex& inside, float insideDistance, const ClipVertex& outside,
                    float outsideDistance) {
    return Lerp(inside, outside, insideDistance / (insideDistance - outsideDistance));
}

ClippedPolygon ClipAgainst(const ClippedPolygon& polygon, const ClipPlane& plane) {
    ClippedPolygon kept;
    for (int i = 0; i < polygon.count; ++i) {
        const ClipVertex& current = polygon.vertices[i];
        const ClipVertex& next = polygon.vertices[(i + 1) % polygon.count];
        const float currentDistance = plane.SignedDistance(current.position);
        const float nextDistance = plane.SignedDistance(next.position);
        const bool currentInside = currentDistance >= 0;
        if (currentInside) kept.vertices[kept.count++] = current;
        if (currentInside != (nextDistance >= 0)) {
            kept.vertices[kept.count++] =
                currentInside ? Crossing(current, currentDistance, next, nextDistance)
                              : Crossing(next, nextDistance, current, currentDistance);
        }
    }
    return kept;
}

}  // namespace

ClippedPolygon ClipTriangle(const std::array<ClipVertex, 3>& triangle, const ClipVolume& volume) {
    ClippedPolygon polygon;
    if (!std::all_of(triangle.begin(), triangle.end(), IsFinite)) return polygon;
    const std::array<ClipPlane, kClipPlaneCount> planes = PlanesOf(volume);
    std::array<std::uint32_t, 3> outside{};
    for (int i = 0; i < 3; ++i) outside[i] = OutsideMask(triangle[i].position, planes);
    if ((outside[0] & outside[1] & outside[2]) != 0) return polygon;
    std::copy(triangle.begin(), triangle.end(), polygon.vertices.begin());
    polygon.count = 3;
    const std::uint32_t crossed = outside[0] | outside[1] | outside[2];
    for (int i = 0; i < kClipPlaneCount && polygon.count > 0; ++i)
        if (crossed & (1u << i)) polygon = ClipAgainst(polygon, planes[i]);
    return polygon;
}

}  // namespace vexaframe
