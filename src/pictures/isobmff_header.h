#pragma once
// HEIF and AVIF pictures: files of boxes in the ISO base media file format. The file type box
// names the brands a file follows; the meta box names the primary item, its type and the
// properties associated with it: its size ('ispe') and how it turns on the way to the screen
// ('irot', 'imir').

#include <cstdint>
#include <optional>
#include <string_view>

#include "pictures/picture_header.h"

namespace vexaframe {

// True when the bytes start as every such file does: with a file type box.
bool StartsWithFileTypeBox(std::string_view bytes);

// The header of a HEIF picture coded in HEVC or of an AVIF picture, up to the end of its meta
// box: the kind, the primary item's stored size (its first 'ispe') and, from its 'irot' and
// 'imir' properties taken in the order they are associated, the one Exif orientation that
// turns the stored picture as they do. Exif data inside the file does not count. Nothing for a
// file of other brands or other coding, a damaged or cut-short box, a primary item without a
// size or beyond bmp::IsWithinLimits.
std::optional<PictureHeader> ReadIsobmffHeader(std::string_view bytes);

// Where some of a file's bytes lie in it.
struct FileExtent {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

// Where such a file's Exif item (its first item entry of type 'Exif') lies, as the meta box's
// 'iloc' places it: in one extent of the file itself, usually in the media data after the meta
// box. Nothing for a file without the item, one placed otherwise (in 'idat', in several extents,
// in another file) or a damaged or cut-short meta box.
std::optional<FileExtent> ExifItemExtent(std::string_view bytes);

}  // namespace vexaframe
