#pragma once
// Icon (.ico) and cursor (.cur) files of one picture: the directory, one entry, and the
// picture as a BITMAPINFOHEADER (its height doubled: colours, then mask), 32-bit BGRA rows and
// a 1-bit mask, both bottom-up. The mask lets the screen through where the picture is fully
// transparent, for systems that ignore the alpha channel.

#include <cstddef>
#include <cstdint>
#include <string>

#include "pictures/image.h"

namespace vexaframe {

namespace icon_file {
inline constexpr std::uint16_t kIconType = 1;
inline constexpr std::uint16_t kCursorType = 2;
inline constexpr std::size_t kTypeAt = 2;
inline constexpr std::size_t kCountAt = 4;
inline constexpr std::size_t kEntryAt = 6;
inline constexpr std::size_t kEntrySize = 16;
inline constexpr std::size_t kHeaderAt = kEntryAt + kEntrySize;
inline constexpr int kMaxSide = 256;  // a side is one byte in the entry, 0 meaning 256
}  // namespace icon_file

struct Hotspot {
    int x;
    int y;
};

// Both throw std::invalid_argument for a picture the format cannot hold (a side outside
// 1..256) or a hot spot outside the picture.
std::string EncodeIcon(const Image& image);
std::string EncodeCursor(const Image& image, Hotspot hotspot);

}  // namespace vexaframe
