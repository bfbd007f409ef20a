#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

#include "render/overlay.h"
#include "render/software_device.h"

namespace vexaframe {
namespace {

// A software device whose presented regions are copied into a window, as a presenter does.
struct PresentedWindow {
    Image frame, window;
    PixelRegion changed;
    SoftwareDevice device;

    PresentedWindow(int width, int height)
        : window(width, height),
          device(width, height, [this](const Image& shown, const PixelRegion& region) {
              frame = shown;
              changed = region;
              for (int y = region.top; y < region.bottom; ++y)
                  for (int x = region.left; x < region.right; ++x) window.At(x, y) = shown.At(x, y);
          }) {}

    // A frame cleared to `colour`, with the overlay over it when one is given.
    bool Draw(std::uint32_t colour, DeviceTexture* overlay = nullptr, int x = 0, int y = 0,
              float opacity = 1) {
        return device.Clear(colour, 1) && device.BeginScene() &&
               (!overlay || device.DrawOverlay(overlay, x, y, opacity)) && device.EndScene() &&
               device.Present();
    }
};

// out = overlay * opacity + target * (1 - overlay alpha * opacity), within rounding.
TEST(SoftwareOverlay, BlendsEachPixelAsPremultipliedOverTheTarget) {
    const struct {
        std::uint32_t overlay, target;
        float opacity;
    } cases[] = {
        {0xFFFFFFFF, 0xFF102030, 1},
        {0xFFFFFFFF, 0xFF102030, 0.5f},
        {0x00000000, 0xFF8090A0, 1},
        {0x80404040, 0xFF2080C0, 1},
        {0x80404040, 0xFF2080C0, 0.5f},
        {0xC0102030, 0xFFFFFFFF, 0.25f},
        {0x80404040, 0xFF2080C0, 0},
        {0x40FFFFFF, 0xFFF0F0F0, 1},  // not premultiplied: saturates
    };
    for (const auto& c : cases) {
        PresentedWindow shown(4, 4);
        Image pixel(1, 1);
        pixel.At(0, 0) = c.overlay;
        const auto overlay = shown.device.CreateOverlayTexture(pixel);
        ASSERT_TRUE(shown.Draw(c.target, overlay.get(), 2, 1, c.opacity));
        const std::uint32_t drawn = shown.frame.At(2, 1);
        EXPECT_EQ(drawn >> 24, 0xFFu);
        for (const int shift : {0, 8, 16}) {
            const auto channel = [&](std::uint32_t colour, int at) {
                return static_cast<double>(colour >> at & 0xFF);
            };
            const double expected =
                std::min(255.0, channel(c.overlay, shift) * c.opacity +
                                    channel(c.target, shift) *
                                        (1 - channel(c.overlay, 24) / 255 * c.opacity));
            EXPECT_NEAR(channel(drawn, shift), expected, 1)
                << std::hex << c.overlay << " over " << c.target << " at " << c.opacity;
        }
        EXPECT_EQ(shown.frame.At(1, 1), c.target | kOpaque);
    }
}

// Wherever the overlay falls, the presented window shows it and, in the next frame without it,
// its going; only the part on the target is drawn.
TEST(SoftwareOverlay, IsCutToTheTargetAndPresentedComingAndGoing) {
    const struct {
        int x, y;
        PixelRegion covered;
    } cases[] = {
        {5, 4, {5, 4, 11, 8}}, {-2, -3, {0, 0, 4, 1}}, {13, 10, {13, 10, 16, 12}}, {16, 2, {}},
        {2, -4, {}},           {-6, 20, {}},
    };
    constexpr std::uint32_t kBlack = 0xFF000000;
    Image picture(6, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) picture.At(x, y) = kOpaque | (x * 40) << 16 | (y * 60) << 8;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        PresentedWindow shown(16, 12);
        const auto overlay = shown.device.CreateOverlayTexture(picture);
        ASSERT_TRUE(overlay);
        ASSERT_TRUE(shown.Draw(kBlack));
        ASSERT_TRUE(shown.Draw(kBlack, overlay.get(), c.x, c.y));
        EXPECT_TRUE(shown.window.pixels == shown.frame.pixels);
        for (int y = 0; y < 12; ++y) {
            for (int x = 0; x < 16; ++x) {
                const bool inside = x >= c.covered.left && x < c.covered.right &&
                                    y >= c.covered.top && y < c.covered.bottom;
                ASSERT_EQ(shown.frame.At(x, y), inside ? picture.At(x - c.x, y - c.y) : kBlack)
                    << x << ", " << y;
            }
        }
        EXPECT_EQ(shown.changed.United(c.covered).Width(), shown.changed.Width());
        EXPECT_EQ(shown.changed.United(c.covered).Height(), shown.changed.Height());
        ASSERT_TRUE(shown.Draw(kBlack));
        EXPECT_TRUE(std::ranges::all_of(shown.window.pixels,
                                        [](std::uint32_t pixel) { return pixel == kBlack; }));
    }
}

// A device that takes only powers of two gets the overlay in the top-left corner of a texture
// padded with transparent pixels; nothing past its limits.
TEST(OverlayTexels, ArePaddedToTheSidesTheDeviceTakes) {
    Image overlay(3, 5);
    std::fill(overlay.pixels.begin(), overlay.pixels.end(), 0x80FFFFFF);
    const std::optional<Image> padded = OverlayTexels(overlay, {8, true});
    ASSERT_TRUE(padded);
    ASSERT_EQ(padded->width, 4);
    ASSERT_EQ(padded->height, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(padded->At(x, y), x < 3 && y < 5 ? 0x80FFFFFF : 0u) << x << ", " << y;
    const std::optional<Image> asItIs = OverlayTexels(overlay, {5, false});
    ASSERT_TRUE(asItIs);
    EXPECT_TRUE(asItIs->pixels == overlay.pixels);
    EXPECT_FALSE(OverlayTexels(overlay, {4, false}));
    EXPECT_FALSE(OverlayTexels(overlay, {6, true}));  // 8 high
    EXPECT_FALSE(OverlayTexels(Image(), {8, false}));
}

}  // namespace
}  // namespace vexaframe
