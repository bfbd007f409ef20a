#include "saver/frame_rate_meter.h"

namespace vexaframe {

std::optional<double> FrameRateMeter::FrameShown(Clock::time_point now) {
    ++frames_;
    const std::chrono::duration<double> elapsed = now - since_;
    if (elapsed < std::chrono::seconds(1)) return std::nullopt;
    const double rate = frames_ / elapsed.count();
    since_ = now;
    frames_ = 0;
    return rate;
}

}  // namespace vexaframe
