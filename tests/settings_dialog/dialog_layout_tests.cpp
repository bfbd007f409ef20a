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

// A panel whose tile failed to load takes no tiles rather than endless ones; how the tiles and
// the body's gradient look is the dialog's end-to-end test's.
TEST(DialogLayoutTest, ATileOfNoSizeGivesNoTiles) {
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
