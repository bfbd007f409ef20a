#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "pictures/bmp_file.h"
#include "skin_pictures/icon_file.h"
#include "skin_pictures/skin.h"

namespace vexaframe {
namespace {

std::uint32_t Read(const std::string& bytes, std::size_t at, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + i])) << (8 * i);
    return value;
}

const std::map<std::string, std::string>& SkinFiles() {
    static const auto files = [] {
        std::map<std::string, std::string> byName;
        for (auto& file : skin::DrawSkin()) byName.emplace(file.name, std::move(file.bytes));
        return byName;
    }();
    return files;
}

Image Picture(const std::string& name) {
    const std::optional<Image> image = DecodeBmp(SkinFiles().at(name));
    if (!image) throw std::runtime_error(name + " is no bitmap");
    return *image;
}

int Channel(std::uint32_t pixel, int shift) {
    return static_cast<int>(pixel >> shift & 0xFF);
}

// Every channel within `tolerance` levels.
bool Near(std::uint32_t a, std::uint32_t b, int tolerance) {
    return std::ranges::all_of(std::array{0, 8, 16}, [&](int shift) {
        return std::abs(Channel(a, shift) - Channel(b, shift)) <= tolerance;
    });
}

std::uint32_t Average(const Image& image) {
    std::uint64_t sums[3] = {};
    for (const std::uint32_t pixel : image.pixels)
        for (int c = 0; c < 3; ++c) sums[c] += Channel(pixel, 16 - 8 * c);
    std::uint32_t average = 0xFF000000;
    for (int c = 0; c < 3; ++c)
        average |= static_cast<std::uint32_t>(sums[c] / image.pixels.size()) << (16 - 8 * c);
    return average;
}

TEST(SkinPictures, AreTheDialogsFilesAtTheirSizesIn24Bits) {
    struct Expected {
        const char* name;
        int width, height;
    };
    const Expected bitmaps[] = {
        {"title_strip.bmp", 500, 22}, {"close.bmp", 15, 15},          {"close_pressed.bmp", 16, 15},
        {"button.bmp", 21, 20},       {"button_pressed.bmp", 21, 20}, {"heading_tab.bmp", 95, 22},
        {"check_off.bmp", 12, 12},    {"check_on.bmp", 12, 12},       {"radio_off.bmp", 13, 13},
        {"radio_on.bmp", 13, 13},     {"panel_tile.bmp", 579, 21},
    };
    std::vector<std::string> expectedNames{"vexaframe.ico", "dialog_pointer.cur"};
    for (const Expected& bitmap : bitmaps) {
        SCOPED_TRACE(bitmap.name);
        expectedNames.push_back(bitmap.name);
        const Image image = Picture(bitmap.name);
        EXPECT_EQ(image.width, bitmap.width);
        EXPECT_EQ(image.height, bitmap.height);
        EXPECT_EQ(Read(SkinFiles().at(bitmap.name), bmp::kBitsPerPixelAt, 2), 24u);
    }
    std::vector<std::string> names;
    for (const auto& [name, bytes] : SkinFiles()) names.push_back(name);
    EXPECT_THAT(names, ::testing::UnorderedElementsAreArray(expectedNames));
}

// The dialog copies these without transparency: their corners must be what they sit on.
TEST(SkinPictures, CornersTakeTheColourBeneathThem) {
    const std::uint32_t tile = Average(Picture("panel_tile.bmp"));
    const Image strip = Picture("title_strip.bmp");
    constexpr int kCloseTop = 4;  // where the close button sits on the strip
    struct Case {
        const char* name;
        bool onStrip;
        bool roundBelow;
    };
    for (const Case& c : {Case{"check_off.bmp", false, true}, Case{"check_on.bmp", false, true},
                          Case{"radio_off.bmp", false, true}, Case{"radio_on.bmp", false, true},
                          Case{"heading_tab.bmp", false, false}, Case{"close.bmp", true, true},
                          Case{"close_pressed.bmp", true, true}}) {
        SCOPED_TRACE(c.name);
        const Image image = Picture(c.name);
        for (const int y : {0, c.roundBelow ? image.height - 1 : 0}) {
            const std::uint32_t beneath = c.onStrip ? strip.At(0, kCloseTop + y) : tile;
            EXPECT_TRUE(Near(image.At(0, y), beneath, 2)) << "row " << y;
            EXPECT_TRUE(Near(image.At(image.width - 1, y), beneath, 2)) << "row " << y;
        }
    }
}

// The mean step in green from each pixel to its neighbour (dx, dy) on, wrapping round: for
// the neighbours inside the tile and for those across the join with the next copy.
struct Steps {
    double inside = 0;
    double acrossJoin = 0;
};
Steps MeanSteps(const Image& tile, int dx, int dy) {
    double sums[2] = {};
    int counts[2] = {};
    for (int y = 0; y < tile.height; ++y) {
        for (int x = 0; x < tile.width; ++x) {
            const int nx = (x + dx) % tile.width;
            const int ny = (y + dy) % tile.height;
            const int join = nx < x || ny < y ? 1 : 0;
            sums[join] += std::abs(Channel(tile.At(x, y), 8) - Channel(tile.At(nx, ny), 8));
            ++counts[join];
        }
    }
    return {sums[0] / counts[0], sums[1] / counts[1]};
}

TEST(SkinPictures, PanelTileJoinsWithoutSeamsAndStaysLightAndQuiet) {
    const Image tile = Picture("panel_tile.bmp");
    for (const auto& [dx, dy] : {std::pair{1, 0}, std::pair{0, 1}}) {
        const Steps steps = MeanSteps(tile, dx, dy);
        EXPECT_LE(steps.acrossJoin, 2 * steps.inside) << dx << "," << dy;
    }
    // Black text on it: light everywhere, and little spread.
    const auto [darkest, lightest] = std::minmax_element(
        tile.pixels.begin(), tile.pixels.end(),
        [](std::uint32_t a, std::uint32_t b) { return Channel(a, 8) < Channel(b, 8); });
    EXPECT_GE(Channel(*darkest, 8), 200);
    EXPECT_LE(Channel(*lightest, 8) - Channel(*darkest, 8), 32);
}

// Stretched across, a face may differ only in its first and last columns.
TEST(SkinPictures, ButtonFacesAreEvenBetweenTheirEnds) {
    for (const char* name : {"button.bmp", "button_pressed.bmp"}) {
        SCOPED_TRACE(name);
        const Image face = Picture(name);
        for (int y = 0; y < face.height; ++y) {
            for (int x = 2; x < face.width - 1; ++x) EXPECT_EQ(face.At(x, y), face.At(1, y));
        }
    }
}

// The directory, its one entry (sides, planes and bits or the hot spot, size, offset), the
// bitmap header (twice the height, for colours and mask; no compression), then colours and mask,
// both bottom-up, the mask's rows padded to whole words.
TEST(IconFile, HoldsOne32BitPictureBottomUpWithItsMask) {
    Image image(3, 2);
    image.At(0, 0) = 0x80112233;  // top row: half transparent, kept in the colours
    image.At(2, 1) = 0xFF445566;  // bottom row
    const std::size_t colours = 6 + 16 + 40, mask = colours + 6 * 4;
    for (const auto& [bytes, type, first, second] :
         {std::tuple{EncodeIcon(image), 1u, 1u, 32u}, {EncodeCursor(image, {2, 1}), 2u, 2u, 1u}}) {
        SCOPED_TRACE(type);
        ASSERT_EQ(bytes.size(), mask + 2 * 4);
        const std::uint32_t fields[][3] = {
            {0, 2, 0},       {2, 2, type}, {4, 2, 1},   {6, 4, 3 | 2 << 8}, {10, 2, first},
            {12, 2, second}, {14, 4, 72},  {18, 4, 22}, {22, 4, 40},        {26, 4, 3},
            {30, 4, 4},      {34, 2, 1},   {36, 2, 32}, {38, 4, 0}};
        for (const auto& [at, size, value] : fields) EXPECT_EQ(Read(bytes, at, size), value) << at;
        EXPECT_EQ(Read(bytes, colours + 2 * 4, 4), 0xFF445566u);  // bottom row first
        EXPECT_EQ(Read(bytes, colours + 3 * 4, 4), 0x80112233u);
        EXPECT_EQ(Read(bytes, mask, 4), 0xC0u);      // bottom row: the first two are transparent
        EXPECT_EQ(Read(bytes, mask + 4, 4), 0x60u);  // top row: the last two
    }
}

// Pixel (x, y) of a 32 x 32 icon file: its BGRA colour and whether its mask lets the screen
// through.
struct IconPixel {
    std::uint32_t colour;
    bool masked;
};
IconPixel At(const std::string& icon, int x, int y) {
    const int row = 31 - y;
    const bool masked = (Read(icon, 62 + 32 * 32 * 4 + row * 4 + x / 8, 1) & 0x80u >> (x % 8)) != 0;
    return {Read(icon, 62 + (row * 32 + x) * 4, 4), masked};
}

// Where the mask lets the screen through, a system that ignores alpha mixes the colour in: it
// must be black. The pointer's hot spot is the outline at the finger's tip.
TEST(SkinPictures, IconAndPointerAre32By32AndBlackWhereTransparent) {
    for (const char* name : {"vexaframe.ico", "dialog_pointer.cur"}) {
        SCOPED_TRACE(name);
        const std::string& bytes = SkinFiles().at(name);
        ASSERT_EQ(bytes.size(), 62u + 32 * 32 * 4 + 32 * 4);
        EXPECT_EQ(Read(bytes, 6, 2), 32u | 32u << 8);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const IconPixel pixel = At(bytes, x, y);
                if (pixel.masked) {
                    EXPECT_EQ(pixel.colour, 0u) << x << "," << y;
                }
            }
        }
    }
    const std::string& pointer = SkinFiles().at("dialog_pointer.cur");
    const int hotX = static_cast<int>(Read(pointer, 10, 2)),
              hotY = static_cast<int>(Read(pointer, 12, 2));
    EXPECT_EQ(At(pointer, hotX, hotY).colour, 0xFF000000u);
    EXPECT_TRUE(At(pointer, hotX, hotY - 1).masked);  // nothing above the tip
}

}  // namespace
}  // namespace vexaframe
