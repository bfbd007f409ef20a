#pragma once
// What a picture file declares in its first bytes, read before any system decoder sees the file:
// a decoder handed a forged size may exhaust the memory or crash the program.

#include <optional>
#include <string_view>

#include "pictures/exif_orientation.h"
#include "pictures/image.h"

namespace vexaframe {

enum class PictureKind { Jpeg, Gif, Bmp, PlaceableWmf, Emf, Heif, Avif };

struct PictureHeader {
    PictureKind kind = PictureKind::Bmp;
    PixelSize size;              // a metafile's nominal size at 96 dots per inch
    int orientation = kUpright;  // from a JPEG's Exif data, a HEIF or AVIF's irot and imir
};

// The header of a file of the kinds we show, when it is whole and declares a size within
// bmp::IsWithinLimits. Nothing for any other file: it must not reach a decoder. A JPEG's
// header runs to its first start-of-frame segment; a GIF's to its first image descriptor; a
// HEIF or AVIF file's to the end of its meta box (see ReadIsobmffHeader).
std::optional<PictureHeader> ReadPictureHeader(std::string_view bytes);

}  // namespace vexaframe
