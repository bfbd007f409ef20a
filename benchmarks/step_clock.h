#pragma once
// A clock for frame benchmarks: the camera goes once around the cube in `positions` frames.

#include "render/frame.h"

namespace vexaframe {

// Each time of day twice in a row: the camera reads the clock twice per frame.
class StepClock final : public FrameClock {
public:
    explicit StepClock(int positions) : positions_(positions) {}

    float SecondsSinceMidnight() override {
        const int position = reading_++ / 2 % positions_;
        return 43200.0f + 6.2831853f * static_cast<float>(position) / positions_;
    }

private:
    int positions_;
    int reading_ = 0;
};

}  // namespace vexaframe
