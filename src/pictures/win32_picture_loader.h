#pragma once
// Picture files (BMP, GIF, JPEG, placeable WMF, EMF) through the system's OLE picture loader.

#include <optional>
#include <string>

#include "pictures/image.h"

namespace vexaframe {

// The picture at its own pixel size: a bitmap's exact size, a metafile's nominal size at the
// screen's logical resolution; a JPEG photograph turned upright as its Exif data says.
// Transparent parts come out white, every pixel opaque. Nothing when the file cannot be read,
// holds no picture of these kinds, declares or has a size beyond the bitmap reader's limits
// (bmp::kMaxSide, bmp::kMaxPixels) or cannot be drawn. Its header is checked
// (ReadPictureHeader) before a system decoder sees the file.
// The calling thread must have initialised COM (OleInitialize or CoInitializeEx): the loader
// reaches the system's decoders through it.
std::optional<Image> LoadPicture(const std::string& utf8Path);

}  // namespace vexaframe
