#include <gtest/gtest.h>

#include "pictures/bmp_file.h"
#include "render/caption_band.h"
#include "render/frame.h"
#include "render/scene_resources.h"
#include "render/software_device.h"

namespace vexaframe {
namespace {

TextMask Ink(int width, int height, std::uint8_t coverage = 255) {
    return {width, height,
            std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height, coverage)};
}

// Everything the cube covers on the screen over the whole circle of the camera, as the renderer
// draws it: the two patterns that together draw every triangle, at every few degrees.
Image CubeTrail(PixelSize screen) {
    Image trail(screen.width, screen.height);
    SoftwareDevice device(screen.width, screen.height,
                          [&trail](const Image& frame, const PixelRegion&) {
                              for (std::size_t i = 0; i < frame.pixels.size(); ++i)
                                  trail.pixels[i] |= frame.pixels[i] & 0x00FFFFFF;
                          });
    Image white(4, 4);
    std::fill(white.pixels.begin(), white.pixels.end(), 0xFFFFFFFF);
    SceneResources resources;
    EXPECT_TRUE(CreateResources(device, EncodeBmp24(white), resources, [](ResourceProblem) {}));
    constexpr int kSteps = 36;
    for (int step = 0; step < kSteps; ++step) {
        StillClock clock(static_cast<float>(step * 2 * 3.14159265358979 / kSteps));
        for (std::int16_t pattern : {8, 10}) {
            const SceneState scene{pattern, 0, 0, resources.Texture.get()};
            EXPECT_TRUE(RenderFrame(device, clock, scene));
        }
    }
    return trail;
}

bool TouchesTrail(const Image& trail, BandPosition at, PixelSize band) {
    for (int y = std::max(0, at.y); y < std::min(trail.height, at.y + band.height); ++y)
        for (int x = std::max(0, at.x); x < std::min(trail.width, at.x + band.width); ++x)
            if (trail.At(x, y) != 0) return true;
    return false;
}

// The widest two-line band the metrics allow lies clear of every frame of the cube, whole on
// the screen, at the sizes of common screens in both orientations.
TEST(CaptionBand, TheWidestBandLiesWhereTheCubeNeverPasses) {
    for (const PixelSize screen : {PixelSize{1280, 1024}, PixelSize{3840, 2160},
                                   PixelSize{1024, 768}, PixelSize{1080, 1920}}) {
        SCOPED_TRACE(std::to_string(screen.width) + " x " + std::to_string(screen.height));
        const CaptionMetrics metrics = CaptionMetricsFor(screen);
        const PixelSize band{metrics.maxTextWidth + 2 * metrics.padding,
                             CaptionBandHeight(metrics, 2)};
        EXPECT_GT(metrics.maxTextWidth, screen.width / 4);  // room for a long name
        const BandPosition at = CaptionPosition(screen, band, metrics);
        EXPECT_GE(at.x, 0);
        EXPECT_LE(at.y + band.height, screen.height);
        const Image trail = CubeTrail(screen);
        EXPECT_FALSE(TouchesTrail(trail, at, band));
        // The trail itself is there: the band would meet it a little higher up.
        EXPECT_TRUE(TouchesTrail(trail, {at.x, screen.height / 2}, band));
    }
}

// The text grows with the screen, so that it reads alike on a small and a large one.
TEST(CaptionBand, TextGrowsWithTheScreen) {
    const CaptionMetrics small = CaptionMetricsFor({1280, 1024});
    const CaptionMetrics large = CaptionMetricsFor({3840, 2160});
    EXPECT_GE(small.firstLineHeight, 24);
    EXPECT_NEAR(large.firstLineHeight, 2.1 * small.firstLineHeight, 3);
    EXPECT_LT(small.lineHeight, small.firstLineHeight);
}

// White ink laid over the band, premultiplied; the band alone dark and translucent, softer in
// its corners; a line wider than the metrics allow is cut to them; no ink, no band.
TEST(CaptionBand, PaintsWhiteInkOnASoftDarkBand) {
    CaptionMetrics metrics = CaptionMetricsFor({1280, 1024});
    metrics.maxTextWidth = 100;
    const TextMask lines[] = {Ink(60, metrics.firstLineHeight), Ink(300, metrics.lineHeight, 128)};
    const Image band = PaintCaptionBand(lines, metrics);
    ASSERT_EQ(band.width, 100 + 2 * metrics.padding);
    ASSERT_EQ(band.height, CaptionBandHeight(metrics, 2));
    const int p = metrics.padding;
    EXPECT_EQ(band.At(p, p), 0xFFFFFFFFu);                      // full ink: white
    const std::uint32_t dark = band.At(band.width / 2, p / 2);  // band alone: black, translucent
    EXPECT_EQ(dark & 0x00FFFFFF, 0u);
    EXPECT_GT(dark >> 24, 100u);
    EXPECT_LT(dark >> 24, 200u);
    EXPECT_LT(band.At(0, 0) >> 24, dark >> 24);  // the corners are rounded off
    const std::uint32_t halfInk = band.At(p + 99, band.height - p - 1);
    EXPECT_EQ(halfInk & 0xFF, 128u);  // premultiplied half white
    EXPECT_GT(halfInk >> 24, 128u);   // over the band's own alpha
    for (const std::uint32_t pixel : band.pixels) EXPECT_GE(pixel >> 24, pixel & 0xFF);

    const TextMask empty[] = {TextMask{}, TextMask{}};
    EXPECT_EQ(PaintCaptionBand(empty, metrics).width, 0);
}

TEST(CaptionBand, ThePauseSignIsTwoBarsWithAGapBetween) {
    const CaptionMetrics metrics = CaptionMetricsFor({1920, 1080});
    const Image sign = PaintPauseBand(metrics);
    const int middle = metrics.padding + metrics.firstLineHeight / 2;
    const int left = metrics.padding + 1, right = metrics.padding + metrics.firstLineHeight - 2;
    EXPECT_EQ(sign.At(left, middle), 0xFFFFFFFFu);
    EXPECT_EQ(sign.At(right, middle), 0xFFFFFFFFu);
    EXPECT_EQ(sign.At(metrics.padding + metrics.firstLineHeight / 2, middle) & 0xFF, 0u);
}

}  // namespace
}  // namespace vexaframe
