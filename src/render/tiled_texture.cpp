#include "render/tiled_texture.h"

#include <bit>
#include <cstddef>

namespace vexaframe {

namespace {

// log2 of the tiles along a side; a side shorter than a tile takes one, partly used.
std::uint32_t TileCountShift(int side) {
    const auto sideShift =
        static_cast<std::uint32_t>(std::countr_zero(static_cast<unsigned>(side)));
    constexpr std::uint32_t kTileShift = TexelAddressing::kTileShift;
    return sideShift > kTileShift ? sideShift - kTileShift : 0;
}

}  // namespace

TiledTexture::TiledTexture(int width, int height)
    : addressing_{static_cast<std::uint32_t>(width) - 1, static_cast<std::uint32_t>(height) - 1,
                  TileCountShift(width)},
      texels_(std::make_unique_for_overwrite<std::uint32_t[]>(
          std::size_t{1} << (addressing_.tilesAcrossShift + TileCountShift(height) +
                             2 * TexelAddressing::kTileShift))) {}

void TiledTexture::CopyRows(const Image& picture, int firstRow, int rowCount) {
    for (int row = firstRow; row < firstRow + rowCount; ++row)
        for (int column = 0; column < picture.width; ++column)
            texels_[addressing_.IndexOf(column, row)] = picture.At(column, row);
}

}  // namespace vexaframe
