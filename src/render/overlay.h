#pragma once
// A picture laid over frames pixel for pixel, such as a caption: what every device shares in
// making and placing it.

#include <memory>
#include <optional>

#include "pictures/image.h"
#include "render/pixel_region.h"
#include "render/render_device.h"

namespace vexaframe {

// The pixels of the target an overlay of `size` covers with its top-left pixel at (x, y): the
// part on the target, empty when none is.
PixelRegion OverlayArea(PixelSize size, TextureSize target, int x, int y);

// Whether an opacity is one DrawOverlay takes: 0..1, not NaN.
inline bool IsOpacity(float opacity) {
    return opacity >= 0 && opacity <= 1;
}

// The overlay as a texture of a device with these limits holds it: in the top-left corner,
// padded with transparent pixels to power-of-two sides when the device needs them. Nothing when
// the picture lacks pixels or the texture would be too large.
std::optional<Image> OverlayTexels(const Image& overlay, TextureLimits limits);

// An overlay drawn through one of a device's own textures, of which it takes the top-left part.
class OverlayTexture final : public DeviceTexture {
public:
    OverlayTexture(std::unique_ptr<DeviceTexture> texels, PixelSize shown, PixelSize stored)
        : texels_(std::move(texels)), shown_(shown), stored_(stored) {}

    DeviceTexture* Texels() const { return texels_.get(); }
    PixelSize Shown() const { return shown_; }    // the overlay's
    PixelSize Stored() const { return stored_; }  // the texture's

private:
    std::unique_ptr<DeviceTexture> texels_;
    PixelSize shown_, stored_;
};

// The overlay uploaded at once into a texture of the device, padded as its limits need; nothing
// when the device cannot make it.
std::unique_ptr<OverlayTexture> UploadOverlay(RenderDevice& device, const Image& overlay);

// The device's texture inside an overlay texture, when it is a `Texels`; nothing otherwise.
template <typename Texels>
const Texels* OverlayTexelsOf(DeviceTexture* overlay) {
    const auto* ours = dynamic_cast<const OverlayTexture*>(overlay);
    return ours ? dynamic_cast<const Texels*>(ours->Texels()) : nullptr;
}

}  // namespace vexaframe
