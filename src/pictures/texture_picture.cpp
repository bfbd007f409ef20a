#include "pictures/texture_picture.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "pictures/bmp_file.h"

namespace vexaframe {
namespace {

// Filter weights in fixed point: fine enough for a box of hundreds of pixels, coarse enough that
// 255 whole weights fit the 32 bits of a channel sum (see ChannelSums).
constexpr int kWeightBits = 14;
constexpr std::uint32_t kWholeWeight = 1 << kWeightBits;

int SideFor(int pictureSide, TextureLimits limits) {
    if (!limits.powerOfTwoOnly) return std::min(pictureSide, limits.maxTextureSize);
    const unsigned largest = std::bit_floor(static_cast<unsigned>(limits.maxTextureSize));
    return static_cast<int>(std::min(std::bit_ceil(static_cast<unsigned>(pictureSide)), largest));
}

// Along one axis, for each destination pixel: the first source pixel it reads and the weights of
// that pixel and the ones after it. Each pixel's weights sum to exactly one whole weight, so a
// flat area stays flat.
class AxisFilter {
public:
    struct Span {
        int first;
        std::size_t weightsAt;
        std::size_t count;
    };

    // The weights as numerators over one denominator, which they sum to. Rounding the running
    // sum rather than each weight keeps every weight within one unit and the total exact.
    void Add(int first, std::span<const std::int64_t> numerators, std::int64_t denominator) {
        spans_.push_back({first, weights_.size(), numerators.size()});
        std::int64_t sum = 0;
        std::uint32_t roundedBefore = 0;
        for (const std::int64_t numerator : numerators) {
            sum += numerator;
            const auto rounded =
                static_cast<std::uint32_t>((sum * kWholeWeight + denominator / 2) / denominator);
            weights_.push_back(rounded - roundedBefore);
            roundedBefore = rounded;
        }
    }

    int size() const { return static_cast<int>(spans_.size()); }
    const Span& operator[](int i) const { return spans_[static_cast<std::size_t>(i)]; }
    const std::uint32_t* Weights(const Span& span) const { return &weights_[span.weightsAt]; }

private:
    std::vector<Span> spans_;
    std::vector<std::uint32_t> weights_;
};

// Each destination pixel averages the source pixels under it, in proportion to how much of each
// it covers. In units of 1/to of a source pixel, destination pixel i covers [i*from, (i+1)*from).
AxisFilter BoxFilter(int from, int to) {
    AxisFilter filter;
    std::vector<std::int64_t> overlaps;
    for (std::int64_t i = 0; i < to; ++i) {
        const std::int64_t begin = i * from;
        const std::int64_t end = begin + from;
        const std::int64_t first = begin / to;
        overlaps.clear();
        for (std::int64_t j = first; j * to < end; ++j)
            overlaps.push_back(std::min(end, (j + 1) * to) - std::max(begin, j * to));
        filter.Add(static_cast<int>(first), overlaps, from);
    }
    return filter;
}

// Each destination pixel blends the two source pixels nearest its centre; past the outer source
// centres the edge pixel holds, so the corners keep their colour. In units of 1/(2*to) of a source
// pixel, the centre of destination pixel i lies at (2i+1)*from - to.
AxisFilter TriangleFilter(int from, int to) {
    AxisFilter filter;
    const std::int64_t unit = 2 * static_cast<std::int64_t>(to);
    for (std::int64_t i = 0; i < to; ++i) {
        const std::int64_t centre = (2 * i + 1) * from - to;
        if (centre < 0) {
            filter.Add(0, std::array<std::int64_t, 1>{1}, 1);
        } else if (centre >= (from - 1) * unit) {
            filter.Add(from - 1, std::array<std::int64_t, 1>{1}, 1);
        } else {
            const std::int64_t fraction = centre % unit;
            filter.Add(static_cast<int>(centre / unit),
                       std::array<std::int64_t, 2>{unit - fraction, fraction}, unit);
        }
    }
    return filter;
}

AxisFilter FilterFor(int from, int to) {
    return to < from ? BoxFilter(from, to) : TriangleFilter(from, to);
}

// Weighted sums of a pixel's four channels, two to a 64-bit word: a channel's sum stays below
// 2^22, so it never spills into the next. Half the multiplications of one channel at a time.
struct ChannelSums {
    std::uint64_t blueRed = 0;
    std::uint64_t greenAlpha = 0;
};

void AddWeighted(ChannelSums& sums, std::uint32_t pixel, std::uint32_t weight) {
    sums.blueRed += ((pixel & 0xFF) | static_cast<std::uint64_t>(pixel & 0xFF0000) << 16) * weight;
    sums.greenAlpha +=
        (((pixel >> 8) & 0xFF) | static_cast<std::uint64_t>(pixel >> 24) << 32) * weight;
}

std::uint32_t Pack(const ChannelSums& sums) {
    constexpr std::uint64_t kHalfEach = (std::uint64_t{kWholeWeight / 2} << 32) | kWholeWeight / 2;
    const std::uint64_t blueRed = (sums.blueRed + kHalfEach) >> kWeightBits;
    const std::uint64_t greenAlpha = (sums.greenAlpha + kHalfEach) >> kWeightBits;
    return static_cast<std::uint32_t>((blueRed & 0xFF) | (greenAlpha & 0xFF) << 8 |
                                      (blueRed >> 32 & 0xFF) << 16 |
                                      (greenAlpha >> 32 & 0xFF) << 24);
}

const std::uint32_t* Row(const Image& image, int y) {
    return image.pixels.data() +
           static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width);
}

void ResampleRow(const std::uint32_t* row, const AxisFilter& filter, std::uint32_t* out) {
    for (int x = 0; x < filter.size(); ++x) {
        const AxisFilter::Span& span = filter[x];
        const std::uint32_t* weights = filter.Weights(span);
        ChannelSums sums;
        for (std::size_t k = 0; k < span.count; ++k)
            AddWeighted(sums, row[static_cast<std::size_t>(span.first) + k], weights[k]);
        out[x] = Pack(sums);
    }
}

std::uint32_t* Row(Image& image, int y) {
    return image.pixels.data() +
           static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width);
}

Image ResampleRows(const Image& in, const AxisFilter& filter) {
    Image out(filter.size(), in.height);
    for (int y = 0; y < in.height; ++y) ResampleRow(Row(in, y), filter, Row(out, y));
    return out;
}

// Whole rows at a time, so that memory is read in order.
Image ResampleColumns(const Image& in, const AxisFilter& filter) {
    Image out(in.width, filter.size());
    const auto width = static_cast<std::size_t>(in.width);
    std::vector<ChannelSums> sums(width);
    for (int y = 0; y < out.height; ++y) {
        const AxisFilter::Span& span = filter[y];
        const std::uint32_t* weights = filter.Weights(span);
        std::fill(sums.begin(), sums.end(), ChannelSums{});
        for (std::size_t k = 0; k < span.count; ++k) {
            const std::uint32_t* row = Row(in, span.first + static_cast<int>(k));
            for (std::size_t x = 0; x < width; ++x) AddWeighted(sums[x], row[x], weights[k]);
        }
        for (std::size_t x = 0; x < width; ++x) out.At(static_cast<int>(x), y) = Pack(sums[x]);
    }
    return out;
}

}  // namespace

struct TextureFromRows::RowFilter {
    AxisFilter filter;
};

TextureFromRows::TextureFromRows(int width, int height, TextureLimits limits)
    : size_(TextureSizeFor(width, height, limits)),
      pictureHeight_(height),
      rowFilter_(std::make_unique<RowFilter>(RowFilter{FilterFor(width, size_.width)})),
      rows_(size_.width, height) {}

TextureFromRows::~TextureFromRows() = default;

void TextureFromRows::AddRow(int y, const std::uint32_t* row) {
    ResampleRow(row, rowFilter_->filter, Row(rows_, y));
}

Image TextureFromRows::Finish() {
    if (size_.height == pictureHeight_) return std::move(rows_);
    return ResampleColumns(rows_, FilterFor(pictureHeight_, size_.height));
}

TextureLimits LimitsForTarget(TextureLimits device, int width, int height) {
    const int longer = std::max(width, height);
    if (longer < 1) return device;  // a target of no size says nothing
    const auto screenSide = static_cast<int>(std::min(std::bit_ceil(static_cast<unsigned>(longer)),
                                                      static_cast<unsigned>(INT_MAX / 2 + 1)));
    return {std::min(device.maxTextureSize, screenSide), device.powerOfTwoOnly};
}

TextureSize TextureSizeFor(int pictureWidth, int pictureHeight, TextureLimits limits) {
    return {SideFor(pictureWidth, limits), SideFor(pictureHeight, limits)};
}

bool FitsTextureLimits(const Image& picture, TextureLimits limits) {
    const auto fits = [&](int side) {
        return side >= 1 && side <= limits.maxTextureSize &&
               (!limits.powerOfTwoOnly || std::has_single_bit(static_cast<unsigned>(side)));
    };
    return fits(picture.width) && fits(picture.height) &&
           picture.pixels.size() == static_cast<std::size_t>(picture.width) * picture.height;
}

Image Resample(const Image& picture, TextureSize size) {
    if (size.width == picture.width) {
        if (size.height == picture.height) return picture;
        return ResampleColumns(picture, FilterFor(picture.height, size.height));
    }
    Image rows = ResampleRows(picture, FilterFor(picture.width, size.width));
    if (size.height == picture.height) return rows;
    return ResampleColumns(rows, FilterFor(picture.height, size.height));
}

Image TextureFor(const Image& picture, TextureLimits limits) {
    return Resample(picture, TextureSizeFor(picture.width, picture.height, limits));
}

std::optional<Image> TextureFromBitmapFile(std::string_view fileBytes, TextureLimits limits) {
    if (limits.maxTextureSize < 1) return std::nullopt;
    std::optional<Image> picture = DecodeBmp(fileBytes);
    if (!picture) return std::nullopt;
    return TextureFor(*picture, limits);
}

}  // namespace vexaframe
