#pragma once
// Phones and cameras store many photographs sideways or mirrored and say in the Exif Orientation
// tag (see exif_data.h) how to turn them upright. The values 1 to 8, as Exif numbers them, name how
// the stored picture lies.

#include "pictures/image.h"

namespace vexaframe {

inline constexpr int kUpright = 1;

// The stored picture as it is meant to be seen: 2 mirrored left to right, 3 turned half round,
// 4 flipped upside down, 5 transposed, 6 turned a quarter clockwise, 7 transposed across the
// other diagonal, 8 turned a quarter counter-clockwise. Any other value leaves it as it is.
Image TurnUpright(Image stored, int orientation);

}  // namespace vexaframe
