#include <gtest/gtest.h>

#include "settings_dialog/dialog_layout.h"

namespace vexaframe {
namespace {

// 485 x 389 pixels: centred across, a third of the free height down.
TEST(DialogLayoutTest, TheWindowOpensCentredAThirdDown) {
    EXPECT_EQ(DialogPosition({1024, 768}), (PixelPoint{269, 126}));
    EXPECT_EQ(DialogPosition({400, 300}), (PixelPoint{-42, -29}));  // toward zero
}

// A name wider than the list can be scrolled into view.
TEST(DialogLayoutTest, TheListScrollsFurtherThanItIsWide) {
    EXPECT_GT(ListHorizontalExtent(), layout::kFileList.width);
}

TEST(DialogLayoutTest, TheBodyRunsFromDarkBlueToLightGreyBlueAndBack) {
    const std::vector<Rgb> rows = BodyGradient(369);
    ASSERT_EQ(rows.size(), 370u);
    EXPECT_EQ(rows.front(), (Rgb{0, 0, 30}));
    EXPECT_EQ(rows[184], (Rgb{220, 220, 250}));
    EXPECT_LT(rows.back().red, 2);
    for (std::size_t i = 1; i <= 184; ++i) EXPECT_GE(rows[i].red, rows[i - 1].red) << i;
}

TEST(DialogLayoutTest, TilesCoverThePanelColumnByColumn) {
    const std::vector<PixelPoint> origins = TileOrigins({129, 233}, {579, 21});
    // Each column reaches one copy below the panel; the column that starts beyond the panel's
    // right edge is the last.
    ASSERT_EQ(origins.size(), 26u);
    EXPECT_EQ(origins[0], (PixelPoint{0, 0}));
    EXPECT_EQ(origins[12], (PixelPoint{0, 252}));
    EXPECT_EQ(origins[13], (PixelPoint{579, 0}));
    EXPECT_TRUE(TileOrigins({129, 233}, {0, 21}).empty());
}

TEST(DialogLayoutTest, PreviewsKeepTheirProportionsInAHundredPixels) {
    const std::pair<PixelSize, PixelSize> cases[] = {
        {{640, 480}, {100, 75}},  {{480, 640}, {75, 100}}, {{50, 20}, {100, 40}},
        {{300, 300}, {100, 100}}, {{1, 1000}, {0, 100}},   {{0, 10}, {0, 0}}};
    for (const auto& [picture, preview] : cases)
        EXPECT_EQ(FitPreview(picture), preview) << picture.width << " x " << picture.height;
}

}  // namespace
}  // namespace vexaframe
