#pragma once
// The frame rate the saver keeps, measured over about a second at a time, for showing to the
// user who asks for it.

#include <chrono>
#include <optional>

namespace vexaframe {

class FrameRateMeter {
public:
    using Clock = std::chrono::steady_clock;

    explicit FrameRateMeter(Clock::time_point start) : since_(start) {}

    // Counts a frame shown at `now`. Once a second or more has passed since the last rate it
    // gave (or the start), gives the frames a second since then and starts counting anew.
    std::optional<double> FrameShown(Clock::time_point now);

private:
    Clock::time_point since_;
    int frames_ = 0;
};

}  // namespace vexaframe
