#include "render/banded_texture_upload.h"

#include <algorithm>

namespace vexaframe {

BandedTextureUpload::BandedTextureUpload(std::shared_ptr<const Image> picture,
                                         std::unique_ptr<DeviceTexture> texture)
    : picture_(std::move(picture)), texture_(std::move(texture)) {}

TextureUpload::State BandedTextureUpload::Step() {
    if (state_ != State::Uploading) return state_;
    const int rows = std::min(TextureBandRows(picture_->width), picture_->height - nextRow_);
    if (!CopyBand(*picture_, nextRow_, rows)) return End(State::Failed);
    nextRow_ += rows;
    return nextRow_ < picture_->height ? state_ : End(State::Finished);
}

std::unique_ptr<DeviceTexture> BandedTextureUpload::TakeTexture() {
    return state_ == State::Finished ? std::move(texture_) : nullptr;
}

// The picture, which may be large, goes as soon as it is copied; a half-filled texture goes too.
TextureUpload::State BandedTextureUpload::End(State state) {
    EndCopying();
    picture_.reset();
    if (state == State::Failed) texture_.reset();
    state_ = state;
    return state;
}

}  // namespace vexaframe
