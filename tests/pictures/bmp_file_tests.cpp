#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "forged.h"
#include "pictures/bmp_file.h"

namespace vexaframe {
namespace {

using forged::AppendNumber;
using ::testing::ElementsAreArray;

std::uint32_t Read(const std::string& bytes, std::size_t at, std::size_t size = 4) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + i])) << (8 * i);
    return value;
}

std::string With32(std::string bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
    return bytes;
}

std::string Bytes(std::initializer_list<int> values) {
    return {values.begin(), values.end()};
}

// Offsets as the format documents them, not as the writer names them.
TEST(EncodeBmp24, WritesAnUncompressed24BitBottomUpBitmapWithPaddedBgrRows) {
    Image image(3, 2);
    image.At(0, 0) = 0xFF102030;  // top
    image.At(0, 1) = 0x00A0B0C0;  // bottom, and transparent: alpha is not kept
    const std::string bytes = EncodeBmp24(image);

    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(bytes.size(), 54u + 2 * 12);  // 9 bytes a row, padded to 12
    const std::uint32_t fields[][3] = {{2, 4, 54 + 24}, {10, 4, 54}, {14, 4, 40}, {18, 4, 3},
                                       {22, 4, 2},      {26, 2, 1},  {28, 2, 24}, {30, 4, 0},
                                       {34, 4, 24},     {46, 4, 0}};
    for (const auto& [at, size, value] : fields) EXPECT_EQ(Read(bytes, at, size), value) << at;
    EXPECT_EQ(bytes.substr(54, 3), Bytes({0xC0, 0xB0, 0xA0}));
    EXPECT_EQ(bytes.substr(54 + 9, 3 + 3), std::string(3, '\0') + Bytes({0x30, 0x20, 0x10}));

    // Each amount of row padding.
    for (const auto& [width, size] : {std::pair{0, 54u}, {1, 58u}, {2, 62u}, {4, 66u}, {5, 70u}})
        EXPECT_EQ(EncodeBmp24(Image(width, width ? 1 : 0)).size(), size) << width;
}

// A large picture goes out a band at a time, the same file as a whole; a failed write ends it.
TEST(WriteBmp24, HandsTheFileOverInBandsAndStopsAtAFailedWrite) {
    Image image(1000, 1200);
    for (std::size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = 0xFF000000 | static_cast<std::uint32_t>(i * 2654435761u >> 8);
    std::vector<std::size_t> pieces;
    std::string joined;
    ASSERT_TRUE(WriteBmp24(image, [&](std::string_view piece) {
        pieces.push_back(piece.size());
        joined += piece;
        return true;
    }));
    EXPECT_GE(pieces.size(), 3u);
    EXPECT_LE(*std::max_element(pieces.begin(), pieces.end()), (1u << 20) + 54);
    const std::optional<Image> read = DecodeBmp(joined);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->pixels, image.pixels);

    int writes = 0;
    EXPECT_FALSE(WriteBmp24(image, [&](std::string_view) { return ++writes < 2; }));
    EXPECT_EQ(writes, 2);
}

// Files built field by field, one for each variant the reader takes; the system's own reader
// holds the writer to the format on the picture loader's tests, which load the sample bitmaps.
// Header size 12 makes the core header: 16-bit sides, no compression, 3-byte colours. Masks go
// inside the longer headers, or after a 40-byte one.
std::string BuildBmp(std::uint32_t headerSize, int width, int height, int bits,
                     std::uint32_t compression, const std::string& pixels,
                     const std::vector<std::uint32_t>& palette = {},
                     const std::vector<std::uint32_t>& masks = {}, std::uint32_t coloursUsed = 0) {
    const bool core = headerSize == 12;
    std::string header;
    AppendNumber(header, headerSize, 4);
    for (const int side : {width, height})
        AppendNumber(header, static_cast<std::uint32_t>(side), core ? 2 : 4);
    AppendNumber(header, 1 | static_cast<std::uint32_t>(bits) << 16, 4);  // planes, bits a pixel
    if (!core) {
        for (const std::uint32_t field : {compression, 0u, 3780u, 3780u, coloursUsed, 0u})
            AppendNumber(header, field, 4);
        for (const std::uint32_t mask : masks) AppendNumber(header, mask, 4);
        header.resize(std::max<std::size_t>(header.size(), headerSize), '\0');
    }
    for (const std::uint32_t colour : palette) AppendNumber(header, colour, core ? 3 : 4);
    const auto pixelsAt = static_cast<std::uint32_t>(14 + header.size());
    std::string file = "BM";
    for (const std::uint32_t field :
         {pixelsAt + static_cast<std::uint32_t>(pixels.size()), 0u, pixelsAt})
        AppendNumber(file, field, 4);
    return file + header + pixels;
}

constexpr std::uint32_t kOpaque = 0xFF000000;
const std::vector<std::uint32_t> kPalette = {0x102030, 0xA0B0C0, 0x00FF00, 0x0000FF};
const std::uint32_t P0 = kOpaque | kPalette[0], P1 = kOpaque | kPalette[1],
                    P2 = kOpaque | kPalette[2], P3 = kOpaque | kPalette[3];

struct DecodeCase {
    const char* name;
    std::string file;
    int width, height;
    std::vector<std::uint32_t> pixels;  // top-down
};

DecodeCase Case(const char* name, std::string file, int width, int height,
                std::vector<std::uint32_t> pixels) {
    return {name, std::move(file), width, height, std::move(pixels)};
}

std::vector<DecodeCase> DecodeCases() {
    return {
        Case("1 bit, a row crossing a byte, bottom-up",
             BuildBmp(40, 9, 2, 1, 0, Bytes({0xB0, 0x80, 0, 0, 0x40, 0, 0, 0}), kPalette), 9, 2,
             {P0, P1, P0, P0, P0, P0, P0, P0, P0, P1, P0, P1, P1, P0, P0, P0, P0, P1}),
        Case("4 bits, colours used",
             BuildBmp(40, 3, 1, 4, 0, Bytes({0x12, 0x30, 0, 0}), kPalette, {}, 4), 3, 1,
             {P1, P2, P3}),
        Case("8 bits", BuildBmp(40, 2, 1, 8, 0, Bytes({3, 0, 0, 0}), kPalette), 2, 1, {P3, P0}),
        // Fewer colours than 256 in the file, and index 7 past them.
        Case("core header, short palette", BuildBmp(12, 2, 1, 8, 0, Bytes({1, 7, 0, 0}), kPalette),
             2, 1, {P1, kOpaque}),
        Case("24 bits top-down", BuildBmp(40, 1, -2, 24, 0, Bytes({1, 2, 3, 0, 4, 5, 6, 0})), 1, 2,
             {0xFF030201, 0xFF060504}),
        Case("24 bits, the last row's padding left out",
             BuildBmp(40, 1, 2, 24, 0, Bytes({1, 2, 3, 0, 4, 5, 6})), 1, 2,
             {0xFF060504, 0xFF030201}),
        // 5-5-5: full red; green and blue 16 of 31.
        Case("16 bits", BuildBmp(40, 2, 1, 16, 0, Bytes({0x00, 0x7C, 0x10, 0x02})), 2, 1,
             {0xFFFF0000, 0xFF008484}),
        Case("16 bits, 5-6-5 masks after the header",
             BuildBmp(40, 2, 1, 16, 3, Bytes({0xE0, 0x07, 0x21, 0x08}), {}, {0xF800, 0x07E0, 0x1F}),
             2, 1, {0xFF00FF00, 0xFF080408}),
        Case("32 bits, fourth byte unused", BuildBmp(40, 1, 1, 32, 0, Bytes({1, 2, 3, 0x99})), 1, 1,
             {0xFF030201}),
        Case("32 bits, V4 header, alpha and colours in an odd order",
             BuildBmp(108, 1, 1, 32, 3, Bytes({0x11, 0x22, 0x33, 0x44}), {},
                      {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000}),
             1, 1, {0x44112233}),
        // 2-10-10-10: alpha 2 of 3, red 512 of 1023, green full, blue none.
        Case("32 bits, V5 header, wide channels",
             BuildBmp(124, 1, 1, 32, 3, Bytes({0x00, 0xFC, 0x0F, 0xA0}), {},
                      {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000}),
             1, 1, {0xAA80FF00}),
        // From the bottom row: a run; literals, then a run cut at the row's end; a move ahead.
        // Skipped pixels take palette entry 0.
        Case("RLE8",
             BuildBmp(40, 4, 3, 8, 1,
                      Bytes({3, 1, 0, 0, 0, 3, 2, 3, 1, 0, 2, 2, 0, 0, 0, 2, 2, 0, 1, 3, 0, 1}),
                      kPalette),
             4, 3, {P0, P0, P3, P0, P2, P3, P1, P2, P1, P1, P1, P0}),
        // Alternating indexes; a move up a row; literals; the last row ends the picture.
        Case(
            "RLE4",
            BuildBmp(40, 5, 3, 4, 2,
                     Bytes({3, 0x12, 0, 2, 1, 1, 1, 0x30, 0, 0, 0, 3, 0x23, 0x10, 0, 0}), kPalette),
            5, 3, {P2, P3, P1, P0, P0, P0, P0, P0, P0, P3, P1, P2, P1, P0, P0}),
    };
}

TEST(DecodeBmp, ReadsEachVariant) {
    for (const DecodeCase& c : DecodeCases()) {
        SCOPED_TRACE(c.name);
        const std::optional<Image> image = DecodeBmp(c.file);
        ASSERT_TRUE(image.has_value());
        EXPECT_EQ(std::pair(image->width, image->height), std::pair(c.width, c.height));
        EXPECT_THAT(image->pixels, ElementsAreArray(c.pixels));
    }
}

TEST(DecodeBmp, RefusesDamagedAbsurdAndUnknownFiles) {
    const std::string good = BuildBmp(40, 2, 2, 24, 0, std::string(16, '\0'));
    const std::string rle = BuildBmp(40, 4, 1, 8, 1, Bytes({4, 1, 0, 1}), kPalette);
    // RLE codes (ends of lines) enough for a huge picture, so that only the limits refuse one.
    const std::string roomy = BuildBmp(40, 1, 1, 8, 1, std::string(1100000, '\0'), kPalette);
    ASSERT_TRUE(DecodeBmp(good) && DecodeBmp(rle) && DecodeBmp(roomy));
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"header cut short", good.substr(0, 40)},
        {"pixels cut short", good.substr(0, good.size() - 3)},
        {"not BM", "BA" + good.substr(2)},
        {"unknown header size", With32(good, 14, 64)},
        {"negative width", With32(good, 18, static_cast<std::uint32_t>(-2))},
        {"zero height", With32(good, 22, 0)},
        {"height with no magnitude", With32(good, 22, 0x80000000)},
        {"too wide", With32(roomy, 18, 32769)},
        {"too many pixels", With32(With32(roomy, 18, 16385), 22, 16385)},
        {"two planes", With32(good, 26, 2 | 24 << 16)},
        {"5 bits a pixel", With32(good, 26, 1 | 5 << 16)},
        {"JPEG inside", With32(good, 30, 4)},
        {"RLE8 of 24 bits", With32(good, 30, 1)},
        {"masks on 24 bits", With32(good, 30, 3)},
        {"pixels past the end", With32(good, 10, static_cast<std::uint32_t>(good.size() + 1))},
        {"pixels inside the header", With32(good, 10, 40)},
        {"more colours than indexes", With32(rle, 46, 257)},
        {"RLE top-down", With32(rle, 22, static_cast<std::uint32_t>(-1))},
        {"RLE without its end", rle.substr(0, rle.size() - 2)},
        {"RLE literals past the end", rle.substr(0, rle.size() - 4) + Bytes({0, 5, 1, 1})},
        {"RLE of many pixels in few bytes", With32(With32(rle, 18, 16384), 22, 16384)},
        {"gap in a mask", BuildBmp(40, 1, 1, 16, 3, Bytes({0, 0}), {}, {0xF0F0, 0x0F00, 0x000F})},
        {"masks missing", BuildBmp(40, 1, 1, 16, 3, "")},
    };
    for (const auto& [name, bytes] : cases) EXPECT_FALSE(DecodeBmp(bytes)) << name;
}

}  // namespace
}  // namespace vexaframe
