// Any picture resampled to any texture size: every pixel read lies inside the picture, and a
// picture of one colour stays that colour.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>

#include "pictures/texture_picture.h"

using namespace vexaframe;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    Image picture(input.ConsumeIntegralInRange(1, 64), input.ConsumeIntegralInRange(1, 64));
    const TextureSize target{input.ConsumeIntegralInRange(1, 64),
                             input.ConsumeIntegralInRange(1, 64)};
    const bool flat = input.ConsumeBool();
    const auto colour = input.ConsumeIntegral<std::uint32_t>();
    for (std::uint32_t& pixel : picture.pixels)
        pixel = flat ? colour : input.ConsumeIntegral<std::uint32_t>();

    const Image texture = Resample(picture, target);
    if (texture.width != target.width || texture.height != target.height) std::abort();
    if (texture.pixels.size() != static_cast<std::size_t>(target.width) * target.height)
        std::abort();
    if (flat) {
        for (std::uint32_t pixel : texture.pixels)
            if (pixel != colour) std::abort();
    }
    return 0;
}
