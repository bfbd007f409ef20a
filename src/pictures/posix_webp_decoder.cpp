// WebP pictures through libwebp, decoded straight into our picture: a still picture whole, an
// animation's first frame, which the demultiplexer finds, at its place on the canvas.

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstdint>
#include <memory>

#include "pictures/bmp_file.h"
#include "pictures/over_white.h"
#include "pictures/posix_picture_libraries.h"

namespace vexaframe {
namespace {

const std::uint8_t* DataOf(std::string_view bytes) {
    return reinterpret_cast<const std::uint8_t*>(bytes.data());
}

// Into `canvas` with its top left corner at (x, y), where it fits.
bool DecodeInto(std::string_view bytes, Image& canvas, int x, int y, int width, int height) {
    if (x < 0 || y < 0 || width < 1 || height < 1 || width > canvas.width - x ||
        height > canvas.height - y) {
        return false;
    }
    const std::size_t stride = static_cast<std::size_t>(canvas.width) * sizeof(std::uint32_t);
    std::uint32_t* const corner = &canvas.At(x, y);
    const std::size_t room =
        (canvas.pixels.size() - static_cast<std::size_t>(corner - canvas.pixels.data())) *
        sizeof(std::uint32_t);
    return WebPDecodeBGRAInto(DataOf(bytes), bytes.size(), reinterpret_cast<std::uint8_t*>(corner),
                              room, static_cast<int>(stride)) != nullptr;
}

std::optional<Image> DecodeStill(std::string_view bytes, int width, int height) {
    Image image(width, height);
    if (!DecodeInto(bytes, image, 0, 0, width, height)) return std::nullopt;
    return image;
}

struct DemuxerDeleter {
    void operator()(WebPDemuxer* demuxer) const { WebPDemuxDelete(demuxer); }
};

class FirstFrame {
public:
    explicit FirstFrame(const WebPDemuxer* demuxer)
        : found_(WebPDemuxGetFrame(demuxer, 1, &frame_)) {}
    ~FirstFrame() { WebPDemuxReleaseIterator(&frame_); }
    FirstFrame(const FirstFrame&) = delete;
    FirstFrame& operator=(const FirstFrame&) = delete;

    const WebPIterator* Get() const { return found_ ? &frame_ : nullptr; }

private:
    WebPIterator frame_{};
    bool found_;
};

// An animation's first frame where it lies on the canvas, which is clear around it: nothing has
// been drawn before it to blend it with.
std::optional<Image> DecodeFirstFrame(std::string_view bytes, int width, int height) {
    const WebPData data{DataOf(bytes), bytes.size()};
    const std::unique_ptr<WebPDemuxer, DemuxerDeleter> demuxer(WebPDemux(&data));
    if (!demuxer) return std::nullopt;
    const FirstFrame first(demuxer.get());
    const WebPIterator* frame = first.Get();
    if (frame == nullptr) return std::nullopt;
    Image canvas(width, height);  // clear: every pixel 0
    const std::string_view fragment(reinterpret_cast<const char*>(frame->fragment.bytes),
                                    frame->fragment.size);
    if (!DecodeInto(fragment, canvas, frame->x_offset, frame->y_offset, frame->width,
                    frame->height)) {
        return std::nullopt;
    }
    return canvas;
}

}  // namespace

std::optional<Image> DecodeWebp(std::string_view bytes) {
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(DataOf(bytes), bytes.size(), &features) != VP8_STATUS_OK ||
        !bmp::IsWithinLimits(features.width, features.height)) {
        return std::nullopt;
    }
    std::optional<Image> image = features.has_animation
                                     ? DecodeFirstFrame(bytes, features.width, features.height)
                                     : DecodeStill(bytes, features.width, features.height);
    if (image) PutOverWhite(image->pixels);
    return image;
}

}  // namespace vexaframe
