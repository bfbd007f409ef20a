// GIF pictures through giflib, record by record: only what leads up to the first image is read,
// and its size is checked before anything is allocated for it.

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "pictures/bmp_file.h"
#include "pictures/posix_picture_libraries.h"

namespace vexaframe {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFF;

struct Source {
    std::string_view bytes;
    std::size_t at = 0;
};

int ReadFromSource(GifFileType* gif, GifByteType* target, int count) {
    Source& source = *static_cast<Source*>(gif->UserData);
    const std::size_t taken =
        std::min(static_cast<std::size_t>(std::max(count, 0)), source.bytes.size() - source.at);
    std::memcpy(target, source.bytes.data() + source.at, taken);
    source.at += taken;
    return static_cast<int>(taken);
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int ignored = 0;
        DGifCloseFile(gif, &ignored);
    }
};
using OpenGif = std::unique_ptr<GifFileType, GifCloser>;

// An extension's blocks, read to their end; a graphic control block sets the transparent colour
// of the image that follows it.
bool ReadExtension(GifFileType& gif, int& transparent) {
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(&gif, &code, &block) == GIF_ERROR) return false;
    GraphicsControlBlock control{};
    if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr &&
        DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) {
        transparent = control.TransparentColor;
    }
    while (block != nullptr) {
        if (DGifGetExtensionNext(&gif, &block) == GIF_ERROR) return false;
    }
    return true;
}

std::uint32_t Colour(const ColorMapObject& colours, GifPixelType index, int transparent) {
    if (index == transparent) return kWhite;
    if (index >= colours.ColorCount) return kOpaque;  // black, as for an unset palette entry
    const GifColorType& colour = colours.Colors[index];
    return kOpaque | std::uint32_t{colour.Red} << 16 | std::uint32_t{colour.Green} << 8 |
           colour.Blue;
}

// Interlaced images store every eighth row from the first, then every eighth from the fifth,
// every fourth from the third, and every second from the second.
std::vector<int> RowOrder(int height, bool interlaced) {
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(height));
    if (!interlaced) {
        for (int row = 0; row < height; ++row) rows.push_back(row);
        return rows;
    }
    constexpr struct { int first, step; } kPasses[] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
    for (const auto& pass : kPasses) {
        for (int row = pass.first; row < height; row += pass.step) rows.push_back(row);
    }
    return rows;
}

// At its own size, wherever the logical screen places it, as the Windows loader gives it.
std::optional<Image> ReadImage(GifFileType& gif, int transparent) {
    if (DGifGetImageDesc(&gif) == GIF_ERROR) return std::nullopt;
    const GifImageDesc& frame = gif.Image;
    const ColorMapObject* colours = frame.ColorMap != nullptr ? frame.ColorMap : gif.SColorMap;
    if (colours == nullptr || !bmp::IsWithinLimits(frame.Width, frame.Height)) return std::nullopt;
    Image image(frame.Width, frame.Height);
    std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
    for (const int row : RowOrder(frame.Height, frame.Interlace)) {
        if (DGifGetLine(&gif, line.data(), frame.Width) == GIF_ERROR) return std::nullopt;
        for (int x = 0; x < frame.Width; ++x) {
            image.At(x, row) = Colour(*colours, line[static_cast<std::size_t>(x)], transparent);
        }
    }
    return image;
}

}  // namespace

std::optional<Image> DecodeGif(std::string_view bytes) {
    Source source{bytes};
    int error = 0;
    const OpenGif gif(DGifOpen(&source, ReadFromSource, &error));
    if (!gif) return std::nullopt;
    int transparent = NO_TRANSPARENT_COLOR;
    while (true) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR) return std::nullopt;
        if (record == IMAGE_DESC_RECORD_TYPE) return ReadImage(*gif, transparent);
        if (record != EXTENSION_RECORD_TYPE || !ReadExtension(*gif, transparent)) {
            return std::nullopt;  // the trailer before any image, or damage
        }
    }
}

}  // namespace vexaframe
