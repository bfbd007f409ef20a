#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "saver/frame_rate_meter.h"

namespace vexaframe {
namespace {

using namespace std::chrono_literals;
using Clock = FrameRateMeter::Clock;
using ::testing::DoubleEq;
using ::testing::ElementsAre;

const Clock::time_point kStart{1h};

// The rates given for frames shown every `period`, over `frames` frames.
std::vector<double> RatesOver(Clock::duration period, int frames) {
    FrameRateMeter meter(kStart);
    std::vector<double> rates;
    for (int frame = 1; frame <= frames; ++frame) {
        if (const std::optional<double> rate = meter.FrameShown(kStart + frame * period))
            rates.push_back(*rate);
    }
    return rates;
}

TEST(FrameRateMeterTest, GivesTheRateOnceASecondOverTheFramesSinceTheLastOne) {
    EXPECT_THAT(RatesOver(20ms, 150),  // 3 s at 50 frames a second
                ElementsAre(DoubleEq(50), DoubleEq(50), DoubleEq(50)));

    // Frames slower than a second apart: each gives its own rate, below one.
    EXPECT_THAT(RatesOver(2500ms, 2), ElementsAre(DoubleEq(0.4), DoubleEq(0.4)));
}

TEST(FrameRateMeterTest, ARateCountsOnlyTheFramesOfItsOwnSecond) {
    FrameRateMeter meter(kStart);
    for (int frame = 1; frame < 60; ++frame) EXPECT_FALSE(meter.FrameShown(kStart + frame * 10ms));
    EXPECT_DOUBLE_EQ(meter.FrameShown(kStart + 1s).value(), 60.0);
    // A stall, then one frame: the second measured holds that one frame.
    EXPECT_DOUBLE_EQ(meter.FrameShown(kStart + 3s).value(), 0.5);
    EXPECT_FALSE(meter.FrameShown(kStart + 3s + 500ms));
}

}  // namespace
}  // namespace vexaframe
