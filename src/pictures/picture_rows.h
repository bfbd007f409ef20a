#pragma once
// A picture read a row at a time, so that what is made of it (the bitmap file, the texture)
// never needs a second copy of it.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

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

// Rows read from their source a band at a time: the band that ends at the row asked for, as a
// bitmap file asks for its bottom row first. Every pixel comes out opaque.
class BandedRows : public PictureRows {
public:
    int Width() const final { return width_; }
    int Height() const final { return height_; }
    const std::uint32_t* Row(int y) final;

protected:
    void SetSize(int width, int height);
    // Rows `top` to `top + count - 1` into `out`, the top one first; false when they cannot be
    // read.
    virtual bool ReadRows(int top, int count, std::uint32_t* out) = 0;

private:
    bool ReadBandEndingAt(int y);

    int width_ = 0, height_ = 0;
    std::vector<std::uint32_t> band_;
    int bandTop_ = 0, bandRows_ = 0;  // the rows the band holds
};

// The rows of a picture held whole.
std::unique_ptr<PictureRows> RowsOf(Image picture);

// Every row, into one picture; nothing when a row cannot be read.
std::optional<Image> WholePicture(PictureRows& rows);

}  // namespace vexaframe
