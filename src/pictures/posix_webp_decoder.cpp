// WebP pictures through libwebp: a still picture decoded straight into ours, an animation's
// first frame through the demultiplexer's animation decoder, which puts it on its canvas.

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "pictures/bmp_file.h"
#include "pictures/over_white.h"
#include "pictures/posix_picture_libraries.h"

namespace vexaframe {
namespace {

const std::uint8_t* DataOf(std::string_view bytes) {
    return reinterpret_cast<const std::uint8_t*>(bytes.data());
}

std::optional<Image> DecodeStill(std::string_view bytes, const WebPBitstreamFeatures& features) {
    Image image(features.width, features.height);
    const std::size_t stride = static_cast<std::size_t>(image.width) * sizeof(std::uint32_t);
    if (WebPDecodeBGRAInto(
            DataOf(bytes), bytes.size(), reinterpret_cast<std::uint8_t*>(image.pixels.data()),
            stride * static_cast<std::size_t>(image.height), static_cast<int>(stride)) == nullptr) {
        return std::nullopt;
    }
    return image;
}

struct AnimationDecoderDeleter {
    void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};

std::optional<Image> DecodeFirstFrame(std::string_view bytes) {
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) return std::nullopt;
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    const WebPData data{DataOf(bytes), bytes.size()};
    const std::unique_ptr<WebPAnimDecoder, AnimationDecoderDeleter> decoder(
        WebPAnimDecoderNew(&data, &options));
    WebPAnimInfo info{};
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info) ||
        !bmp::IsWithinLimits(info.canvas_width, info.canvas_height)) {
        return std::nullopt;
    }
    std::uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp)) return std::nullopt;
    Image image(static_cast<int>(info.canvas_width), static_cast<int>(info.canvas_height));
    std::memcpy(image.pixels.data(), canvas, image.pixels.size() * sizeof(std::uint32_t));
    return image;
}

}  // namespace

std::optional<Image> DecodeWebp(std::string_view bytes) {
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(DataOf(bytes), bytes.size(), &features) != VP8_STATUS_OK ||
        !bmp::IsWithinLimits(features.width, features.height)) {
        return std::nullopt;
    }
    std::optional<Image> image =
        features.has_animation ? DecodeFirstFrame(bytes) : DecodeStill(bytes, features);
    if (image) PutOverWhite(image->pixels);
    return image;
}

}  // namespace vexaframe
