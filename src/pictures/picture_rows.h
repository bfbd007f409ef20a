#pragma once
// A picture read a row at a time, so that what is made of it (the bitmap file, the texture)
// never needs a second copy of it.

#include <cstdint>
#include <memory>

#include "pictures/image.h"

namespace vexaframe {

class PictureRows {
public:
    virtual ~PictureRows() = default;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // Row `y` counted from the top, `Width()` opaque pixels valid until the next call; nothing
    // when it cannot be read. Quickest asked bottom row first, as a bitmap file stores them.
    virtual const std::uint32_t* Row(int y) = 0;
};

// The rows of a picture held whole.
std::unique_ptr<PictureRows> RowsOf(Image picture);

}  // namespace vexaframe
