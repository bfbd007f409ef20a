#pragma once
// A rectangle of a frame's pixels: what a frame drew, cleared or changed.

#include <algorithm>

namespace vexaframe {

// Columns left..right - 1 of rows top..bottom - 1; empty when either range is.
struct PixelRegion {
    int left = 0, top = 0, right = 0, bottom = 0;

    bool Empty() const { return right <= left || bottom <= top; }
    int Width() const { return Empty() ? 0 : right - left; }
    int Height() const { return Empty() ? 0 : bottom - top; }

    // The smallest region holding both.
    PixelRegion United(const PixelRegion& other) const {
        if (Empty()) return other;
        if (other.Empty()) return *this;
        return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
                std::max(bottom, other.bottom)};
    }
};

}  // namespace vexaframe
