#include <gtest/gtest.h>

#include "settings_dialog/dialog_controls.h"

namespace vexaframe {
namespace {

// Seven pixels a byte: wide enough that every caption has some width.
int FakeTextWidth(std::string_view text) {
    return 7 * static_cast<int>(text.size());
}

struct Expected {
    PixelPoint at;
    std::optional<DialogControl> control;
    int index = 0;
};

TEST(DialogControlsTest, EachPointFindsTheControlOnTop) {
    const std::vector<HitArea> areas = DialogHitAreas(FakeTextWidth);
    const layout::Option gif = layout::kKinds[1];
    const layout::Button set = layout::kButtons[2];
    const PixelPoint bmp = layout::kKinds[0].caption;  // "*.bmp": 35 pixels wide
    for (const Expected& e : std::initializer_list<Expected>{
             {{gif.box.left + 2, gif.box.top + 2}, DialogControl::Kind, 1},
             {{gif.caption.x + 3, gif.caption.y + 3}, DialogControl::Kind, 1},  // its caption
             {{bmp.x + 7 * 5 - 1, bmp.y + 1}, DialogControl::Kind, 0},  // a caption's last column
             {{bmp.x + 7 * 5 + 1, bmp.y + 1}, std::nullopt},  // short of the next column
             {{layout::kKinds[4].box.left + 1, bmp.y + 1}, DialogControl::Kind, 4},
             {{layout::kKinds[7].caption.x + 3, layout::kKinds[7].caption.y + 3},
              DialogControl::Kind, 7},
             {{set.caption.left + 40, set.caption.top + 5}, DialogControl::Button, 2},
             {{set.face.left + 40, set.face.top + 1}, std::nullopt},  // the face alone: nothing
             {{layout::kCloseButton.left + 3, layout::kCloseButton.top + 3}, DialogControl::Close},
             {{200, 5}, DialogControl::TitleStrip},
             {{layout::kTransparencies[2].box.left + 1, layout::kTransparencies[2].box.top + 12},
              DialogControl::Transparency,
              2},
             {{layout::kOrders[0].caption.x + 1, layout::kOrders[0].caption.y + 1},
              DialogControl::Order,
              0},
             {{layout::kLink.x + 1, layout::kLink.y + 1}, DialogControl::Link},
             {{layout::kPreview.left + 50, layout::kPreview.top + 50}, std::nullopt},
         }) {
        const std::optional<HitArea> hit = ControlAt(areas, e.at);
        ASSERT_EQ(hit.has_value(), e.control.has_value()) << e.at.x << "," << e.at.y;
        if (!hit) continue;
        EXPECT_EQ(hit->control, *e.control) << e.at.x << "," << e.at.y;
        EXPECT_EQ(hit->index, e.index) << e.at.x << "," << e.at.y;
    }
}

}  // namespace
}  // namespace vexaframe
