#pragma once
// When the next frame is due. A presentation that waits for the vertical retrace paces the
// frames by itself: the deadline has passed when it returns, so the next frame is due at once.
// Where it does not wait, frames keep to the display's refresh period instead of spinning.

#include <chrono>

namespace vexaframe {

class FramePacer {
public:
    using Clock = std::chrono::steady_clock;

    // The refresh rate the display reports; 0 or 1 mean the hardware's default. Frames come no
    // closer together than `minimumPeriod` either, where the user asked for a pause.
    explicit FramePacer(int refreshHertz, Clock::time_point start,
                        Clock::duration minimumPeriod = Clock::duration::zero());

    Clock::duration Period() const { return period_; }
    // Zero when a frame is due.
    Clock::duration TimeToNextFrame(Clock::time_point now) const;
    void FrameDrawn(Clock::time_point now);

private:
    Clock::duration period_;
    Clock::time_point deadline_;
};

}  // namespace vexaframe
