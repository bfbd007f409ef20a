#include "pictures/exif_orientation.h"

#include <array>
#include <cstddef>

namespace vexaframe {
namespace {

constexpr int kLastOrientation = 8;

// What undoes each way of lying, in this order: mirror the stored columns, mirror the stored
// rows, then swap rows for columns.
struct Turn {
    bool mirrorColumns = false;
    bool mirrorRows = false;
    bool transpose = false;
};
constexpr std::array<Turn, kLastOrientation + 1> kTurns = {{
    {},                     // not a value
    {false, false, false},  // 1
    {true, false, false},   // 2
    {true, true, false},    // 3
    {false, true, false},   // 4
    {false, false, true},   // 5
    {false, true, true},    // 6
    {true, true, true},     // 7
    {true, false, true},    // 8
}};

}  // namespace

Image TurnUpright(Image stored, int orientation) {
    if (orientation <= kUpright || orientation > kLastOrientation) return stored;
    const Turn turn = kTurns[static_cast<std::size_t>(orientation)];
    const int width = stored.width;
    const int height = stored.height;
    Image upright = turn.transpose ? Image(height, width) : Image(width, height);
    for (int y = 0; y < height; ++y) {
        const int row = turn.mirrorRows ? height - 1 - y : y;
        for (int x = 0; x < width; ++x) {
            const int column = turn.mirrorColumns ? width - 1 - x : x;
            (turn.transpose ? upright.At(row, column) : upright.At(column, row)) = stored.At(x, y);
        }
    }
    return upright;
}

}  // namespace vexaframe
