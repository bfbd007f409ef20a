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

// A cycle that begins while the catalogue is still being listed grows with it: the pictures
// numbered past the order's end come after it, in catalogue order.
void ExtendImageOrder(std::int32_t imageCount, std::vector<std::int32_t>& ImageOrder);

// A random order drawn a position at a time: the entry at `position` is swapped with one drawn
// uniformly from entries position..imageCount, the pictures the cycle has not yet shown. Drawn
// so at every position, the order is a uniformly random arrangement of whatever was listed.
void DrawImageAt(std::int32_t position, std::int32_t imageCount,
                 std::vector<std::int32_t>& ImageOrder, UniformRandom& random);

}  // namespace vexaframe
