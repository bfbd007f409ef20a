#pragma once
// A picture file's bytes through the library for its kind, at the picture's own pixel size, as
// the Windows loader gives it. Each is handed only files whose header ReadPictureHeader took, and
// checks again the size its library reports before it allocates the picture. Nothing when the
// library refuses the file or its size is beyond bmp::IsWithinLimits.

#include <optional>
#include <string_view>

#include "pictures/image.h"

namespace vexaframe {

// Through libjpeg-turbo. Damaged data decodes to what the library makes of it; a file that ends
// before its end marker gives nothing.
std::optional<Image> DecodeJpeg(std::string_view bytes);

// Through giflib: the first image alone, at its own size, wherever it lies on the logical
// screen; its transparent colour white.
std::optional<Image> DecodeGif(std::string_view bytes);

// Through libpng: every kind of PNG picture, interlaced or not, its translucent parts laid over
// white (OverWhite). A file whose picture data is cut short or damaged gives nothing.
std::optional<Image> DecodePng(std::string_view bytes);

// Through libwebp: a lossy or lossless still picture, or an animation's first frame on its
// canvas; translucent parts laid over white (OverWhite). A file cut short gives nothing.
std::optional<Image> DecodeWebp(std::string_view bytes);

// Through libwmf, drawn without a display at `size`; what it leaves undrawn white.
std::optional<Image> DecodePlaceableWmf(std::string_view bytes, PixelSize size);

// A HEIF picture coded in HEVC, through libheif; an AVIF picture, through libavif. The primary
// image as it is stored, untransformed (the loader turns it as the header's orientation says),
// its translucent parts over white. Nothing unless it is of `storedSize`, the size its header
// declared: the header's orientation is meant for that picture alone.
std::optional<Image> DecodeHeif(std::string_view bytes, PixelSize storedSize);
std::optional<Image> DecodeAvif(std::string_view bytes, PixelSize storedSize);

}  // namespace vexaframe
