#include "saver/frame_pacer.h"

#include <algorithm>

namespace vexaframe {
namespace {

constexpr int kDefaultRefreshHertz = 60;

FramePacer::Clock::duration PeriodOf(int refreshHertz) {
    const int hertz = refreshHertz > 1 ? refreshHertz : kDefaultRefreshHertz;
    return std::chrono::duration_cast<FramePacer::Clock::duration>(std::chrono::seconds(1)) / hertz;
}

}  // namespace

FramePacer::FramePacer(int refreshHertz, Clock::time_point start, Clock::duration minimumPeriod)
    : period_(std::max(PeriodOf(refreshHertz), minimumPeriod)), deadline_(start) {}

FramePacer::Clock::duration FramePacer::TimeToNextFrame(Clock::time_point now) const {
    return now >= deadline_ ? Clock::duration::zero() : deadline_ - now;
}

// Deadlines keep to a fixed grid so that late wake-ups do not slow the frame rate; a frame
// that ran late (a picture change, a retrace wait) starts a new grid rather than a burst of
// frames to catch up.
void FramePacer::FrameDrawn(Clock::time_point now) {
    deadline_ += period_;
    if (deadline_ <= now) deadline_ = now;
}

}  // namespace vexaframe
