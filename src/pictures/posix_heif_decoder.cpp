// HEIF pictures coded in HEVC through libheif (and its HEVC decoder libde265): the primary
// image as it is stored. Its rotation and mirror are the header's orientation, which the loader
// applies as it does a JPEG photograph's, so libheif is told to ignore them (and the clean
// aperture with them: the whole coded picture is shown).

#include <libheif/heif.h>

#include <cstdint>
#include <utility>

#include "pictures/bmp_file.h"
#include "pictures/over_white.h"
#include "pictures/posix_picture_libraries.h"
#include "pictures/released_by.h"

namespace vexaframe {
namespace {

constexpr int kBitsPerChannel = 8;
constexpr std::size_t kBytesPerPixel = 4;

using Context = LibraryOwned<heif_context, heif_context_free>;
using ImageHandle = LibraryOwned<heif_image_handle, heif_image_handle_release>;
using DecodedImage = LibraryOwned<heif_image, heif_image_release>;
using DecodingOptions = LibraryOwned<heif_decoding_options, heif_decoding_options_free>;

// The library's decoders, registered for as long as this lives.
class Library {
public:
    Library() : started_(heif_init(nullptr).code == heif_error_Ok) {}
    ~Library() {
        if (started_) heif_deinit();
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    bool Started() const { return started_; }

private:
    bool started_;
};

bool Succeeded(heif_error error) {
    return error.code == heif_error_Ok;
}

// The context refuses files whose sides pass the limit before it allocates them; it counts a
// side equal to its limit as beyond it.
Context ReadContext(std::string_view bytes) {
    Context context(heif_context_alloc());
    if (!context) return nullptr;
    heif_context_set_maximum_image_size_limit(context.get(), bmp::kMaxSide + 1);
    if (!Succeeded(heif_context_read_from_memory_without_copy(context.get(), bytes.data(),
                                                              bytes.size(), nullptr)))
        return nullptr;
    return context;
}

ImageHandle PrimaryImage(heif_context& context) {
    heif_image_handle* handle = nullptr;
    const heif_error error = heif_context_get_primary_image_handle(&context, &handle);
    ImageHandle owned(handle);
    return Succeeded(error) ? std::move(owned) : nullptr;
}

// Eight bits a channel, red, green, blue and alpha, untransformed.
DecodedImage DecodeStored(const heif_image_handle& handle) {
    const DecodingOptions options(heif_decoding_options_alloc());
    if (!options) return nullptr;
    options->ignore_transformations = 1;
    options->convert_hdr_to_8bit = 1;
    heif_image* decoded = nullptr;
    const heif_error error = heif_decode_image(&handle, &decoded, heif_colorspace_RGB,
                                               heif_chroma_interleaved_RGBA, options.get());
    DecodedImage owned(decoded);
    return Succeeded(error) ? std::move(owned) : nullptr;
}

std::optional<Image> Pixels(const heif_image& decoded, PixelSize storedSize) {
    const int width = heif_image_get_width(&decoded, heif_channel_interleaved);
    const int height = heif_image_get_height(&decoded, heif_channel_interleaved);
    int stride = 0;
    const std::uint8_t* rows =
        heif_image_get_plane_readonly(&decoded, heif_channel_interleaved, &stride);
    if (rows == nullptr || PixelSize{width, height} != storedSize ||
        heif_image_get_bits_per_pixel_range(&decoded, heif_channel_interleaved) !=
            kBitsPerChannel ||
        stride < 0 || static_cast<std::size_t>(stride) < kBytesPerPixel * width)
        return std::nullopt;
    Image image(width, height);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* pixel = rows + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < width; ++x, pixel += kBytesPerPixel) {
            const std::uint32_t argb = std::uint32_t{pixel[3]} << 24 |
                                       std::uint32_t{pixel[0]} << 16 |
                                       std::uint32_t{pixel[1]} << 8 | pixel[2];
            image.At(x, y) = OverWhite(argb);
        }
    }
    return image;
}

}  // namespace

std::optional<Image> DecodeHeif(std::string_view bytes, PixelSize storedSize) {
    const Library library;
    if (!library.Started()) return std::nullopt;
    const Context context = ReadContext(bytes);
    if (!context) return std::nullopt;
    const ImageHandle handle = PrimaryImage(*context);
    if (!handle ||
        !bmp::IsWithinLimits(heif_image_handle_get_width(handle.get()),
                             heif_image_handle_get_height(handle.get())))
        return std::nullopt;
    const DecodedImage decoded = DecodeStored(*handle);
    if (!decoded) return std::nullopt;
    return Pixels(*decoded, storedSize);
}

}  // namespace vexaframe
