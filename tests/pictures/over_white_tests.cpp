#include <gtest/gtest.h>

#include <cstdint>

#include "pictures/over_white.h"

namespace vexaframe {
namespace {

// Each channel to the nearest of c * a / 255 + 255 - a. At alpha 100: 200 is 233.4, 100 is
// 194.2, 10 is 158.9. At alpha 200: 10 is 62.8, 200 is 211.9, 100 is 133.4.
TEST(OverWhite, BlendsEachChannelWithWhiteByItsAlphaRounded) {
    EXPECT_EQ(OverWhite(0x64C8640A), 0xFFE9C29Fu);
    EXPECT_EQ(OverWhite(0xC80AC864), 0xFF3FD485u);
    EXPECT_EQ(OverWhite(0x00123456), 0xFFFFFFFFu);
    EXPECT_EQ(OverWhite(0xFF123456), 0xFF123456u);
}

}  // namespace
}  // namespace vexaframe
