#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "pictures/bmp_file.h"
#include "pictures/texture_picture.h"

namespace vexaframe {
namespace {

using ::testing::ElementsAre;

TEST(TextureSizeFor, RoundsUpToPowersOfTwoWhereNeededAndCutsToTheDevicesLargest) {
    struct Case {
        int width, height;
        TextureLimits limits;
        int expectedWidth, expectedHeight;
    };
    const Case cases[] = {
        {4000, 3000, {4096, true}, 4096, 4096},
        {4000, 3000, {2048, true}, 2048, 2048},
        {4000, 3000, {8192, false}, 4000, 3000},
        {4000, 3000, {2048, false}, 2048, 2048},
        {256, 64, {4096, true}, 256, 64},
        {1, 1, {4096, true}, 1, 1},
        // A largest side that is no power of two: the largest power of two below it.
        {3000, 5, {3000, true}, 2048, 8},
    };
    for (const Case& c : cases) {
        const TextureSize size = TextureSizeFor(c.width, c.height, c.limits);
        EXPECT_EQ(size.width, c.expectedWidth) << c.width << "x" << c.height;
        EXPECT_EQ(size.height, c.expectedHeight) << c.width << "x" << c.height;
    }
}

TEST(LimitsForTarget, NoSideBeyondThePowerOfTwoThatCoversTheLongerSideOfTheScreen) {
    struct Case {
        int width, height, deviceLargest, expected;
    };
    const Case cases[] = {
        {1280, 1024, 16384, 2048}, {1920, 1080, 16384, 2048},
        {3840, 2160, 16384, 4096}, {1080, 1920, 16384, 2048},  // upright screens too
        {2048, 1536, 16384, 2048}, {3840, 2160, 2048, 2048},   // the device's own limit holds
        {152, 112, 16384, 256},                                // a preview
        {0, 0, 8192, 8192},                                    // a target of no size says nothing
    };
    for (const Case& c : cases) {
        const TextureLimits limits = LimitsForTarget({c.deviceLargest, true}, c.width, c.height);
        EXPECT_EQ(limits.maxTextureSize, c.expected) << c.width << "x" << c.height;
        EXPECT_TRUE(limits.powerOfTwoOnly);
    }
    // A 48-megapixel photograph on a 1920 x 1080 screen.
    const TextureSize size =
        TextureSizeFor(8000, 6000, LimitsForTarget({16384, false}, 1920, 1080));
    EXPECT_EQ(size.width, 2048);
    EXPECT_EQ(size.height, 2048);
}

// Rows fed one at a time, bottom one first as a bitmap file gives them, make the same texture as
// the picture held whole, shrunk, grown or kept along either side.
TEST(TextureFromRows, MakesTheTextureOfThePictureHeldWhole) {
    Image picture(37, 23);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = 0xFF000000 | static_cast<std::uint32_t>(i * 2654435761u >> 8);
    for (const TextureLimits limits : {TextureLimits{16, true}, TextureLimits{64, true},
                                       TextureLimits{37, false}, TextureLimits{23, false}}) {
        TextureFromRows rows(picture.width, picture.height, limits);
        for (int y = picture.height - 1; y >= 0; --y)
            rows.AddRow(y, &picture.pixels[static_cast<std::size_t>(y) * picture.width]);
        EXPECT_EQ(rows.Finish().pixels, TextureFor(picture, limits).pixels)
            << limits.maxTextureSize;
    }
}

Image Picture(int width, int height, std::initializer_list<std::uint32_t> pixels) {
    Image image(width, height);
    image.pixels.assign(pixels);
    return image;
}

// Each output pixel averages the area it covers, every channel on its own.
TEST(Resample, ShrinksWithABoxFilter) {
    const Image halved = Resample(Picture(4, 2,
                                          {0x10203040, 0x30405060, 0x00000000, 0xFFFFFFFF,
                                           0x50607080, 0x70809010, 0x00000000, 0xFFFFFFFF}),
                                  {2, 1});
    EXPECT_THAT(halved.pixels, ElementsAre(0x4050604C, 0x80808080));

    // Three pixels into two: each output takes one whole pixel and half of the middle one.
    const Image thirds = Resample(Picture(3, 1, {0x00, 0x5A, 0xB4}), {2, 1});
    EXPECT_THAT(thirds.pixels, ElementsAre(30u, 150u));

    // Far more pixels than the weights' precision: still their mean.
    Image stripes(1000, 1);
    for (int x = 0; x < 1000; ++x) stripes.At(x, 0) = x % 2 == 0 ? 0xC8000000 : 0x0000C8C8;
    EXPECT_THAT(Resample(stripes, {1, 1}).pixels, ElementsAre(0x64006464u));
}

TEST(Resample, EnlargesWithATriangleFilterThatKeepsTheCorners) {
    const Image doubled = Resample(Picture(2, 1, {0, 200}), {4, 1});
    EXPECT_THAT(doubled.pixels, ElementsAre(0u, 50u, 150u, 200u));

    const Image source = Picture(3, 2,
                                 {0xFF000000, 0x12345678, 0xFFFFFFFF,  //
                                  0x00FF00FF, 0x87654321, 0x0000FFFF});
    const Image enlarged = Resample(source, {7, 5});
    ASSERT_EQ(enlarged.width, 7);
    ASSERT_EQ(enlarged.height, 5);
    EXPECT_EQ(enlarged.At(0, 0), source.At(0, 0));
    EXPECT_EQ(enlarged.At(6, 0), source.At(2, 0));
    EXPECT_EQ(enlarged.At(0, 4), source.At(0, 1));
    EXPECT_EQ(enlarged.At(6, 4), source.At(2, 1));
}

// Exactly the picture when it fits; else resized to what the device takes; nothing for a broken
// file or a device without textures.
TEST(TextureFromBitmapFile, FitsThePictureToTheDevice) {
    Image picture(8, 4);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = 0xFF000000 | static_cast<std::uint32_t>(i * 0x030507);
    const std::string file = EncodeBmp24(picture);
    const std::optional<Image> same = TextureFromBitmapFile(file, {8, true});
    ASSERT_TRUE(same.has_value());
    EXPECT_EQ(same->width, 8);
    EXPECT_EQ(same->pixels, picture.pixels);

    const std::optional<Image> smaller = TextureFromBitmapFile(file, {4, true});
    ASSERT_TRUE(smaller.has_value());
    EXPECT_EQ(std::pair(smaller->width, smaller->height), std::pair(4, 4));

    EXPECT_FALSE(TextureFromBitmapFile(file.substr(0, file.size() - 10), {4096, true}));
    EXPECT_FALSE(TextureFromBitmapFile(file, {0, true}));
}

}  // namespace
}  // namespace vexaframe
