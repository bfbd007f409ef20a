#include "render/bmp_file.h"

#include <cstddef>

namespace vexaframe {
namespace {

constexpr int kBitsPerPixel = 24;

void Put16(std::string& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

void Put32(std::string& bytes, std::size_t at, std::uint32_t value) {
    Put16(bytes, at, static_cast<std::uint16_t>(value & 0xFFFF));
    Put16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}

void PutHeaders(std::string& bytes, const Image& image, std::uint32_t imageSize) {
    using namespace bmp;
    Put16(bytes, kSignatureAt, kSignature);
    Put32(bytes, kFileSizeAt, kPixelDataOffset + imageSize);
    Put32(bytes, kPixelDataOffsetAt, kPixelDataOffset);
    Put32(bytes, kInfoHeaderSizeAt, kInfoHeaderSize);
    Put32(bytes, kWidthAt, static_cast<std::uint32_t>(image.width));
    Put32(bytes, kHeightAt, static_cast<std::uint32_t>(image.height));
    Put16(bytes, kPlanesAt, kPlanes);
    Put16(bytes, kBitsPerPixelAt, kBitsPerPixel);
    Put32(bytes, kCompressionAt, kCompressionNone);
    Put32(bytes, kImageSizeAt, imageSize);
    Put32(bytes, kPixelsPerMetreXAt, kPixelsPerMetreAt96Dpi);
    Put32(bytes, kPixelsPerMetreYAt, kPixelsPerMetreAt96Dpi);
    Put32(bytes, kColoursUsedAt, 0);
    Put32(bytes, kColoursImportantAt, 0);
}

}  // namespace

std::string EncodeBmp24(const Image& image) {
    const std::size_t stride = bmp::RowStride(image.width, kBitsPerPixel);
    const std::size_t imageSize = stride * static_cast<std::size_t>(image.height);
    std::string bytes(bmp::kPixelDataOffset + imageSize, '\0');
    PutHeaders(bytes, image, static_cast<std::uint32_t>(imageSize));

    for (int y = 0; y < image.height; ++y) {
        // The file's first row is the picture's bottom row.
        std::size_t at =
            bmp::kPixelDataOffset + stride * static_cast<std::size_t>(image.height - 1 - y);
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t pixel = image.At(x, y);
            bytes[at++] = static_cast<char>(pixel & 0xFF);          // blue
            bytes[at++] = static_cast<char>((pixel >> 8) & 0xFF);   // green
            bytes[at++] = static_cast<char>((pixel >> 16) & 0xFF);  // red
        }
    }
    return bytes;
}

}  // namespace vexaframe
