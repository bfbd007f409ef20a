#pragma once
// Picture files (BMP, GIF, JPEG, PNG, WebP, HEIF, AVIF, placeable WMF) through the platform's
// decoders: the system's OLE picture loader and imaging component on Windows; libjpeg-turbo,
// giflib, libpng, libwebp, libheif, libavif and libwmf elsewhere.

#include <memory>
#include <optional>
#include <string>

#include "pictures/image.h"
#include "pictures/picture_rows.h"

namespace vexaframe {

// The picture at its own pixel size: a bitmap's exact size, a metafile's nominal size (at the
// screen's logical resolution on Windows, at 96 dots per inch elsewhere); a JPEG, PNG or WebP
// picture turned upright as its Exif data says, a HEIF or AVIF picture as its irot and imir say;
// an animated WebP picture's first frame. Transparent parts come out white, translucent ones laid
// over white (OverWhite), every pixel opaque. Nothing when the file cannot be read, holds no
// picture of these kinds, declares or has a size beyond the bitmap reader's limits
// (bmp::kMaxSide, bmp::kMaxPixels) or cannot be drawn. EMF content draws on Windows only; WebP,
// HEIF and AVIF there only where the system has their codecs. Its header is checked
// (ReadPictureHeader) before a decoder sees the file.
std::optional<Image> LoadPicture(const std::string& utf8Path);

// The same picture, as LoadPicture gives it, read a band of rows at a time where the platform's
// loader can give them without a second copy of the picture (a bitmap picture that needs no
// turning on Windows); otherwise loaded whole. Nothing where LoadPicture gives nothing.
std::unique_ptr<PictureRows> OpenPictureRows(const std::string& utf8Path);

}  // namespace vexaframe
