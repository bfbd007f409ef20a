// The program's icon, a cube with pictures on its faces, and the pointer, a pointing hand.

#include <algorithm>
#include <array>
#include <cmath>

#include "pictures.h"

namespace vexaframe::skin {
namespace {

constexpr int kSide = 32;
constexpr Colour kEdge = Hex(0x101C48);

// A face of the cube: the points origin + u * across + v * down, u and v in [0, 1].
struct Face {
    Point origin;
    Point across;
    Point down;

    // The point's (u, v) on the face's plane.
    Point Local(Point p) const {
        const double dx = p.x - origin.x;
        const double dy = p.y - origin.y;
        const double det = across.x * down.y - across.y * down.x;
        return {(dx * down.y - dy * down.x) / det, (across.x * dy - across.y * dx) / det};
    }
};

// The cube seen from above its front edge: three faces around the nearest corner.
constexpr Point kTop{16, 1.5};
constexpr Point kUpperLeft{2.5, 8.5};
constexpr Point kUpperRight{29.5, 8.5};
constexpr Point kNear{16, 15.5};
constexpr Point kLowerLeft{2.5, 23.5};
constexpr Point kLowerRight{29.5, 23.5};
constexpr Point kBottom{16, 30.5};
constexpr Face kTopFace{kUpperLeft, {13.5, 7}, {13.5, -7}};
constexpr Face kLeftFace{kUpperLeft, {13.5, 7}, {0, 15}};
constexpr Face kRightFace{kNear, {13.5, -7}, {0, 15}};

bool OnFace(Point local) {
    return local.x >= 0 && local.x <= 1 && local.y >= 0 && local.y <= 1;
}

const std::array kDaySky{Stop{0, Hex(0x2A66CC)}, Stop{0.62, Hex(0xAED4F6)}};
const std::array kEveningSky{Stop{0, Hex(0x6A3C9E)}, Stop{0.45, Hex(0xE2708A)},
                             Stop{0.62, Hex(0xFFC070)}};

// A sunny valley: sky, sun and green hills.
Colour DayPicture(Point uv) {
    if (uv.y > 0.64 + 0.1 * std::sin(uv.x * 7 + 0.5))
        return Mix(Hex(0x48B066), Hex(0x1C5C36), (uv.y - 0.55) / 0.45);
    if (CircleDistance(uv, {0.7, 0.3}, 0.15) <= 0) return Hex(0xFFF4B8);
    return Ramp(kDaySky, uv.y);
}

// A sunset over the sea.
Colour EveningPicture(Point uv) {
    if (uv.y > 0.62) return Mix(Hex(0x2C4C9A), Hex(0x0E1C50), (uv.y - 0.62) / 0.38);
    if (CircleDistance(uv, {0.45, 0.62}, 0.2) <= 0) return Hex(0xFFE69A);
    return Ramp(kEveningSky, uv.y);
}

Colour TopGlass(Point uv) {
    return Mix(Hex(0xF4F8FF), Hex(0xA8BCE0), (uv.x + uv.y) / 2);
}

double CubeEdgeDistance(Point p) {
    const std::array<std::array<Point, 2>, 9> edges{{{kTop, kUpperLeft},
                                                     {kTop, kUpperRight},
                                                     {kUpperLeft, kLowerLeft},
                                                     {kUpperRight, kLowerRight},
                                                     {kLowerLeft, kBottom},
                                                     {kLowerRight, kBottom},
                                                     {kUpperLeft, kNear},
                                                     {kUpperRight, kNear},
                                                     {kNear, kBottom}}};
    double nearest = kSide;
    for (const auto& [from, to] : edges) nearest = std::min(nearest, SegmentDistance(p, from, to));
    return nearest;
}

Colour CubeFaces(Point p) {
    if (const Point uv = kTopFace.Local(p); OnFace(uv)) return TopGlass(uv);
    if (const Point uv = kLeftFace.Local(p); OnFace(uv)) return DayPicture(uv);
    if (const Point uv = kRightFace.Local(p); OnFace(uv)) return Scaled(EveningPicture(uv), 0.8);
    return kClear;
}

// The hand: a silhouette of rounded parts, outlined, with creases between the fingers.
struct Capsule {
    Point from;
    Point to;
    double radius;
};

const std::array kHandParts{
    Capsule{{12.5, 3.5}, {12.5, 16}, 2.5},   // the index finger, its tip at the hot spot
    Capsule{{17.5, 11.5}, {17.5, 17}, 2.5},  // the curled fingers
    Capsule{{22, 12.5}, {22, 17.5}, 2.4},   Capsule{{26, 14}, {26, 19}, 2.2},
    Capsule{{5, 15.5}, {10.5, 22}, 2.6},  // the thumb
};
const std::array<std::array<Point, 2>, 4> kCreases{{
    {Point{15, 11.5}, Point{15, 15.5}},
    {Point{19.9, 12.5}, Point{19.9, 16}},
    {Point{24.2, 14.5}, Point{24.2, 17.5}},
    {Point{10, 18.5}, Point{12.5, 21.5}},
}};

bool InHand(Point p) {
    if (BoxDistance(p, {9.5, 14.5}, {28.2, 27.5}, 4) <= 0) return true;
    return std::any_of(kHandParts.begin(), kHandParts.end(), [p](const Capsule& part) {
        return SegmentDistance(p, part.from, part.to) <= part.radius;
    });
}

bool OnCrease(Point p) {
    return std::any_of(kCreases.begin(), kCreases.end(), [p](const auto& crease) {
        return SegmentDistance(p, crease[0], crease[1]) < 0.5;
    });
}

bool OnOutline(Point p) {
    const std::array<Point, 4> neighbours{
        {{p.x - 1, p.y}, {p.x + 1, p.y}, {p.x, p.y - 1}, {p.x, p.y + 1}}};
    return std::any_of(neighbours.begin(), neighbours.end(), [](Point n) { return !InHand(n); });
}

}  // namespace

Image ProgramIcon() {
    return Paint(kSide, kSide, [](Point p) {
        if (CubeEdgeDistance(p) < 0.6) return kEdge;
        return CubeFaces(p);
    });
}

// Hard-edged: a pointer is drawn unscaled, where crisp pixels read best.
Image PointerHand() {
    return PaintPixels(kSide, kSide, [](int x, int y) {
        const Point p{x + 0.5, y + 0.5};
        if (!InHand(p)) return kClear;
        return OnOutline(p) || OnCrease(p) ? Hex(0x000000) : Hex(0xFFFFFF);
    });
}

}  // namespace vexaframe::skin
