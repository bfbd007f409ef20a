#pragma once
// A picture as the software device samples it: power-of-two sides, so wrapping is a mask,
// stored in 8 x 8 tiles, so that texels near each other in either direction share cache
// lines and pages, and a minified walk costs alike whichever way it runs.

#include <cstdint>
#include <memory>

#include "pictures/image.h"

namespace vexaframe {

// Where each texel of a tiled texture is stored.
struct TexelAddressing {
    std::uint32_t columnMask = 0;  // width - 1
    std::uint32_t rowMask = 0;     // height - 1
    std::uint32_t tilesAcrossShift = 0;

    static constexpr std::uint32_t kTileShift = 3;  // 8 x 8 texels: 256 bytes
    static constexpr std::uint32_t kInTileMask = (1u << kTileShift) - 1;

    // Any coordinates, as the texture repeats both ways.
    std::uint32_t IndexOf(int column, int row) const {
        const std::uint32_t x = static_cast<std::uint32_t>(column) & columnMask;
        const std::uint32_t y = static_cast<std::uint32_t>(row) & rowMask;
        const std::uint32_t tile = (y >> kTileShift << tilesAcrossShift) + (x >> kTileShift);
        return tile << (2 * kTileShift) | (y & kInTileMask) << kTileShift | (x & kInTileMask);
    }
};

class TiledTexture {
public:
    // Room for a picture of this size, its texels still to be copied in, so that making it
    // touches no memory. The sides must be powers of two.
    TiledTexture(int width, int height);

    // Copies `rowCount` rows from `firstRow` on of a picture of the texture's size.
    void CopyRows(const Image& picture, int firstRow, int rowCount);

    int Width() const { return static_cast<int>(addressing_.columnMask) + 1; }
    int Height() const { return static_cast<int>(addressing_.rowMask) + 1; }
    const TexelAddressing& Addressing() const { return addressing_; }

    std::uint32_t TexelAt(std::uint32_t index) const { return texels_[index]; }

    // Starts bringing the texel into the cache while other work goes on.
    void Prefetch(std::uint32_t index) const { __builtin_prefetch(texels_.get() + index); }

private:
    TexelAddressing addressing_;
    std::unique_ptr<std::uint32_t[]> texels_;
};

}  // namespace vexaframe
