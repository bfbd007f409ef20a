#pragma once
// Picture files (BMP, GIF, JPEG, placeable WMF) through our bitmap reader and the picture
// libraries: libjpeg-turbo, giflib and libwmf.

#include <optional>
#include <string>

#include "pictures/image.h"

namespace vexaframe {

// The picture at its own pixel size, as the Windows loader gives it: a bitmap's exact size, a
// metafile's nominal size at 96 dots per inch; a JPEG photograph turned upright as its Exif data
// says. Transparent parts come out white, every pixel opaque. Nothing when the file cannot be
// read, holds no picture of these kinds (EMF content included), declares or has a size beyond
// the bitmap reader's limits (bmp::kMaxSide, bmp::kMaxPixels) or cannot be drawn. Its header is
// checked (ReadPictureHeader) before a library sees the file.
std::optional<Image> LoadPicture(const std::string& utf8Path);

}  // namespace vexaframe
