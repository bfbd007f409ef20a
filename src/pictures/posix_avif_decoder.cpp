// AVIF pictures through libavif (and its AV1 decoder dav1d): the first image as it is stored.
// Its rotation and mirror are the header's orientation, which the loader applies; libavif
// leaves them to its caller.

#include <avif/avif.h>

#include <cstdint>

#include "pictures/bmp_file.h"
#include "pictures/over_white.h"
#include "pictures/posix_picture_libraries.h"
#include "pictures/released_by.h"

namespace vexaframe {
namespace {

constexpr std::uint32_t kBitsPerChannel = 8;
constexpr std::uint32_t kBytesPerPixel = 4;

using Decoder = LibraryOwned<avifDecoder, avifDecoderDestroy>;

// The decoder refuses what lies beyond our limits before its AV1 decoder allocates it.
Decoder LimitedDecoder() {
    Decoder decoder(avifDecoderCreate());
    if (!decoder) return nullptr;
    decoder->imageSizeLimit = static_cast<std::uint32_t>(bmp::kMaxPixels);
    decoder->imageDimensionLimit = bmp::kMaxSide;
    decoder->ignoreExif = AVIF_TRUE;
    decoder->ignoreXMP = AVIF_TRUE;
    return decoder;
}

// Straight into the picture's memory: BGRA bytes are 0xAARRGGBB numbers, alpha not
// premultiplied.
bool ConvertInto(const avifImage& decoded, Image& image) {
    avifRGBImage rgb{};
    avifRGBImageSetDefaults(&rgb, &decoded);
    rgb.format = AVIF_RGB_FORMAT_BGRA;
    rgb.depth = kBitsPerChannel;
    rgb.pixels = reinterpret_cast<std::uint8_t*>(image.pixels.data());
    rgb.rowBytes = static_cast<std::uint32_t>(image.width) * kBytesPerPixel;
    return avifImageYUVToRGB(&decoded, &rgb) == AVIF_RESULT_OK;
}

}  // namespace

std::optional<Image> DecodeAvif(std::string_view bytes, PixelSize storedSize) {
    const Decoder decoder = LimitedDecoder();
    if (!decoder ||
        avifDecoderSetIOMemory(decoder.get(), reinterpret_cast<const std::uint8_t*>(bytes.data()),
                               bytes.size()) != AVIF_RESULT_OK ||
        avifDecoderParse(decoder.get()) != AVIF_RESULT_OK ||
        avifDecoderNextImage(decoder.get()) != AVIF_RESULT_OK)
        return std::nullopt;
    const avifImage& decoded = *decoder->image;
    const auto width = static_cast<std::int64_t>(decoded.width);
    const auto height = static_cast<std::int64_t>(decoded.height);
    if (!bmp::IsWithinLimits(width, height) || PixelSize{static_cast<int>(width),
                                                         static_cast<int>(height)} != storedSize)
        return std::nullopt;
    Image image(storedSize.width, storedSize.height);
    if (!ConvertInto(decoded, image)) return std::nullopt;
    PutOverWhite(image.pixels);
    return image;
}

}  // namespace vexaframe
