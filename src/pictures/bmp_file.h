#pragma once
// Windows bitmap files. The writer makes a file header, a BITMAPINFOHEADER and bottom-up 24-bit
// rows; the reader also takes the older and newer headers, palettes, channel masks and RLE.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "pictures/image.h"

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
inline constexpr std::size_t kHeightAt = 22;  // positive: rows bottom-up; negative: top-down
inline constexpr std::size_t kPlanesAt = 26;
inline constexpr std::size_t kBitsPerPixelAt = 28;
inline constexpr std::size_t kCompressionAt = 30;
inline constexpr std::size_t kImageSizeAt = 34;
inline constexpr std::size_t kPixelsPerMetreXAt = 38;
inline constexpr std::size_t kPixelsPerMetreYAt = 42;
inline constexpr std::size_t kColoursUsedAt = 46;
inline constexpr std::size_t kColoursImportantAt = 50;

// The channel masks: inside the longer headers, or right after a BITMAPINFOHEADER whose
// compression is BI_BITFIELDS (red, green and blue only).
inline constexpr std::size_t kRedMaskAt = 54;
inline constexpr std::size_t kGreenMaskAt = 58;
inline constexpr std::size_t kBlueMaskAt = 62;
inline constexpr std::size_t kAlphaMaskAt = 66;
inline constexpr std::uint32_t kColourMasksSize = 12;

// BITMAPCOREHEADER, the oldest header: 16-bit unsigned fields, rows always bottom-up, and
// palette entries of three bytes instead of four.
inline constexpr std::uint32_t kCoreHeaderSize = 12;
inline constexpr std::size_t kCoreWidthAt = 18;
inline constexpr std::size_t kCoreHeightAt = 20;
inline constexpr std::size_t kCorePlanesAt = 22;
inline constexpr std::size_t kCoreBitsPerPixelAt = 24;

// The longer headers that extend BITMAPINFOHEADER: with colour masks (52), with the alpha mask
// too (56), BITMAPV4HEADER (108) and BITMAPV5HEADER (124).
inline constexpr std::uint32_t kV2HeaderSize = 52;
inline constexpr std::uint32_t kV3HeaderSize = 56;
inline constexpr std::uint32_t kV4HeaderSize = 108;
inline constexpr std::uint32_t kV5HeaderSize = 124;

inline constexpr std::uint16_t kPlanes = 1;
inline constexpr std::uint32_t kCompressionNone = 0;  // BI_RGB
inline constexpr std::uint32_t kCompressionRle8 = 1;
inline constexpr std::uint32_t kCompressionRle4 = 2;
inline constexpr std::uint32_t kCompressionBitFields = 3;
inline constexpr std::uint32_t kPixelsPerMetreAt96Dpi = 3780;

// Limits of the reader. A side of 32768 holds any camera's or scanner's picture and a long
// panorama; 2^28 pixels are 1 GiB in memory, as much as we ever want to hold for one texture.
inline constexpr int kMaxSide = 32768;
inline constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 28;
// Every picture we take is held to these limits, whichever reader decodes it.
constexpr bool IsWithinLimits(std::int64_t width, std::int64_t height) {
    return width >= 1 && height >= 1 && width <= kMaxSide && height <= kMaxSide &&
           static_cast<std::uint64_t>(width * height) <= kMaxPixels;
}
// An RLE run packs at most 255 pixels into two bytes; a file that claims far more pixels than
// its codes could paint is refused before its picture is allocated.
inline constexpr std::uint64_t kMaxRlePixelsPerByte = 256;

// Rows are padded to whole 32-bit words.
constexpr std::size_t RowStride(int width, int bitsPerPixel) {
    return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel) + 31) / 32 * 4;
}
}  // namespace bmp

// The image as a 24-bit uncompressed bitmap file (alpha is dropped), ready to be written out.
std::string EncodeBmp24(const Image& image);
// The same file handed to `write` a band of rows at a time, so that only the picture is held
// whole; false as soon as `write` fails.
[[nodiscard]] bool WriteBmp24(const Image& image,
                              const std::function<bool(std::string_view)>& write);
// The same from a picture's rows, asked for bottom row first as the file holds them: `row(y)`
// gives row y counted from the top, `width` pixels that stay valid until the next call, or
// nothing when it cannot be read (and then nothing more is written).
[[nodiscard]] bool WriteBmp24Rows(int width, int height,
                                  const std::function<const std::uint32_t*(int)>& row,
                                  const std::function<bool(std::string_view)>& write);

// The picture of a bitmap file, opaque unless its channel masks include alpha. Nothing when the
// file is damaged, truncated, beyond the reader's limits or of a kind it does not read.
std::optional<Image> DecodeBmp(std::string_view bytes);

// The size of the picture in a bitmap file whose headers the reader takes; nothing where their
// kind, size or layout would make DecodeBmp refuse the file.
std::optional<PixelSize> BmpPictureSize(std::string_view bytes);

}  // namespace vexaframe
