// Flat-colour pictures: a few dozen colours in all, so a 256-colour palette holds them
// exactly.

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "noise.h"
#include "paint.h"
#include "pictures.h"

namespace vexaframe::samples {
namespace {

// --- Stained glass: a rose window of irregular panes held by lead ---

constexpr double kPaneSize = 0.075;
constexpr std::uint32_t kGlassSeed = 101;

struct PaneSeed {
    Point at;
    std::uint32_t id;
};

// One seed per grid cell, jittered inside it; each pane is the region nearest its seed.
PaneSeed PaneSeedOfCell(int column, int row) {
    const std::uint32_t h = Hash(column, row, kGlassSeed);
    const Point at{(column + 0.1 + 0.8 * (h & 0xFFFF) * 0x1.0p-16) * kPaneSize,
                   (row + 0.1 + 0.8 * (h >> 16) * 0x1.0p-16) * kPaneSize};
    return {at, Hash(column, row, kGlassSeed + 1)};
}

struct Pane {
    PaneSeed seed;
    double distanceToLead;
};

// The pane around p, and how far p lies from the pane's border.
Pane NearestPane(Point p) {
    const int column = static_cast<int>(std::floor(p.x / kPaneSize));
    const int row = static_cast<int>(std::floor(p.y / kPaneSize));
    std::vector<PaneSeed> seeds;
    for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) seeds.push_back(PaneSeedOfCell(column + dx, row + dy));
    }
    const PaneSeed nearest = *std::ranges::min_element(
        seeds, {}, [p](const PaneSeed& seed) { return Length(p - seed.at); });
    const double d1 = Length(p - nearest.at);
    double border = 1e9;
    for (const PaneSeed& other : seeds) {
        const double between = Length(other.at - nearest.at);
        if (between == 0) continue;
        const double d = Length(p - other.at);
        border = std::min(border, (d * d - d1 * d1) / (2 * between));
    }
    return {nearest, border};
}

// Rings of jewel colours around the rose's centre, alternating from petal to petal.
Rgb GlassColour(const Pane& pane, Point rose) {
    static constexpr std::array<std::array<std::uint32_t, 2>, 6> kRings{{
        {0xF6C445, 0xE8871E},  // gold, amber
        {0xC1121F, 0xE0457B},  // ruby, rose
        {0x1E40AF, 0x14A3C7},  // sapphire, turquoise
        {0x0F8A5F, 0xF6C445},  // emerald, gold
        {0x7B2CBF, 0x1E40AF},  // amethyst, sapphire
        {0x1B2A6B, 0x3B1F6B},  // the dark corners outside the rose
    }};
    static constexpr std::array<double, 3> kShades{0.78, 0.92, 1.06};
    const Point offset = pane.seed.at - rose;
    const auto ring = std::min<std::size_t>(static_cast<std::size_t>(Length(offset) / 0.095), 5);
    const double turn = std::atan2(offset.y, offset.x) / (2 * kPi) + 0.5;
    const auto petal = static_cast<std::size_t>(turn * 12) % 2;
    return Hex(kRings[ring][petal]) * kShades[pane.seed.id % 3];
}

// --- A night city over the water, drawn as pixel art ---

struct Building {
    int left;
    int right;
    int top;
    std::uint32_t id;
};

struct SkylineLayer {
    std::vector<Building> buildings;
    Rgb wall;
    Rgb light;
    std::uint32_t litPercent;
};

std::vector<Building> RaiseBuildings(int width, int ground, int lowest, int highest,
                                     std::uint32_t seed) {
    Dice dice(seed);
    std::vector<Building> buildings;
    for (int left = -static_cast<int>(dice.Between(0, 12)); left < width;) {
        const int span = static_cast<int>(dice.Between(14, 36));
        const int top = ground - static_cast<int>(dice.Between(lowest, highest));
        buildings.push_back({left, left + span, top, static_cast<std::uint32_t>(buildings.size())});
        left += span + static_cast<int>(dice.Between(0, 4));
    }
    return buildings;
}

// Windows two pixels wide and three high on a grid of four by five, some of them lit.
bool IsLitWindow(const Building& b, int x, int y, std::uint32_t litPercent, std::uint32_t seed) {
    const int dx = x - b.left - 3;
    const int dy = y - b.top - 4;
    if (dx < 0 || dy < 0 || x > b.right - 4 || dx % 4 >= 2 || dy % 5 >= 3) return false;
    return Hash(dx / 4 + static_cast<int>(b.id) * 64, dy / 5, seed) % 100 < litPercent;
}

// Ordered dithering between the gradient's stops, in the manner of an old palette screen.
Rgb DitheredSky(int x, int y, int horizon) {
    static const Gradient sky{0x0B0B2B, 0x1B1B4B, 0x3D2066, 0x6B2D7A, 0xA23E7E, 0xE0607E};
    static constexpr std::array<std::array<int, 4>, 4> kBayer{
        {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}}};
    constexpr int kStops = 6;
    const double t = static_cast<double>(y) / horizon * (kStops - 1);
    const double stop = std::floor(t);
    const double threshold = (kBayer[y % 4][x % 4] + 0.5) / 16;
    const double chosen = std::min(stop + (t - stop > threshold ? 1 : 0), kStops - 1.0);
    return sky.At(chosen / (kStops - 1));
}

struct NightCityScene {
    int width;
    int horizon;
    std::vector<SkylineLayer> layers;  // far to near

    Rgb Above(int x, int y) const {
        for (auto layer = layers.rbegin(); layer != layers.rend(); ++layer) {
            for (const Building& b : layer->buildings) {
                if (x < b.left || x >= b.right || y < b.top) continue;
                const auto seed = static_cast<std::uint32_t>(layer - layers.rbegin());
                return IsLitWindow(b, x, y, layer->litPercent, seed) ? layer->light : layer->wall;
            }
        }
        return Sky(x, y);
    }

    Rgb Sky(int x, int y) const {
        const int moonX = width * 78 / 100;
        const int moonY = horizon * 26 / 100;
        const int moonR = horizon / 12;
        const auto inside = [](int dx, int dy, int r) { return dx * dx + dy * dy <= r * r; };
        if (inside(x - moonX, y - moonY, moonR) &&
            !inside(x - moonX + moonR / 2, y - moonY + moonR / 3, moonR)) {
            return Hex(0xF7E7A8);
        }
        if (y < horizon / 2 && Hash(x, y, 211) % 1000 < 4) return Hex(0xD8E4FF);
        return DitheredSky(x, y, horizon);
    }

    // The water mirrors the city in broken, shifted strips.
    Rgb Below(int x, int y) const {
        const std::uint32_t strip = Hash(0, y, 223);
        if (strip % 4 == 0) return Hex(0x141238);
        const int shift = static_cast<int>(strip % 7) - 3;
        return Mix(Above(x + shift, 2 * horizon - y - 1), Hex(0x0B0A26), 0.45);
    }
};

// --- Tumbling blocks: hexagons shaded as cubes ---

struct Hexagon {
    int q;
    int r;
    Point centre;
};

// The pointy-top hexagon of `size` (centre to corner) that holds p.
Hexagon HexagonAt(Point p, double size) {
    const double fq = (std::sqrt(3.0) / 3 * p.x - p.y / 3) / size;
    const double fr = (2.0 / 3 * p.y) / size;
    const double fs = -fq - fr;
    double q = std::round(fq);
    double r = std::round(fr);
    const double s = std::round(fs);
    // Cube rounding: fix the coordinate that rounding moved furthest.
    if (std::abs(q - fq) > std::abs(r - fr) && std::abs(q - fq) > std::abs(s - fs)) {
        q = -r - s;
    } else if (std::abs(r - fr) > std::abs(s - fs)) {
        r = -q - s;
    }
    const Point centre{size * std::sqrt(3.0) * (q + r / 2), size * 1.5 * r};
    return {static_cast<int>(q), static_cast<int>(r), centre};
}

// Lines from the centre to the bottom, upper-left and upper-right corners split the
// hexagon into the three visible faces of a cube: 0 top, 1 left, 2 right.
std::size_t CubeFace(Point fromCentre) {
    const double degrees = std::atan2(fromCentre.y, fromCentre.x) * 180 / kPi;  // clockwise
    if (degrees > -150 && degrees <= -30) return 0;
    if (degrees > -30 && degrees <= 90) return 2;
    return 1;
}

}  // namespace

Image StainedGlass(int width, int height) {
    const Point rose{Aspect(width, height) / 2, 0.5};
    const double leadHalfWidth = 1.4 / height;
    return Paint(width, height, 1, [=](Point p) {
        const Pane pane = NearestPane(p);
        const double fromRose = Length(p - rose);
        const bool onFrame = std::abs(fromRose - 0.47) < 2 * leadHalfWidth;
        if (pane.distanceToLead < leadHalfWidth || onFrame) return Hex(0x17131C);
        return GlassColour(pane, rose);
    });
}

Image RainbowRings(int width, int height) {
    static constexpr std::array<std::uint32_t, 12> kHues{0xE6194B, 0xF58231, 0xFFD23F, 0xBFEF45,
                                                         0x3CB44B, 0x1ABC9C, 0x42D4F4, 0x4363D8,
                                                         0x6A3FB5, 0x911EB4, 0xF032E6, 0xFF6F91};
    const double aspect = Aspect(width, height);
    const Point left{aspect * 0.34, 0.42};
    const Point right{aspect * 0.66, 0.58};
    return Paint(width, height, 1, [=](Point p) {
        const auto band = [p](Point centre) {
            return static_cast<std::size_t>(Length(p - centre) / 0.045);
        };
        return Hex(kHues[(band(left) + band(right)) % kHues.size()]);
    });
}

Image NightCity(int width, int height) {
    // Buildings and windows are measured in pixels, as pixel art is.
    const int horizon = height * 72 / 100;
    NightCityScene scene{width, horizon, {}};
    scene.layers.push_back(
        {RaiseBuildings(width, horizon, 40, 105, 3), Hex(0x2A1F4F), Hex(0x6A5A8F), 25});
    scene.layers.push_back(
        {RaiseBuildings(width, horizon, 25, 80, 5), Hex(0x1A1536), Hex(0xFFD36B), 35});
    scene.layers.push_back(
        {RaiseBuildings(width, horizon, 10, 50, 9), Hex(0x0D0B1C), Hex(0xFFE9A8), 45});
    return Paint(width, height, 1, [&scene, height](Point p) {
        const int x = static_cast<int>(p.x * height);
        const int y = static_cast<int>(p.y * height);
        return y < scene.horizon ? scene.Above(x, y) : scene.Below(x, y);
    });
}

Image TumblingBlocks(int width, int height) {
    // Light top, middle left, dark right: each hexagon reads as a cube seen from above.
    static constexpr std::array<std::array<std::uint32_t, 3>, 5> kFamilies{{
        {0xF7A1A0, 0xE63946, 0x8D0801},
        {0xFFE08A, 0xF4B942, 0xA8661B},
        {0x8EDCCB, 0x2A9D8F, 0x1D5C63},
        {0x9CC3F0, 0x3A6EA5, 0x1D3557},
        {0xD3B3F0, 0x8E5CC4, 0x4A2C6F},
    }};
    constexpr double kSize = 0.1;
    return Paint(width, height, 1, [](Point p) {
        const Hexagon hexagon = HexagonAt(p, kSize);
        const auto family = Hash(hexagon.q, hexagon.r, 307) % kFamilies.size();
        return Hex(kFamilies[family][CubeFace(p - hexagon.centre)]);
    });
}

}  // namespace vexaframe::samples
