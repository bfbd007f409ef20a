// PNG pictures through libpng. The library reports errors through a handler that must not
// return; ours jumps back into the step that called the library. Those steps hold nothing with a
// destructor, so that the jump skips none.

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

#include "pictures/bmp_file.h"
#include "pictures/over_white.h"
#include "pictures/posix_picture_libraries.h"

namespace vexaframe {
namespace {

// What one ancillary chunk (an ICC profile, text) may take in memory: far more than any camera
// or editor writes.
constexpr png_alloc_size_t kLargestChunk = 8u << 20;
constexpr png_byte kOpaqueAlpha = 0xFF;

struct Source {
    std::string_view bytes;
    std::size_t at = 0;
};

void ReadFromSource(png_structp png, png_bytep target, png_size_t count) {
    Source& source = *static_cast<Source*>(png_get_io_ptr(png));
    if (source.bytes.size() - source.at < count) png_error(png, "the file ends early");
    std::memcpy(target, source.bytes.data() + source.at, count);
    source.at += count;
}

[[noreturn]] void Escape(png_structp png, png_const_charp /*message*/) {
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp /*png*/, png_const_charp /*message*/) {}

// Any kind of PNG picture as 8-bit B, G, R and alpha, the bytes of a 0xAARRGGBB number; the
// rows of an interlaced picture put together.
void AskForBgra(png_structp png, png_infop info) {
    png_set_expand(png);  // palettes, grey of under 8 bits, a transparent colour as alpha
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, kOpaqueAlpha, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
}

class PngReader {
public:
    PngReader() {
        png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Escape, IgnoreWarning);
        if (png_ != nullptr) info_ = png_create_info_struct(png_);
    }
    ~PngReader() { png_destroy_read_struct(&png_, &info_, nullptr); }
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;

    std::optional<Image> Decode(std::string_view bytes) {
        Source source{bytes};
        if (info_ == nullptr || !ReadHeader(source)) return std::nullopt;
        const png_uint_32 width = png_get_image_width(png_, info_);
        const png_uint_32 height = png_get_image_height(png_, info_);
        if (!bmp::IsWithinLimits(width, height) ||
            png_get_rowbytes(png_, info_) != std::size_t{width} * sizeof(std::uint32_t)) {
            return std::nullopt;
        }
        Image image(static_cast<int>(width), static_cast<int>(height));
        std::vector<png_bytep> rows(height);
        for (png_uint_32 y = 0; y < height; ++y)
            rows[y] = reinterpret_cast<png_bytep>(&image.At(0, static_cast<int>(y)));
        if (!ReadPixels(rows.data())) return std::nullopt;
        PutOverWhite(image.pixels);
        return image;
    }

private:
    bool ReadHeader(Source& source) {
        if (setjmp(png_jmpbuf(png_)) != 0) return false;
        png_set_read_fn(png_, &source, ReadFromSource);
        png_set_user_limits(png_, bmp::kMaxSide, bmp::kMaxSide);
        png_set_chunk_malloc_max(png_, kLargestChunk);
        png_read_info(png_, info_);
        AskForBgra(png_, info_);
        return true;
    }

    // Every row: a picture whose data is cut short or damaged gives nothing. What follows the
    // picture data is not asked for, as the system's codec on Windows does not ask for it.
    bool ReadPixels(png_bytepp rows) {
        if (setjmp(png_jmpbuf(png_)) != 0) return false;
        png_read_image(png_, rows);
        return true;
    }

    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

}  // namespace

std::optional<Image> DecodePng(std::string_view bytes) {
    return PngReader().Decode(bytes);
}

}  // namespace vexaframe
