#include "render/overlay.h"

#include <algorithm>
#include <bit>
#include <cstdint>

namespace vexaframe {

namespace {

int PaddedSide(int side, TextureLimits limits) {
    return limits.powerOfTwoOnly ? static_cast<int>(std::bit_ceil(static_cast<unsigned>(side)))
                                 : side;
}

}  // namespace

PixelRegion OverlayArea(PixelSize size, TextureSize target, int x, int y) {
    // In 64 bits, so that an overlay far off the target cannot overflow.
    const auto clamped = [](std::int64_t value, int side) {
        return static_cast<int>(std::clamp<std::int64_t>(value, 0, side));
    };
    return {clamped(x, target.width), clamped(y, target.height),
            clamped(std::int64_t{x} + size.width, target.width),
            clamped(std::int64_t{y} + size.height, target.height)};
}

std::optional<Image> OverlayTexels(const Image& overlay, TextureLimits limits) {
    if (!FitsTextureLimits(overlay, {limits.maxTextureSize, false})) return std::nullopt;
    Image texels(PaddedSide(overlay.width, limits), PaddedSide(overlay.height, limits));
    if (!FitsTextureLimits(texels, limits)) return std::nullopt;
    for (int y = 0; y < overlay.height; ++y)
        std::copy_n(&overlay.pixels[static_cast<std::size_t>(y) * overlay.width], overlay.width,
                    &texels.At(0, y));
    return texels;
}

std::unique_ptr<OverlayTexture> UploadOverlay(RenderDevice& device, const Image& overlay) {
    const std::optional<Image> texels = OverlayTexels(overlay, device.Limits());
    if (!texels) return nullptr;
    std::unique_ptr<DeviceTexture> texture = device.CreateTexture(*texels);
    if (!texture) return nullptr;
    return std::make_unique<OverlayTexture>(std::move(texture),
                                            PixelSize{overlay.width, overlay.height},
                                            PixelSize{texels->width, texels->height});
}

}  // namespace vexaframe
