// Vector art for the metafile samples: bold flat shapes, gradients as bands.

#include <array>
#include <cmath>
#include <utility>
#include <vector>

#include "colour.h"
#include "geometry.h"
#include "noise.h"
#include "pictures.h"

namespace vexaframe::samples {
namespace {

// Draws in the same coordinates as the raster pictures (height 1, width the aspect) and
// scales them to the metafile's logical units.
class Sketch {
public:
    Sketch(std::int16_t width, std::int16_t height)
        : metafile_(width, height, kMetafileUnitsPerInch),
          unitsPerHeight_(height),
          aspect_(static_cast<double>(width) / height) {}

    double Aspect() const { return aspect_; }

    void Fill(std::uint32_t rgb) {
        metafile_.SetFill(rgb);
        if (!outlined_) metafile_.SetOutline(rgb, 0);
    }
    void Fill(Rgb colour) { Fill(Pack(colour) & 0xFFFFFF); }

    // Shapes drawn next get an outline of their own colour.
    void Outline(std::uint32_t rgb, double width) {
        outlined_ = true;
        metafile_.SetOutline(rgb, static_cast<std::int16_t>(std::lround(width * unitsPerHeight_)));
    }

    // Shapes drawn next are edged in their fill colour. Without any edge, players leave
    // rectangles a pixel short on the right and at the bottom, and a seam shows between
    // neighbours.
    void SameColourEdges() { outlined_ = false; }

    void Box(Point topLeft, Point bottomRight) { metafile_.Rectangle(Rect(topLeft, bottomRight)); }
    void Oval(Point centre, double rx, double ry) {
        metafile_.Ellipse(Rect(centre - Point{rx, ry}, centre + Point{rx, ry}));
    }
    void Disc(Point centre, double radius) { Oval(centre, radius, radius); }

    void Shape(const std::vector<Point>& points) {
        std::vector<MetaPoint> units;
        for (Point p : points) units.push_back({Unit(p.x), Unit(p.y)});
        metafile_.Polygon(units);
    }

    // An ellipse turned by `angle`, which the metafile's own ellipse cannot do.
    void TurnedOval(Point centre, double rx, double ry, double angle) {
        std::vector<Point> points;
        for (int i = 0; i < 32; ++i) {
            const double a = 2 * kPi * i / 32;
            points.push_back(centre + Rotate({rx * std::cos(a), ry * std::sin(a)}, angle));
        }
        Shape(points);
    }

    // A pie slice from angle `from` to `to`, clockwise.
    void Wedge(Point centre, double radius, double from, double to) {
        std::vector<Point> points{centre};
        for (int i = 0; i <= 24; ++i)
            points.push_back(centre + Polar(radius, from + (to - from) * i / 24));
        Shape(points);
    }

    // Horizontal bands stepping through the gradient, top to bottom.
    void Bands(const Gradient& gradient, double top, double bottom, int count) {
        for (int i = 0; i < count; ++i) {
            Fill(gradient.At((i + 0.5) / count));
            Box({0, top + (bottom - top) * i / count},
                {aspect_, top + (bottom - top) * (i + 1) / count});
        }
    }

    Metafile Finish() { return std::move(metafile_); }

private:
    std::int16_t Unit(double v) const {
        return static_cast<std::int16_t>(std::lround(v * unitsPerHeight_));
    }
    MetaRect Rect(Point a, Point b) const { return {Unit(a.x), Unit(a.y), Unit(b.x), Unit(b.y)}; }

    Metafile metafile_;
    double unitsPerHeight_;
    double aspect_;
    bool outlined_ = false;
};

// --- Mountain lake ---

// A mountain range as peaks (x, height above the base line) joined by straight slopes.
std::vector<Point> RangeOutline(const std::vector<Point>& peaks, double base, double aspect) {
    std::vector<Point> outline{{0, base}};
    for (Point peak : peaks) outline.push_back({peak.x * aspect, base - peak.y});
    outline.push_back({aspect, base});
    return outline;
}

std::vector<Point> Mirrored(const std::vector<Point>& points, double axis) {
    std::vector<Point> mirrored;
    for (Point p : points) mirrored.push_back({p.x, 2 * axis - p.y});
    return mirrored;
}

// Snow on each peak: the top `depth` of the slopes either side.
void SnowCaps(Sketch& sketch, const std::vector<Point>& outline, double depth) {
    for (std::size_t i = 1; i + 1 < outline.size(); ++i) {
        const Point peak = outline[i];
        const Point before = outline[i - 1];
        const Point after = outline[i + 1];
        if (peak.y >= before.y || peak.y >= after.y) continue;
        const auto down = [&](Point towards) {
            const double t = std::min(1.0, depth / (towards.y - peak.y));
            return peak + (towards - peak) * t;
        };
        const Point left = down(before);
        const Point right = down(after);
        const Point middle{peak.x, std::max(left.y, right.y) - depth * 0.3};
        sketch.Shape({peak,
                      right,
                      {(peak.x + right.x) / 2, right.y - depth * 0.35},
                      middle,
                      {(peak.x + left.x) / 2, left.y - depth * 0.25},
                      left});
    }
}

void PineTree(Sketch& sketch, Point foot, double height) {
    sketch.Fill(0x5C3D2E);
    sketch.Box(foot - Point{height * 0.05, height * 0.18}, foot + Point{height * 0.05, 0});
    sketch.Fill(0x1B4332);
    for (int tier = 0; tier < 3; ++tier) {
        const double base = foot.y - height * (0.12 + 0.25 * tier);
        const double halfWidth = height * (0.3 - 0.07 * tier);
        sketch.Shape({{foot.x - halfWidth, base},
                      {foot.x + halfWidth, base},
                      {foot.x, base - height * 0.45}});
    }
}

// A sun: a halo of the given size around a disc of the same size in every picture.
void Sun(Sketch& sketch, Point centre, double haloRadius, std::uint32_t halo,
         std::uint32_t disc) {
    sketch.Fill(halo);
    sketch.Disc(centre, haloRadius);
    sketch.Fill(disc);
    sketch.Disc(centre, 0.07);
}

void Cloud(Sketch& sketch, Point centre, double size) {
    sketch.Disc(centre, size);
    sketch.Disc(centre + Point{-size * 1.1, size * 0.35}, size * 0.65);
    sketch.Disc(centre + Point{size * 1.15, size * 0.3}, size * 0.7);
    sketch.Oval(centre + Point{0, size * 0.55}, size * 2.0, size * 0.45);
}

// --- Sailing regatta ---

struct Boat {
    Point waterline;  // middle of the hull at the water
    double size;
    std::uint32_t hull;
    std::uint32_t sail;
    std::uint32_t stripe;
};

void SailBoat(Sketch& sketch, const Boat& boat) {
    const double s = boat.size;
    const Point w = boat.waterline;
    sketch.Fill(boat.hull);
    sketch.Shape({w + Point{-0.5 * s, -0.12 * s}, w + Point{0.55 * s, -0.12 * s},
                  w + Point{0.38 * s, 0}, w + Point{-0.4 * s, 0}});
    sketch.Fill(0x3D2B1F);
    sketch.Box(w + Point{-0.02 * s, -1.1 * s}, w + Point{0.015 * s, -0.12 * s});
    sketch.Fill(boat.sail);
    sketch.Shape({w + Point{-0.04 * s, -1.05 * s}, w + Point{-0.04 * s, -0.2 * s},
                  w + Point{-0.5 * s, -0.2 * s}});
    sketch.Shape({w + Point{0.04 * s, -0.95 * s}, w + Point{0.5 * s, -0.2 * s},
                  w + Point{0.04 * s, -0.2 * s}});
    sketch.Fill(boat.stripe);
    sketch.Shape({w + Point{-0.04 * s, -0.5 * s}, w + Point{-0.04 * s, -0.4 * s},
                  w + Point{-0.29 * s, -0.4 * s}, w + Point{-0.23 * s, -0.5 * s}});
}

void Gull(Sketch& sketch, Point centre, double span) {
    const double h = span * 0.18;
    sketch.Shape({centre + Point{-span / 2, -h}, centre + Point{-span / 4, -h * 1.6}, centre,
                  centre + Point{span / 4, -h * 1.6}, centre + Point{span / 2, -h},
                  centre + Point{span / 4, -h * 1.1}, centre + Point{0, h * 0.5},
                  centre + Point{-span / 4, -h * 1.1}});
}

void Lighthouse(Sketch& sketch, Point foot, double height) {
    const double w = height * 0.12;
    for (int band = 0; band < 4; ++band) {
        sketch.Fill(band % 2 == 0 ? 0xF1FAEE : 0xD62828);
        const double top = foot.y - height * (band + 1) * 0.2;
        const double taper = w * (1 - 0.08 * band);
        sketch.Box({foot.x - taper, top}, {foot.x + taper, top + height * 0.2});
    }
    sketch.Fill(0xFFD166);
    sketch.Box({foot.x - w * 0.7, foot.y - height * 0.92},
               {foot.x + w * 0.7, foot.y - height * 0.8});
    sketch.Fill(0x1D3557);
    sketch.Shape({{foot.x - w, foot.y - height * 0.92},
                  {foot.x + w, foot.y - height * 0.92},
                  {foot.x, foot.y - height}});
}

// --- Bauhaus tiles ---

struct TileColours {
    std::uint32_t background;
    std::uint32_t figure;
    std::uint32_t accent;
};

// Three different colours of the palette, so every shape stands out from its tile.
TileColours PickTileColours(Dice& dice) {
    std::array<std::uint32_t, 7> palette{0xE63946, 0xF4C430, 0x1D3557, 0xF1FAEE,
                                         0x2A9D8F, 0x111111, 0xF4A261};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto j =
            i + static_cast<std::size_t>(dice.Next() * static_cast<double>(palette.size() - i));
        std::swap(palette[i], palette[j]);
    }
    return {palette[0], palette[1], palette[2]};
}

// One square tile: a background and a bold motif turned by a quarter `turn`s.
void BauhausTile(Sketch& sketch, Point corner, double size, int motif, int turn,
                 const TileColours& colours) {
    sketch.Fill(colours.background);
    sketch.Box(corner, corner + Point{size, size});
    const Point centre = corner + Point{size / 2, size / 2};
    // The tile's corners in turning order, so a motif can start from any of them.
    const std::array<Point, 4> corners{corner, corner + Point{size, 0}, corner + Point{size, size},
                                       corner + Point{0, size}};
    const double start = turn * kPi / 2;
    const Point pivot = corners[static_cast<std::size_t>(turn)];
    sketch.Fill(colours.figure);
    switch (motif) {
        case 0:  // quarter circle from a corner
            sketch.Wedge(pivot, size, start, start + kPi / 2);
            sketch.Fill(colours.accent);
            sketch.Wedge(pivot, size * 0.45, start, start + kPi / 2);
            break;
        case 1:  // half circle on an edge
            sketch.Wedge(centre + Polar(size / 2, start - kPi / 2), size / 2, start, start + kPi);
            break;
        case 2:  // circle in circle
            sketch.Disc(centre, size * 0.42);
            sketch.Fill(colours.accent);
            sketch.Disc(centre, size * 0.2);
            break;
        case 3:  // half the tile, cut on the diagonal
            sketch.Shape({corners[static_cast<std::size_t>(turn)],
                          corners[static_cast<std::size_t>((turn + 1) % 4)],
                          corners[static_cast<std::size_t>((turn + 2) % 4)]});
            sketch.Fill(colours.accent);
            sketch.Disc(centre, size * 0.14);
            break;
        default:  // two quarter circles facing each other
            sketch.Wedge(pivot, size / 2, start, start + kPi / 2);
            sketch.Fill(colours.accent);
            sketch.Wedge(corners[static_cast<std::size_t>((turn + 2) % 4)], size / 2, start + kPi,
                         start + 1.5 * kPi);
            break;
    }
}

}  // namespace

Metafile MountainLake(std::int16_t width, std::int16_t height) {
    Sketch sketch(width, height);
    const double a = sketch.Aspect();
    constexpr double kShore = 0.64;
    sketch.Bands(Gradient{0x2B5F8E, 0x6A9BC3, 0xBFD7EA, 0xF7D6B0, 0xF7B58F}, 0, kShore, 12);
    Sun(sketch, {a * 0.72, 0.34}, 0.095, 0xFAD7A0, 0xFFEDB5);
    sketch.Fill(0xFDF3E7);
    Cloud(sketch, {a * 0.2, 0.16}, 0.05);
    Cloud(sketch, {a * 0.55, 0.1}, 0.035);

    const auto far = RangeOutline({{0.08, 0.2},
                                   {0.22, 0.34},
                                   {0.36, 0.22},
                                   {0.5, 0.3},
                                   {0.64, 0.18},
                                   {0.8, 0.32},
                                   {0.95, 0.2}},
                                  kShore, a);
    const auto near = RangeOutline({{0.0, 0.12},
                                    {0.14, 0.2},
                                    {0.3, 0.08},
                                    {0.46, 0.24},
                                    {0.6, 0.1},
                                    {0.72, 0.16},
                                    {0.88, 0.06},
                                    {1.0, 0.14}},
                                   kShore, a);
    sketch.Fill(0x7FA7CC);  // the lake shows the sky before the mountains
    sketch.Box({0, kShore}, {a, 1});
    sketch.Fill(0x7F92BC);
    sketch.Shape(Mirrored(far, kShore));
    sketch.Fill(0x4F6896);
    sketch.Shape(Mirrored(near, kShore));
    sketch.Fill(0x6C7FA8);
    sketch.Shape(far);
    sketch.Fill(0xF4F7FB);
    SnowCaps(sketch, far, 0.07);
    sketch.Fill(0x3F4E7A);
    sketch.Shape(near);
    sketch.Fill(0xE3EAF4);
    SnowCaps(sketch, near, 0.05);

    sketch.Fill(0xFFEDB5);
    for (int i = 0; i < 5; ++i)
        sketch.Oval({a * 0.72, kShore + 0.05 + 0.05 * i}, 0.07 - 0.01 * i, 0.006);
    sketch.Fill(0xDCE6F2);
    for (int i = 0; i < 6; ++i)
        sketch.Box({a * (0.1 + 0.13 * i), 0.8 + 0.025 * (i % 3)},
                   {a * (0.16 + 0.13 * i), 0.805 + 0.025 * (i % 3)});

    sketch.Fill(0x2D6A4F);
    sketch.Shape({{0, 0.86}, {a * 0.2, 0.88}, {a * 0.42, 0.96}, {a * 0.5, 1}, {0, 1}});
    sketch.Shape({{a, 0.9}, {a * 0.8, 0.94}, {a * 0.7, 1}, {a, 1}});
    for (double x : {0.04, 0.1, 0.17, 0.27})
        PineTree(sketch, {a * x, 0.93 + x * 0.15}, 0.24 - x * 0.3);
    for (double x : {0.86, 0.94}) PineTree(sketch, {a * x, 0.97}, 0.2);
    return sketch.Finish();
}

Metafile Sunflower(std::int16_t width, std::int16_t height) {
    Sketch sketch(width, height);
    const Point centre{sketch.Aspect() / 2, 0.5};
    sketch.Fill(0x219EBC);
    sketch.Box({0, 0}, {sketch.Aspect(), 1});
    sketch.Fill(0x8ECAE6);
    sketch.Disc(centre, 0.47);
    sketch.Fill(0xBDE0F0);
    sketch.Disc(centre, 0.4);
    sketch.Fill(0x40916C);
    for (double angle : {2.2, 0.95})
        sketch.TurnedOval(centre + Polar(0.33, angle), 0.15, 0.055, angle);

    constexpr int kPetals = 21;
    sketch.Outline(0xE07A00, 0.004);
    sketch.Fill(0xFB8500);
    for (int i = 0; i < kPetals; ++i) {
        const double angle = 2 * kPi * i / kPetals;
        sketch.TurnedOval(centre + Polar(0.24, angle), 0.13, 0.045, angle);
    }
    sketch.Fill(0xFFB703);
    for (int i = 0; i < kPetals; ++i) {
        const double angle = 2 * kPi * (i + 0.5) / kPetals;
        sketch.TurnedOval(centre + Polar(0.22, angle), 0.11, 0.04, angle);
    }

    sketch.SameColourEdges();
    sketch.Fill(0x6B3E26);
    sketch.Disc(centre, 0.165);
    sketch.Fill(0x4A2A1A);
    sketch.Disc(centre, 0.12);
    // Seeds in the sunflower's own spiral: each a golden angle on from the last.
    constexpr double kGoldenAngle = 2.39996322972865332;
    for (int i = 1; i < 190; ++i) {
        sketch.Fill(i % 2 == 0 ? 0xC98B3A : 0x8C5A2B);
        sketch.Disc(centre + Polar(0.0113 * std::sqrt(i), i * kGoldenAngle), 0.0062);
    }
    return sketch.Finish();
}

Metafile BauhausTiles(std::int16_t width, std::int16_t height) {
    Sketch sketch(width, height);
    constexpr int kRows = 4;
    const double size = 1.0 / kRows;
    const int columns = static_cast<int>(std::lround(sketch.Aspect() / size));
    Dice dice(2);
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const TileColours colours = PickTileColours(dice);
            const auto motif = static_cast<int>(dice.Next() * 5);
            const auto turn = static_cast<int>(dice.Next() * 4);
            BauhausTile(sketch, {column * size, row * size}, size, motif, turn, colours);
        }
    }
    return sketch.Finish();
}

Metafile SailingRegatta(std::int16_t width, std::int16_t height) {
    Sketch sketch(width, height);
    const double a = sketch.Aspect();
    constexpr double kHorizon = 0.58;
    sketch.Bands(Gradient{0x4A90C2, 0x8CC4E3, 0xD4ECF5}, 0, kHorizon, 8);
    Sun(sketch, {a * 0.16, 0.18}, 0.1, 0xFFF7D1, 0xFFE58F);
    sketch.Fill(0xFFFFFF);
    Cloud(sketch, {a * 0.52, 0.14}, 0.045);
    Cloud(sketch, {a * 0.8, 0.26}, 0.035);

    sketch.Fill(0x5E8C61);
    sketch.Shape({{a * 0.68, kHorizon},
                  {a * 0.76, kHorizon - 0.05},
                  {a * 0.86, kHorizon - 0.07},
                  {a * 0.95, kHorizon - 0.04},
                  {a, kHorizon - 0.045},
                  {a, kHorizon}});
    Lighthouse(sketch, {a * 0.88, kHorizon - 0.065}, 0.16);

    sketch.Bands(Gradient{0x2A7AB0, 0x1A5F8E, 0x0F3F66}, kHorizon, 1, 6);
    sketch.Fill(0x7CC4E4);
    Dice dice(21);
    for (int i = 0; i < 40; ++i) {
        const double y = kHorizon + 0.02 + std::pow(dice.Next(), 1.5) * 0.4;
        const double length = 0.015 + 0.06 * (y - kHorizon);
        sketch.Oval({dice.Between(0, a), y}, length, length * 0.12);
    }

    const std::array<Boat, 4> boats{{
        {{a * 0.55, kHorizon + 0.03}, 0.12, 0x1D3557, 0xF1FAEE, 0x457B9D},
        {{a * 0.38, kHorizon + 0.09}, 0.2, 0xF1FAEE, 0xFFD166, 0xEF476F},
        {{a * 0.72, kHorizon + 0.17}, 0.3, 0xD62828, 0xFDF0D5, 0x003049},
        {{a * 0.2, kHorizon + 0.3}, 0.42, 0x264653, 0xF4A261, 0xE76F51},
    }};
    for (const Boat& boat : boats) SailBoat(sketch, boat);

    sketch.Fill(0x2F3E46);
    Gull(sketch, {a * 0.42, 0.2}, 0.06);
    Gull(sketch, {a * 0.48, 0.25}, 0.045);
    Gull(sketch, {a * 0.62, 0.17}, 0.035);
    return sketch.Finish();
}

}  // namespace vexaframe::samples
