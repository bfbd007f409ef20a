#include "icon_file.h"

#include <stdexcept>

#include "pictures/bmp_file.h"

namespace vexaframe {
namespace {

constexpr std::uint16_t kColourBits = 32;

void Append(std::string& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<char>(value >> (8 * i)));
}

void CheckSize(const Image& image) {
    const auto fits = [](int side) { return side >= 1 && side <= icon_file::kMaxSide; };
    if (!fits(image.width) || !fits(image.height))
        throw std::invalid_argument("an icon's sides are 1 to 256 pixels");
}

bool Transparent(std::uint32_t pixel) {
    return pixel >> 24 == 0;
}

std::string ColourRows(const Image& image) {
    std::string rows;
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) Append(rows, image.At(x, y), 4);  // B, G, R, A
    }
    return rows;
}

std::string MaskRows(const Image& image) {
    const std::size_t stride = bmp::RowStride(image.width, 1);
    std::string rows;
    for (int y = image.height - 1; y >= 0; --y) {
        std::string row(stride, '\0');
        for (int x = 0; x < image.width; ++x) {
            if (Transparent(image.At(x, y))) row[x / 8] |= static_cast<char>(0x80 >> (x % 8));
        }
        rows += row;
    }
    return rows;
}

std::string InfoHeader(const Image& image, std::uint32_t pixelBytes) {
    std::string header;
    Append(header, bmp::kInfoHeaderSize, 4);
    Append(header, static_cast<std::uint32_t>(image.width), 4);
    Append(header, static_cast<std::uint32_t>(image.height * 2), 4);
    Append(header, bmp::kPlanes, 2);
    Append(header, kColourBits, 2);
    Append(header, bmp::kCompressionNone, 4);
    Append(header, pixelBytes, 4);
    header.append(16, '\0');  // resolution and palette: unused
    return header;
}

// `first` and `second` are the colour planes and bits for an icon, the hot spot for a cursor.
std::string Encode(const Image& image, std::uint16_t type, std::uint16_t first,
                   std::uint16_t second) {
    CheckSize(image);
    const std::string pixels = ColourRows(image) + MaskRows(image);
    const std::string picture =
        InfoHeader(image, static_cast<std::uint32_t>(pixels.size())) + pixels;
    std::string bytes;
    Append(bytes, 0, 2);  // reserved
    Append(bytes, type, 2);
    Append(bytes, 1, 2);  // one picture
    Append(bytes, static_cast<std::uint32_t>(image.width % icon_file::kMaxSide), 1);
    Append(bytes, static_cast<std::uint32_t>(image.height % icon_file::kMaxSide), 1);
    Append(bytes, 0, 2);  // no palette, reserved
    Append(bytes, first, 2);
    Append(bytes, second, 2);
    Append(bytes, static_cast<std::uint32_t>(picture.size()), 4);
    Append(bytes, static_cast<std::uint32_t>(icon_file::kHeaderAt), 4);
    return bytes + picture;
}

}  // namespace

std::string EncodeIcon(const Image& image) {
    return Encode(image, icon_file::kIconType, bmp::kPlanes, kColourBits);
}

std::string EncodeCursor(const Image& image, Hotspot hotspot) {
    if (hotspot.x < 0 || hotspot.x >= image.width || hotspot.y < 0 || hotspot.y >= image.height)
        throw std::invalid_argument("a cursor's hot spot lies inside it");
    return Encode(image, icon_file::kCursorType, static_cast<std::uint16_t>(hotspot.x),
                  static_cast<std::uint16_t>(hotspot.y));
}

}  // namespace vexaframe
