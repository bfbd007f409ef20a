#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "platform/text_rasteriser.h"

namespace vexaframe {
namespace {

constexpr int kUnlimited = 1 << 20;

bool HasInk(const TextMask& mask) {
    for (const std::uint8_t covered : mask.coverage)
        if (covered != 0) return true;
    return false;
}

bool RowHasInk(const TextMask& mask, int y, int fromX = 0) {
    for (int x = fromX; x < mask.width; ++x)
        if (mask.coverage[static_cast<std::size_t>(y) * mask.width + x] != 0) return true;
    return false;
}

// From the first row with ink to the last.
int InkHeight(const TextMask& mask) {
    int top = mask.height, bottom = -1;
    for (int y = 0; y < mask.height; ++y) {
        if (!RowHasInk(mask, y)) continue;
        top = std::min(top, y);
        bottom = y;
    }
    return bottom < top ? 0 : bottom - top + 1;
}

int LastInkColumn(const TextMask& mask) {
    for (int x = mask.width - 1; x >= 0; --x)
        for (int y = 0; y < mask.height; ++y)
            if (mask.coverage[static_cast<std::size_t>(y) * mask.width + x] != 0) return x;
    return -1;
}

void ExpectLine(const TextMask& mask, int height) {
    EXPECT_EQ(mask.height, height);
    EXPECT_GT(mask.width, 0);
    EXPECT_EQ(mask.coverage.size(), static_cast<std::size_t>(mask.width) * mask.height);
    EXPECT_TRUE(HasInk(mask));
}

TEST(TextRasteriser, LatinTextFillsTheLineAndWidensWithTheText) {
    const auto rasteriser = MakeTextRasteriser();
    const TextMask name = rasteriser->Rasterise("Kyoto", 40, kUnlimited);
    const TextMask caption = rasteriser->Rasterise("Kyoto 2026-12-09", 40, kUnlimited);
    ExpectLine(name, 40);
    ExpectLine(caption, 40);
    EXPECT_GT(name.width, 40);
    EXPECT_LT(name.width, 5 * 40);
    EXPECT_GT(caption.width, name.width + 40);

    // Capitals and descenders reach from near the line's top to near its bottom.
    EXPECT_GE(InkHeight(rasteriser->Rasterise("Hgjy", 40, kUnlimited)), 40 * 6 / 10);
}

TEST(TextRasteriser, DrawsJapaneseFromAFontThatHasItNotAsMissingGlyphs) {
    const auto rasteriser = MakeTextRasteriser();
    const TextMask japanese = rasteriser->Rasterise("京都の写真", 40, kUnlimited);
    ExpectLine(japanese, 40);
    // No font has the private-use character: five of it are five missing-glyph boxes, which
    // a font that lacked the Japanese would have drawn too; and they are all alike.
    EXPECT_NE(japanese, rasteriser->Rasterise("\uE000\uE000\uE000\uE000\uE000", 40, kUnlimited));
    EXPECT_NE(rasteriser->Rasterise("京", 40, kUnlimited),
              rasteriser->Rasterise("都", 40, kUnlimited));
    ExpectLine(rasteriser->Rasterise("Фото Αθήνα", 40, kUnlimited), 40);
}

TEST(TextRasteriser, CutsALongLineToTheWidthAllowedEndingInAnEllipsis) {
    const auto rasteriser = MakeTextRasteriser();
    const std::string name = "Kyoto, the Golden Pavilion in the snow, from the north shore.jpg";
    ASSERT_GT(rasteriser->Rasterise(name, 24, kUnlimited).width, 200);

    const TextMask cut = rasteriser->Rasterise(name, 24, 200);
    ExpectLine(cut, 24);
    EXPECT_LE(cut.width, 200);
    EXPECT_GT(cut.width, 200 - 24);
    // The last dot of the ellipsis: ink only in the line's lower half.
    const int lastInk = LastInkColumn(cut);
    for (int y = 0; y < cut.height / 2; ++y) EXPECT_FALSE(RowHasInk(cut, y, lastInk - 1)) << y;

    EXPECT_LE(rasteriser->Rasterise(name, 24, 3).width, 3);
    EXPECT_EQ(rasteriser->Rasterise(name, 24, 0), TextMask{});
}

TEST(TextRasteriser, GivesNothingForEmptyTextOrNoRoom) {
    const auto rasteriser = MakeTextRasteriser();
    EXPECT_EQ(rasteriser->Rasterise("", 24, kUnlimited), TextMask{});
    EXPECT_EQ(rasteriser->Rasterise("Kyoto", 0, kUnlimited), TextMask{});
    EXPECT_EQ(rasteriser->Rasterise("Kyoto", -5, kUnlimited), TextMask{});
}

TEST(TextRasteriser, DrawsMalformedBytesAsReplacementCharacters) {
    const auto rasteriser = MakeTextRasteriser();
    const TextMask malformed = rasteriser->Rasterise("\xE5\x86z\xFFz\xF0\x9F", 24, kUnlimited);
    ExpectLine(malformed, 24);
    EXPECT_EQ(malformed, rasteriser->Rasterise("\uFFFDz\uFFFDz\uFFFD", 24, kUnlimited));
}

TEST(TextRasteriser, KeepsTinyAndHugeLinesToTheirSize) {
    const auto rasteriser = MakeTextRasteriser();
    const std::string text = "Kyoto 京都";  // 8 characters
    for (const int height : {1, 400}) {
        const TextMask mask = rasteriser->Rasterise(text, height, kUnlimited);
        EXPECT_EQ(mask.height, height);
        EXPECT_GT(mask.width, 0) << height;
        EXPECT_LE(mask.width, 8 * (2 * height + 1)) << height;
        EXPECT_EQ(mask.coverage.size(), static_cast<std::size_t>(mask.width) * mask.height);
    }
    const TextMask cut = rasteriser->Rasterise(text, 400, 300);
    ExpectLine(cut, 400);
    EXPECT_LE(cut.width, 300);
}

TEST(TextRasteriser, WorksOnAThreadOfItsOwn) {
    const std::string text = "京都 Kyoto";
    const TextMask here = MakeTextRasteriser()->Rasterise(text, 30, kUnlimited);
    TextMask there;
    std::thread([&] { there = MakeTextRasteriser()->Rasterise(text, 30, kUnlimited); }).join();
    ExpectLine(there, 30);
    EXPECT_EQ(there, here);
}

}  // namespace
}  // namespace vexaframe
