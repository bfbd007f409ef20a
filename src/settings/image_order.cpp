#include "settings/image_order.h"

#include <numeric>
#include <utility>

#include "platform/random.h"

namespace vexaframe {

namespace {

void FillSequential(std::int32_t imageCount, std::vector<std::int32_t>& ImageOrder) {
    std::iota(ImageOrder.begin() + 1, ImageOrder.begin() + 1 + imageCount, std::int32_t{1});
}

// Fisher-Yates over entries 1..imageCount: every arrangement equally likely, in linear time.
void Shuffle(std::int32_t imageCount, std::vector<std::int32_t>& ImageOrder,
             UniformRandom& random) {
    for (int last = imageCount; last > 1; --last) {
        const int chosen = 1 + static_cast<int>(random.Below(static_cast<std::uint32_t>(last)));
        std::swap(ImageOrder[static_cast<size_t>(last)], ImageOrder[static_cast<size_t>(chosen)]);
    }
}

}  // namespace

void ExtendImageOrder(std::int32_t imageCount, std::vector<std::int32_t>& ImageOrder) {
    if (ImageOrder.empty()) ImageOrder.push_back(0);
    for (auto number = static_cast<std::int32_t>(ImageOrder.size()); number <= imageCount; ++number)
        ImageOrder.push_back(number);
}

void DrawImageAt(std::int32_t position, std::int32_t imageCount,
                 std::vector<std::int32_t>& ImageOrder, UniformRandom& random) {
    if (position < 1 || position > imageCount ||
        ImageOrder.size() < static_cast<std::size_t>(imageCount) + 1)
        return;
    const auto left = static_cast<std::uint32_t>(imageCount - position + 1);
    const std::int32_t chosen = position + static_cast<std::int32_t>(random.Below(left));
    std::swap(ImageOrder[static_cast<std::size_t>(position)],
              ImageOrder[static_cast<std::size_t>(chosen)]);
}

void BuildImageOrder(std::int16_t orderMode, std::int32_t imageCount,
                     std::vector<std::int32_t>& ImageOrder, UniformRandom& random) {
    if (imageCount <= 0 || ImageOrder.size() < static_cast<size_t>(imageCount) + 1) return;
    FillSequential(imageCount, ImageOrder);
    if (orderMode != 0) Shuffle(imageCount, ImageOrder, random);
}

}  // namespace vexaframe
