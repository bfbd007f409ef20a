#include "pictures/picture_rows.h"

#include <algorithm>
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

// What a band holds at most, beside the picture's source.
constexpr std::size_t kBandBytes = std::size_t{4} << 20;

}  // namespace

void BandedRows::SetSize(int width, int height) {
    width_ = width;
    height_ = height;
    bandRows_ = 0;
}

const std::uint32_t* BandedRows::Row(int y) {
    if (y < 0 || y >= height_) return nullptr;
    if (y < bandTop_ || y >= bandTop_ + bandRows_) {
        if (!ReadBandEndingAt(y)) return nullptr;
    }
    return band_.data() + static_cast<std::size_t>(y - bandTop_) * static_cast<std::size_t>(width_);
}

// Row y and up to a band's worth above it.
bool BandedRows::ReadBandEndingAt(int y) {
    const auto width = static_cast<std::size_t>(width_);
    const int rows = static_cast<int>(std::clamp<std::size_t>(
        kBandBytes / (width * sizeof(std::uint32_t)), 1, static_cast<std::size_t>(y) + 1));
    band_.resize(width * static_cast<std::size_t>(rows));
    bandRows_ = 0;
    if (!ReadRows(y - rows + 1, rows, band_.data())) return false;
    for (std::uint32_t& pixel : band_) pixel |= kOpaque;
    bandTop_ = y - rows + 1;
    bandRows_ = rows;
    return true;
}

std::unique_ptr<PictureRows> RowsOf(Image picture) {
    return std::make_unique<ImageRows>(std::move(picture));
}

std::optional<Image> WholePicture(PictureRows& rows) {
    Image picture(rows.Width(), rows.Height());
    const auto width = static_cast<std::size_t>(rows.Width());
    // Bottom row first, as the rows are quickest read.
    for (int y = rows.Height() - 1; y >= 0; --y) {
        const std::uint32_t* row = rows.Row(y);
        if (row == nullptr) return std::nullopt;
        std::copy_n(row, width, &picture.At(0, y));
    }
    return picture;
}

}  // namespace vexaframe
