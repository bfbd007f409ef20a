#pragma once
// The upload every device makes: the picture copied into the device's texture a band of rows per
// step. Each device says how a band is copied.

#include <memory>

#include "render/render_device.h"

namespace vexaframe {

class BandedTextureUpload : public TextureUpload {
public:
    State Step() final;
    std::unique_ptr<DeviceTexture> TakeTexture() final;

protected:
    // `texture` takes the bands and is handed out once they are all in. The picture must not be
    // empty.
    BandedTextureUpload(std::shared_ptr<const Image> picture,
                        std::unique_ptr<DeviceTexture> texture);

    // Copies `rowCount` rows from `firstRow` on; false when the device fails it.
    virtual bool CopyBand(const Image& picture, int firstRow, int rowCount) = 0;
    // Lets go of what only the copying needed, once it is over either way.
    virtual void EndCopying() = 0;

private:
    State End(State state);

    std::shared_ptr<const Image> picture_;
    std::unique_ptr<DeviceTexture> texture_;
    int nextRow_ = 0;
    State state_ = State::Uploading;
};

}  // namespace vexaframe
