// Any bytes given to the bitmap reader: a picture within the limits or nothing, and whatever it
// reads survives the writer and the reader again.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "pictures/bmp_file.h"

using namespace vexaframe;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::optional<Image> picture = DecodeBmp(bytes);
    const std::optional<PixelSize> declared = BmpPictureSize(bytes);
    if (!picture) return 0;

    if (!bmp::IsWithinLimits(picture->width, picture->height)) std::abort();
    if (picture->pixels.size() != static_cast<std::size_t>(picture->width) * picture->height)
        std::abort();
    if (!declared || *declared != PixelSize{picture->width, picture->height}) std::abort();

    const std::optional<Image> again = DecodeBmp(EncodeBmp24(*picture));
    if (!again || again->width != picture->width || again->height != picture->height) std::abort();
    for (std::size_t i = 0; i < picture->pixels.size(); ++i)
        if (again->pixels[i] != (picture->pixels[i] | kOpaque)) std::abort();
    return 0;
}
