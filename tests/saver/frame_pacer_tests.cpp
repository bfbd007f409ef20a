#include <gtest/gtest.h>

#include "saver/frame_pacer.h"

namespace vexaframe {
namespace {

using namespace std::chrono_literals;
using Clock = FramePacer::Clock;

const Clock::time_point kStart{1h};

TEST(FramePacerTest, ThePeriodFollowsTheDisplayOrSixtyHertzWhenItReportsNone) {
    EXPECT_EQ(FramePacer(75, kStart).Period(), Clock::duration(1s) / 75);
    for (int unknown : {0, 1, -3})
        EXPECT_EQ(FramePacer(unknown, kStart).Period(), Clock::duration(1s) / 60);
}

TEST(FramePacerTest, APauseLongerThanTheRefreshPeriodSpacesTheFrames) {
    EXPECT_EQ(FramePacer(60, kStart, 50ms).Period(), 50ms);
    EXPECT_EQ(FramePacer(50, kStart, 5ms).Period(), 20ms);  // the display's period is longer
    FramePacer pacer(0, kStart, 100ms);
    pacer.FrameDrawn(kStart);
    EXPECT_EQ(pacer.TimeToNextFrame(kStart + 30ms), 70ms);
}

TEST(FramePacerTest, WakingLateKeepsTheFrameRate) {
    FramePacer pacer(50, kStart);  // 20 ms
    EXPECT_EQ(pacer.TimeToNextFrame(kStart), Clock::duration::zero());
    Clock::time_point now = kStart;
    for (int frame = 0; frame < 100; ++frame) {
        now += pacer.TimeToNextFrame(now) + 3ms;  // every wake-up 3 ms late
        pacer.FrameDrawn(now);
    }
    EXPECT_EQ(now - kStart, 99 * 20ms + 3ms);
    EXPECT_EQ(pacer.TimeToNextFrame(now), 17ms);
}

TEST(FramePacerTest, ALongFrameIsFollowedByOneFrameAtOnceNotABurst) {
    FramePacer pacer(50, kStart);
    pacer.FrameDrawn(kStart + 300ms);  // a picture change stalled this frame
    EXPECT_EQ(pacer.TimeToNextFrame(kStart + 300ms), Clock::duration::zero());
    pacer.FrameDrawn(kStart + 301ms);
    EXPECT_EQ(pacer.TimeToNextFrame(kStart + 301ms), 19ms);  // back on a 20 ms grid
}

}  // namespace
}  // namespace vexaframe
