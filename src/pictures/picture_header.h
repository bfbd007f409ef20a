#pragma once
// What a picture file declares in its first bytes, read before any system decoder sees the file:
// a decoder handed a forged size may exhaust the memory or crash the program.

#include <optional>
#include <string_view>

#include "pictures/exif_data.h"
#include "pictures/image.h"

namespace vexaframe {

enum class PictureKind { Jpeg, Gif, Bmp, PlaceableWmf, Emf, Png, Webp, Heif, Avif };

struct PictureHeader {
    PictureKind kind = PictureKind::Bmp;
    PixelSize size;  // a metafile's nominal size at 96 dots per inch
    // From the Exif data of a JPEG, PNG or WebP file; a HEIF or AVIF file's irot and imir.
    int orientation = kUpright;
    // From the same Exif data: when the photograph was taken (never for HEIF or AVIF here).
    std::optional<CalendarTime> taken;
};

// The header of a file of the kinds we show, when it is whole and declares a size within
// bmp::IsWithinLimits. Nothing for any other file: it must not reach a decoder. A JPEG's
// header runs to its first start-of-frame segment; a GIF's to its first image descriptor; a
// PNG's to its first IDAT chunk's type, and an eXIf chunk before it gives the orientation.
// A WebP file's header is its first chunk; in the extended form (VP8X) it runs to the first
// chunk of image data, and an EXIF chunk among the whole chunks after it gives the orientation.
// An animated WebP file is taken too: its first frame is shown. A HEIF or AVIF file's header
// runs to the end of its meta box (see ReadIsobmffHeader).
std::optional<PictureHeader> ReadPictureHeader(std::string_view bytes);

}  // namespace vexaframe
