#pragma once
// Windows bitmap files: a file header, a BITMAPINFOHEADER, then bottom-up pixel rows.

#include <cstddef>
#include <cstdint>
#include <string>

#include "render/image.h"

namespace vexaframe {

// The layout both the writer and the reader follow; offsets count from the file's start.
namespace bmp {
inline constexpr std::uint16_t kSignature = 0x4D42;  // "BM"
inline constexpr std::uint32_t kFileHeaderSize = 14;
inline constexpr std::uint32_t kInfoHeaderSize = 40;
inline constexpr std::uint32_t kPixelDataOffset = kFileHeaderSize + kInfoHeaderSize;

inline constexpr std::size_t kSignatureAt = 0;
inline constexpr std::size_t kFileSizeAt = 2;
inline constexpr std::size_t kPixelDataOffsetAt = 10;
inline constexpr std::size_t kInfoHeaderSizeAt = 14;
inline constexpr std::size_t kWidthAt = 18;
inline constexpr std::size_t kHeightAt = 22;  // positive: rows bottom-up
inline constexpr std::size_t kPlanesAt = 26;
inline constexpr std::size_t kBitsPerPixelAt = 28;
inline constexpr std::size_t kCompressionAt = 30;
inline constexpr std::size_t kImageSizeAt = 34;
inline constexpr std::size_t kPixelsPerMetreXAt = 38;
inline constexpr std::size_t kPixelsPerMetreYAt = 42;
inline constexpr std::size_t kColoursUsedAt = 46;
inline constexpr std::size_t kColoursImportantAt = 50;

inline constexpr std::uint16_t kPlanes = 1;
inline constexpr std::uint32_t kCompressionNone = 0;  // BI_RGB
inline constexpr std::uint32_t kPixelsPerMetreAt96Dpi = 3780;

// Rows are padded to whole 32-bit words.
constexpr std::size_t RowStride(int width, int bitsPerPixel) {
    return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel) + 31) / 32 * 4;
}
}  // namespace bmp

// The image as a 24-bit uncompressed bitmap file (alpha is dropped), ready to be written out.
std::string EncodeBmp24(const Image& image);

}  // namespace vexaframe
