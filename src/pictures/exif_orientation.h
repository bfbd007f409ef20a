#pragma once
// Phones and cameras store many photographs sideways or mirrored and say in the Exif Orientation
// tag how to turn them upright. The values 1 to 8, as Exif numbers them, name how the stored
// picture lies.

#include <string_view>

#include "pictures/image.h"

namespace vexaframe {

inline constexpr int kUpright = 1;

// The Orientation of the main picture from a TIFF structure in either byte order, as a PNG eXIf
// chunk or a WebP EXIF chunk holds it. kUpright where the tag is missing or out of range, or the
// data is damaged.
int TiffOrientation(std::string_view tiff);

// The same from a JPEG APP1 segment's payload: "Exif\0\0" and the TIFF structure. kUpright where
// the segment holds no Exif data.
int ExifOrientation(std::string_view app1Payload);

// The stored picture as it is meant to be seen: 2 mirrored left to right, 3 turned half round,
// 4 flipped upside down, 5 transposed, 6 turned a quarter clockwise, 7 transposed across the
// other diagonal, 8 turned a quarter counter-clockwise. Any other value leaves it as it is.
Image TurnUpright(Image stored, int orientation);

}  // namespace vexaframe
