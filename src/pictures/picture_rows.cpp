#include "pictures/picture_rows.h"

#include <cstddef>
#include <utility>

namespace vexaframe {
namespace {

class ImageRows final : public PictureRows {
public:
    explicit ImageRows(Image picture) : picture_(std::move(picture)) {}

    int Width() const override { return picture_.width; }
    int Height() const override { return picture_.height; }
    const std::uint32_t* Row(int y) override {
        return picture_.pixels.data() +
               static_cast<std::size_t>(y) * static_cast<std::size_t>(picture_.width);
    }

private:
    Image picture_;
};

}  // namespace

std::unique_ptr<PictureRows> RowsOf(Image picture) {
    return std::make_unique<ImageRows>(std::move(picture));
}

}  // namespace vexaframe
