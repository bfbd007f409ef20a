// The panels' texture: pale brushed silver, quiet enough for black text on it. Each row is
// its own sum of faint streaks, whole sine periods across the tile's width, so the tile
// repeats without a seam either way and averages out to its base colour.

#include <cmath>
#include <random>
#include <vector>

#include "pictures.h"

namespace vexaframe::skin {
namespace {

constexpr int kTileWidth = 579;
constexpr int kTileHeight = 21;
constexpr Colour kTileBase = Hex(0xE3E7EF);
constexpr double kStreakStrength = 0.014;
constexpr double kGrainStrength = 0.004;
constexpr int kLowestStreak = 3;  // periods across the tile
constexpr int kHighestStreak = 60;
constexpr double kTwoPi = 6.283185307179586;

// The engine's sequence is fixed by the standard, so every build draws the same tile.
class Dice {
public:
    double Between(double low, double high) { return low + (high - low) * engine_() * 0x1.0p-32; }

private:
    std::mt19937 engine_{0x5EED};
};

// One row's streaks, scaled to about unit spread.
std::vector<double> Streaks(Dice& dice) {
    std::vector<double> row(kTileWidth, 0.0);
    double variance = 0;
    for (int k = kLowestStreak; k <= kHighestStreak; ++k) {
        const double amplitude = dice.Between(0, 1) / std::sqrt(k);
        const double phase = dice.Between(0, kTwoPi);
        variance += amplitude * amplitude / 2;
        for (int x = 0; x < kTileWidth; ++x)
            row[x] += amplitude * std::sin(kTwoPi * k * x / kTileWidth + phase);
    }
    for (double& value : row) value /= std::sqrt(variance);
    return row;
}

std::vector<double> Brightness() {
    Dice dice;
    std::vector<double> field;
    for (int y = 0; y < kTileHeight; ++y) {
        for (double streak : Streaks(dice))
            field.push_back(streak * kStreakStrength + dice.Between(-1, 1) * kGrainStrength);
    }
    return field;
}

}  // namespace

Colour TileColour() {
    return kTileBase;
}

Image PanelTile() {
    const std::vector<double> brightness = Brightness();
    return PaintPixels(kTileWidth, kTileHeight, [&brightness](int x, int y) {
        const double shift = brightness[y * kTileWidth + x];
        return Colour{kTileBase.r + shift, kTileBase.g + shift, kTileBase.b + shift};
    });
}

}  // namespace vexaframe::skin
