#pragma once
// The order in which the catalogue's pictures are shown in one cycle.

#include <cstdint>
#include <vector>

namespace vexaframe {

class UniformRandom;

// Fills entries 1..imageCount of `ImageOrder` (entry 0 is never written): catalogue order
// when `orderMode` is 0, otherwise a uniformly random arrangement. `ImageOrder` must hold
// at least imageCount + 1 entries.
void BuildImageOrder(std::int16_t orderMode, std::int32_t imageCount,
                     std::vector<std::int32_t>& ImageOrder, UniformRandom& random);

}  // namespace vexaframe
