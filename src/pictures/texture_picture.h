#pragma once
// The texture made from a bitmap file: the file's picture resampled to a size the device takes.

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "pictures/image.h"

namespace vexaframe {

// The textures a device takes.
struct TextureLimits {
    int maxTextureSize;   // in either direction
    bool powerOfTwoOnly;  // texture sides must be powers of two
};

struct TextureSize {
    int width = 0;
    int height = 0;
};

// A device's limits on a target of `width` x `height` pixels: no texture side beyond the
// smallest power of two at or above the target's longer side, as no more of a picture shows on
// it (a cube face never covers the whole target).
TextureLimits LimitsForTarget(TextureLimits device, int width, int height);

// Each side rounded up to a power of two when the device needs it, then cut down to the largest
// side the device takes.
TextureSize TextureSizeFor(int pictureWidth, int pictureHeight, TextureLimits limits);

// Whether a device with these limits takes the picture as it is: every pixel there, and sides
// it takes.
bool FitsTextureLimits(const Image& picture, TextureLimits limits);

// A box filter along a side that shrinks, a triangle filter along a side that grows. The picture
// must not be empty.
Image Resample(const Image& picture, TextureSize size);

// The picture resampled to the size TextureSizeFor gives; `limits` must allow a side of 1.
Image TextureFor(const Image& picture, TextureLimits limits);

// The texture TextureFor makes, from a picture whose rows come one at a time, in any order:
// only the rows resampled across are held, never the picture.
class TextureFromRows {
public:
    // `limits` must allow a side of 1.
    TextureFromRows(int width, int height, TextureLimits limits);
    ~TextureFromRows();
    TextureFromRows(const TextureFromRows&) = delete;
    TextureFromRows& operator=(const TextureFromRows&) = delete;

    // Row `y` of the picture, counted from its top: `width` pixels.
    void AddRow(int y, const std::uint32_t* row);
    // Once every row is in.
    Image Finish();

private:
    struct RowFilter;
    TextureSize size_;
    int pictureHeight_;
    std::unique_ptr<RowFilter> rowFilter_;
    Image rows_;
};

// Nothing when the file is no bitmap the reader takes, or the device reports no usable size.
std::optional<Image> TextureFromBitmapFile(std::string_view fileBytes, TextureLimits limits);

}  // namespace vexaframe
