#include "pictures/bmp_file.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <limits>

namespace vexaframe {
namespace {

constexpr int kBitsPerPixel = 24;
// What a written bitmap holds in memory at a time beside its picture.
constexpr std::size_t kBandBytes = std::size_t{1} << 20;

void Put16(std::string& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

void Put32(std::string& bytes, std::size_t at, std::uint32_t value) {
    Put16(bytes, at, static_cast<std::uint16_t>(value & 0xFFFF));
    Put16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}

void PutHeaders(std::string& bytes, int width, int height, std::uint32_t imageSize) {
    using namespace bmp;
    Put16(bytes, kSignatureAt, kSignature);
    Put32(bytes, kFileSizeAt, kPixelDataOffset + imageSize);
    Put32(bytes, kPixelDataOffsetAt, kPixelDataOffset);
    Put32(bytes, kInfoHeaderSizeAt, kInfoHeaderSize);
    Put32(bytes, kWidthAt, static_cast<std::uint32_t>(width));
    Put32(bytes, kHeightAt, static_cast<std::uint32_t>(height));
    Put16(bytes, kPlanesAt, kPlanes);
    Put16(bytes, kBitsPerPixelAt, kBitsPerPixel);
    Put32(bytes, kCompressionAt, kCompressionNone);
    Put32(bytes, kImageSizeAt, imageSize);
    Put32(bytes, kPixelsPerMetreXAt, kPixelsPerMetreAt96Dpi);
    Put32(bytes, kPixelsPerMetreYAt, kPixelsPerMetreAt96Dpi);
    Put32(bytes, kColoursUsedAt, 0);
    Put32(bytes, kColoursImportantAt, 0);
}

// Reading. Every offset is checked against the buffer before it is read.

const std::uint8_t* Data(std::string_view bytes) {
    return reinterpret_cast<const std::uint8_t*>(bytes.data());
}

std::uint32_t Load16(const std::uint8_t* at) {
    return at[0] | static_cast<std::uint32_t>(at[1]) << 8;
}
std::uint32_t Load24(const std::uint8_t* at) {
    return Load16(at) | static_cast<std::uint32_t>(at[2]) << 16;
}
std::uint32_t Load32(const std::uint8_t* at) {
    return Load16(at) | Load16(at + 2) << 16;
}

std::uint32_t Get16(std::string_view bytes, std::size_t at) {
    return Load16(Data(bytes) + at);
}
std::uint32_t Get32(std::string_view bytes, std::size_t at) {
    return Load32(Data(bytes) + at);
}

struct ChannelMasks {
    std::uint32_t red = 0, green = 0, blue = 0, alpha = 0;
};

// Where a file's pixels lie and how they are stored.
struct Layout {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bitsPerPixel = 0;
    std::uint32_t compression = bmp::kCompressionNone;
    ChannelMasks masks;  // 16 and 32 bits a pixel
    std::size_t paletteAt = 0;
    std::size_t paletteEntrySize = 4;
    std::uint32_t paletteEntries = 0;  // as declared; the file may hold fewer
    std::size_t pixelsAt = 0;
};

bool IsIndexed(int bitsPerPixel) {
    return bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8;
}

std::uint32_t FullPaletteEntries(int bitsPerPixel) {
    return IsIndexed(bitsPerPixel) ? 1u << bitsPerPixel : 0;
}

// The masks that BI_RGB implies: 5-5-5 for 16 bits a pixel, 8-8-8 for 32.
ChannelMasks DefaultMasks(int bitsPerPixel) {
    if (bitsPerPixel == 16) return {0x7C00, 0x03E0, 0x001F, 0};
    return {0xFF0000, 0x00FF00, 0x0000FF, 0};
}

std::optional<Layout> ReadCoreHeader(std::string_view bytes) {
    using namespace bmp;
    if (bytes.size() < kFileHeaderSize + kCoreHeaderSize || Get16(bytes, kCorePlanesAt) != kPlanes)
        return std::nullopt;
    Layout layout;
    layout.width = static_cast<int>(Get16(bytes, kCoreWidthAt));
    layout.height = static_cast<int>(Get16(bytes, kCoreHeightAt));
    layout.bitsPerPixel = static_cast<int>(Get16(bytes, kCoreBitsPerPixelAt));
    if (!IsIndexed(layout.bitsPerPixel) && layout.bitsPerPixel != 24) return std::nullopt;
    layout.paletteAt = kFileHeaderSize + kCoreHeaderSize;
    layout.paletteEntrySize = 3;
    layout.paletteEntries = FullPaletteEntries(layout.bitsPerPixel);
    return layout;
}

bool IsInfoHeaderSize(std::uint32_t size) {
    using namespace bmp;
    return size == kInfoHeaderSize || size == kV2HeaderSize || size == kV3HeaderSize ||
           size == kV4HeaderSize || size == kV5HeaderSize;
}

std::optional<Layout> ReadInfoHeader(std::string_view bytes, std::uint32_t headerSize) {
    using namespace bmp;
    if (bytes.size() < kFileHeaderSize + headerSize || Get16(bytes, kPlanesAt) != kPlanes)
        return std::nullopt;
    const auto width = static_cast<std::int32_t>(Get32(bytes, kWidthAt));
    const auto height = static_cast<std::int32_t>(Get32(bytes, kHeightAt));
    if (height == std::numeric_limits<std::int32_t>::min()) return std::nullopt;  // no |height|

    Layout layout;
    layout.width = width;
    layout.height = height < 0 ? -height : height;
    layout.topDown = height < 0;
    layout.bitsPerPixel = static_cast<int>(Get16(bytes, kBitsPerPixelAt));
    layout.compression = Get32(bytes, kCompressionAt);
    layout.paletteAt = kFileHeaderSize + headerSize;
    if (layout.compression == kCompressionBitFields) {
        if (headerSize == kInfoHeaderSize) layout.paletteAt += kColourMasksSize;
        if (bytes.size() < layout.paletteAt) return std::nullopt;
        layout.masks = {Get32(bytes, kRedMaskAt), Get32(bytes, kGreenMaskAt),
                        Get32(bytes, kBlueMaskAt),
                        headerSize >= kV3HeaderSize ? Get32(bytes, kAlphaMaskAt) : 0};
    } else {
        layout.masks = DefaultMasks(layout.bitsPerPixel);
    }
    const std::uint32_t coloursUsed = Get32(bytes, kColoursUsedAt);
    if (coloursUsed > FullPaletteEntries(layout.bitsPerPixel)) return std::nullopt;
    layout.paletteEntries =
        coloursUsed != 0 ? coloursUsed : FullPaletteEntries(layout.bitsPerPixel);
    return layout;
}

bool IsContiguous(std::uint32_t mask) {
    const std::uint32_t bits = mask >> std::countr_zero(mask | 0x80000000u);
    return (bits & (bits + 1)) == 0;
}

bool IsRle(std::uint32_t compression) {
    return compression == bmp::kCompressionRle8 || compression == bmp::kCompressionRle4;
}

bool IsSupportedEncoding(const Layout& layout) {
    const int bits = layout.bitsPerPixel;
    switch (layout.compression) {
        case bmp::kCompressionNone:
            return IsIndexed(bits) || bits == 16 || bits == 24 || bits == 32;
        case bmp::kCompressionRle8:
            return bits == 8 && !layout.topDown;  // RLE rows are always bottom-up
        case bmp::kCompressionRle4:
            return bits == 4 && !layout.topDown;
        case bmp::kCompressionBitFields: {
            const ChannelMasks& m = layout.masks;
            return (bits == 16 || bits == 32) && IsContiguous(m.red) && IsContiguous(m.green) &&
                   IsContiguous(m.blue) && IsContiguous(m.alpha);
        }
        default:
            return false;
    }
}

std::optional<Layout> ReadLayout(std::string_view bytes) {
    using namespace bmp;
    if (bytes.size() < kInfoHeaderSizeAt + 4 || Get16(bytes, kSignatureAt) != kSignature)
        return std::nullopt;
    const std::uint32_t headerSize = Get32(bytes, kInfoHeaderSizeAt);
    std::optional<Layout> layout;
    if (headerSize == kCoreHeaderSize) {
        layout = ReadCoreHeader(bytes);
    } else if (IsInfoHeaderSize(headerSize)) {
        layout = ReadInfoHeader(bytes, headerSize);
    }
    if (!layout || !bmp::IsWithinLimits(layout->width, layout->height) ||
        !IsSupportedEncoding(*layout))
        return std::nullopt;
    layout->pixelsAt = Get32(bytes, kPixelDataOffsetAt);
    if (layout->pixelsAt < layout->paletteAt || layout->pixelsAt > bytes.size())
        return std::nullopt;
    return layout;
}

using Palette = std::array<std::uint32_t, 256>;

// Entries the file leaves out read as black, so that every index has a colour.
Palette ReadPalette(std::string_view bytes, const Layout& layout) {
    Palette palette;
    palette.fill(kOpaque);
    const std::size_t room = (layout.pixelsAt - layout.paletteAt) / layout.paletteEntrySize;
    const std::size_t entries = std::min<std::size_t>(layout.paletteEntries, room);
    for (std::size_t i = 0; i < entries; ++i)
        palette[i] = kOpaque | Load24(Data(bytes) + layout.paletteAt + i * layout.paletteEntrySize);
    return palette;
}

// One channel of a masked pixel in 8 bits: a wide channel keeps its top 8 bits, a narrow one is
// scaled so that its full value stays full. A channel without a mask reads as `absent`.
class ChannelReader {
public:
    ChannelReader(std::uint32_t mask, std::uint8_t absent) : mask_(mask) {
        if (mask == 0) {
            scale_.fill(absent);
            return;
        }
        const int low = std::countr_zero(mask);
        shift_ = low + std::max(0, static_cast<int>(std::bit_width(mask >> low)) - 8);
        const std::uint32_t full = mask >> shift_;
        for (std::uint32_t value = 0; value <= full; ++value)
            scale_[value] = static_cast<std::uint8_t>((value * 255 + full / 2) / full);
    }

    std::uint32_t operator()(std::uint32_t pixel) const {
        return scale_[(pixel & mask_) >> shift_];
    }

private:
    std::uint32_t mask_;
    int shift_ = 0;
    std::array<std::uint8_t, 256> scale_{};
};

class MaskedPixelReader {
public:
    explicit MaskedPixelReader(const ChannelMasks& masks)
        : red_(masks.red, 0),
          green_(masks.green, 0),
          blue_(masks.blue, 0),
          alpha_(masks.alpha, 0xFF) {}

    std::uint32_t operator()(std::uint32_t pixel) const {
        return alpha_(pixel) << 24 | red_(pixel) << 16 | green_(pixel) << 8 | blue_(pixel);
    }

private:
    ChannelReader red_, green_, blue_, alpha_;
};

// The palette index of the i-th pixel of packed 1-, 4- or 8-bit data; the leftmost pixel sits
// in the high bits.
unsigned IndexAt(const std::uint8_t* data, std::size_t i, int bitsPerPixel) {
    const std::size_t bit = i * static_cast<std::size_t>(bitsPerPixel);
    return (data[bit / 8] >> (8 - bitsPerPixel - bit % 8)) & ((1u << bitsPerPixel) - 1);
}

void DecodeRow(const std::uint8_t* row, const Layout& layout, const Palette& palette,
               const MaskedPixelReader& masked, std::uint32_t* out) {
    const auto width = static_cast<std::size_t>(layout.width);
    switch (layout.bitsPerPixel) {
        case 24:
            for (std::size_t x = 0; x < width; ++x) out[x] = kOpaque | Load24(row + 3 * x);
            break;
        case 16:
            for (std::size_t x = 0; x < width; ++x) out[x] = masked(Load16(row + 2 * x));
            break;
        case 32:
            for (std::size_t x = 0; x < width; ++x) out[x] = masked(Load32(row + 4 * x));
            break;
        default:
            for (std::size_t x = 0; x < width; ++x)
                out[x] = palette[IndexAt(row, x, layout.bitsPerPixel)];
    }
}

std::optional<Image> DecodeRows(std::string_view bytes, const Layout& layout) {
    const std::size_t stride = bmp::RowStride(layout.width, layout.bitsPerPixel);
    const std::size_t bitsInRow =
        static_cast<std::size_t>(layout.width) * static_cast<std::size_t>(layout.bitsPerPixel);
    // Some writers leave out the padding of the last row.
    const std::size_t needed =
        stride * static_cast<std::size_t>(layout.height - 1) + (bitsInRow + 7) / 8;
    if (bytes.size() - layout.pixelsAt < needed) return std::nullopt;

    const Palette palette = ReadPalette(bytes, layout);
    const MaskedPixelReader masked(layout.masks);
    Image image(layout.width, layout.height);
    for (int row = 0; row < layout.height; ++row) {
        const int y = layout.topDown ? row : layout.height - 1 - row;
        const std::uint8_t* in =
            Data(bytes) + layout.pixelsAt + stride * static_cast<std::size_t>(row);
        DecodeRow(in, layout, palette, masked, &image.At(0, y));
    }
    return image;
}

// RLE codes: a run repeats one index (RLE4: two alternating ones); a zero count starts an
// escape: end of line, end of picture, a move ahead, or a stretch of literal indexes padded to
// 16 bits. Pixels the codes skip keep palette entry 0; pixels past a row's end are dropped.
constexpr std::uint8_t kEndOfLine = 0;
constexpr std::uint8_t kEndOfPicture = 1;
constexpr std::uint8_t kMoveAhead = 2;

std::optional<Image> DecodeRle(std::string_view bytes, const Layout& layout) {
    const std::size_t available = bytes.size() - layout.pixelsAt;
    if (static_cast<std::uint64_t>(layout.width) * static_cast<std::uint64_t>(layout.height) >
        bmp::kMaxRlePixelsPerByte * available)
        return std::nullopt;

    const Palette palette = ReadPalette(bytes, layout);
    Image image(layout.width, layout.height);
    std::fill(image.pixels.begin(), image.pixels.end(), palette[0]);

    const int bits = layout.bitsPerPixel;
    const std::uint8_t* data = Data(bytes);
    std::size_t at = layout.pixelsAt;
    int x = 0;
    int row = 0;  // counted from the bottom
    const auto paint = [&](unsigned index) {
        if (x == layout.width) return;
        image.At(x++, layout.height - 1 - row) = palette[index];
    };
    while (row < layout.height) {
        if (bytes.size() - at < 2) return std::nullopt;
        const unsigned count = data[at];
        const std::uint8_t code = data[at + 1];
        at += 2;
        if (count > 0) {
            // The code byte holds one index (RLE8) or two (RLE4), repeated in turn.
            for (unsigned i = 0; i < count; ++i)
                paint(IndexAt(data + at - 1, i % static_cast<unsigned>(8 / bits), bits));
        } else if (code == kEndOfLine) {
            x = 0;
            ++row;
        } else if (code == kEndOfPicture) {
            break;
        } else if (code == kMoveAhead) {
            if (bytes.size() - at < 2) return std::nullopt;
            x = std::min(x + data[at], layout.width);
            row += data[at + 1];
            at += 2;
        } else {
            const std::size_t size = (static_cast<std::size_t>(code) * bits + 7) / 8;
            const std::size_t padded = size + size % 2;
            if (bytes.size() - at < padded) return std::nullopt;
            for (unsigned i = 0; i < code; ++i) paint(IndexAt(data + at, i, bits));
            at += padded;
        }
    }
    return image;
}

}  // namespace

bool WriteBmp24(const Image& image, const std::function<bool(std::string_view)>& write) {
    return WriteBmp24Rows(
        image.width, image.height,
        [&image](int y) { return image.pixels.data() + static_cast<std::size_t>(y) * image.width; },
        write);
}

bool WriteBmp24Rows(int width, int height, const std::function<const std::uint32_t*(int)>& row,
                    const std::function<bool(std::string_view)>& write) {
    const std::size_t stride = bmp::RowStride(width, kBitsPerPixel);
    const std::size_t imageSize = stride * static_cast<std::size_t>(height);
    std::string band(bmp::kPixelDataOffset, '\0');
    PutHeaders(band, width, height, static_cast<std::uint32_t>(imageSize));
    const std::size_t rowsPerBand =
        std::max<std::size_t>(1, kBandBytes / std::max<std::size_t>(stride, 1));

    // The file's first row is the picture's bottom row.
    for (int y = height - 1; y >= 0; --y) {
        const std::size_t at = band.size();
        band.resize(at + stride, '\0');
        char* out = band.data() + at;
        const std::uint32_t* pixels = row(y);
        if (pixels == nullptr) return false;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t pixel = pixels[x];
            *out++ = static_cast<char>(pixel & 0xFF);          // blue
            *out++ = static_cast<char>((pixel >> 8) & 0xFF);   // green
            *out++ = static_cast<char>((pixel >> 16) & 0xFF);  // red
        }
        if (band.size() >= rowsPerBand * stride) {
            if (!write(band)) return false;
            band.clear();
        }
    }
    return band.empty() || write(band);
}

std::string EncodeBmp24(const Image& image) {
    std::string bytes;
    bytes.reserve(bmp::kPixelDataOffset + bmp::RowStride(image.width, kBitsPerPixel) *
                                              static_cast<std::size_t>(image.height));
    (void)WriteBmp24(image, [&](std::string_view band) {
        bytes += band;
        return true;
    });
    return bytes;
}

std::optional<Image> DecodeBmp(std::string_view bytes) {
    const std::optional<Layout> layout = ReadLayout(bytes);
    if (!layout) return std::nullopt;
    return IsRle(layout->compression) ? DecodeRle(bytes, *layout) : DecodeRows(bytes, *layout);
}

std::optional<PixelSize> BmpPictureSize(std::string_view bytes) {
    const std::optional<Layout> layout = ReadLayout(bytes);
    if (!layout) return std::nullopt;
    return PixelSize{layout->width, layout->height};
}

}  // namespace vexaframe
