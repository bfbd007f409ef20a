#include "pictures/exif_orientation.h"

#include <array>
#include <cstddef>
#include <cstdint>

#include "pictures/byte_reader.h"

namespace vexaframe {
namespace {

using namespace std::literals;

constexpr std::string_view kExifSignature = "Exif\0\0"sv;
constexpr std::uint32_t kTiffMagic = 42;
constexpr std::uint32_t kOrientationTag = 0x0112;
constexpr std::uint32_t kShortType = 3;
constexpr std::size_t kEntryRestSize = 10;  // type, count and value after an entry's tag
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

int TiffOrientation(std::string_view tiff) {
    ByteOrder order = ByteOrder::LittleEndian;
    if (tiff.starts_with("MM")) {
        order = ByteOrder::BigEndian;
    } else if (!tiff.starts_with("II")) {
        return kUpright;
    }
    ByteReader reader(tiff, order);
    reader.Skip(2);  // the byte order
    if (reader.Unsigned16() != kTiffMagic) return kUpright;
    reader.MoveTo(reader.Unsigned32());  // the main picture's directory
    for (std::uint32_t entries = reader.Unsigned16(); entries > 0 && !reader.Failed(); --entries) {
        if (reader.Unsigned16() != kOrientationTag) {
            reader.Skip(kEntryRestSize);
            continue;
        }
        const std::uint32_t type = reader.Unsigned16();
        const std::uint32_t count = reader.Unsigned32();
        const auto value = static_cast<int>(reader.Unsigned16());
        reader.Skip(2);  // the rest of the entry's value field
        const bool valid = !reader.Failed() && type == kShortType && count == 1 &&
                           value >= kUpright && value <= kLastOrientation;
        return valid ? value : kUpright;
    }
    return kUpright;
}

int ExifOrientation(std::string_view app1Payload) {
    if (!app1Payload.starts_with(kExifSignature)) return kUpright;
    return TiffOrientation(app1Payload.substr(kExifSignature.size()));
}

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
