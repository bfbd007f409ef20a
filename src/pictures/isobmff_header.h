#pragma once
// HEIF and AVIF pictures: files of boxes in the ISO base media file format. The file type box
// names the brands a file follows; the meta box names the primary item, its type and the
// properties associated with it: its size ('ispe') and how it turns on the way to the screen
// ('irot', 'imir').

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

}  // namespace vexaframe
