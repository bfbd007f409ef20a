#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "render/bmp_file.h"

namespace vexaframe {
namespace {

using ::testing::ElementsAre;

std::uint32_t ReadLittleEndian(const std::string& bytes, std::size_t at, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i) {
        value |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + i])) << (8 * i);
    }
    return value;
}

std::uint32_t Read32(const std::string& bytes, std::size_t at) {
    return ReadLittleEndian(bytes, at, 4);
}
std::uint32_t Read16(const std::string& bytes, std::size_t at) {
    return ReadLittleEndian(bytes, at, 2);
}

std::vector<int> ByteValues(const std::string& bytes, std::size_t from, std::size_t count) {
    std::vector<int> values;
    for (std::size_t i = from; i < from + count; ++i)
        values.push_back(static_cast<std::uint8_t>(bytes[i]));
    return values;
}

Image RandomImage(int width, int height, unsigned seed) {
    std::mt19937 engine(seed);
    Image image(width, height);
    for (std::uint32_t& pixel : image.pixels) pixel = engine();  // alpha too, which must be dropped
    return image;
}

// Offsets as the format documents them, not as the writer names them.
TEST(EncodeBmp24, WritesTheFileAndInfoHeadersOfAnUncompressed24BitBottomUpBitmap) {
    const std::string bytes = EncodeBmp24(Image(3, 2));

    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(Read32(bytes, 2), bytes.size());
    EXPECT_EQ(Read32(bytes, 10), 54u);  // pixels right after the two headers
    EXPECT_EQ(Read32(bytes, 14), 40u);  // BITMAPINFOHEADER
    EXPECT_EQ(Read32(bytes, 18), 3u);
    EXPECT_EQ(Read32(bytes, 22), 2u);  // positive: bottom row first
    EXPECT_EQ(Read16(bytes, 26), 1u);
    EXPECT_EQ(Read16(bytes, 28), 24u);
    EXPECT_EQ(Read32(bytes, 30), 0u);        // BI_RGB
    EXPECT_EQ(Read32(bytes, 34), 2u * 12u);  // 9 bytes a row, padded to 12
    EXPECT_EQ(Read32(bytes, 46), 0u);        // no colour table
    EXPECT_EQ(bytes.size(), 54u + 24u);
}

TEST(EncodeBmp24, StoresRowsBottomUpAsBlueGreenRedWithZeroPadding) {
    Image image(1, 2);
    image.At(0, 0) = 0xFF102030;  // top
    image.At(0, 1) = 0x00A0B0C0;  // bottom, and transparent: alpha is not kept

    const std::string bytes = EncodeBmp24(image);

    EXPECT_THAT(ByteValues(bytes, 54, 8), ElementsAre(0xC0, 0xB0, 0xA0, 0, 0x30, 0x20, 0x10, 0));
}

TEST(EncodeBmp24, AnEmptyImageIsAValidFileWithoutPixels) {
    const std::string bytes = EncodeBmp24(Image());
    EXPECT_EQ(bytes.size(), 54u);
    EXPECT_EQ(Read32(bytes, 34), 0u);
}

bool HasImageMagick() {
#ifdef _WIN32
    return false;  // under Wine the host's tools are out of reach
#else
    return std::system("convert -version >/dev/null 2>&1") == 0;
#endif
}

std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// An independent reader decodes what we wrote to the same pixels; odd widths exercise each
// amount of row padding.
TEST(EncodeBmp24, ImageMagickReadsBackTheSamePixels) {
    if (!HasImageMagick()) GTEST_SKIP() << "ImageMagick's convert is not available";
    const auto folder = std::filesystem::temp_directory_path();
    const std::pair<int, int> sizes[] = {{1, 1}, {2, 3}, {5, 4}, {7, 2}, {8, 3}};
    for (const auto& [width, height] : sizes) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        const Image image = RandomImage(width, height, static_cast<unsigned>(width * 31 + height));
        const auto bmp = folder / "vexaframe_bmp_test.bmp";
        const auto rgb = folder / "vexaframe_bmp_test.rgb";
        std::ofstream(bmp, std::ios::binary) << EncodeBmp24(image);

        const std::string command = "convert " + bmp.string() + " -depth 8 rgb:" + rgb.string();
        ASSERT_EQ(std::system(command.c_str()), 0);
        const std::string decoded = ReadWholeFile(rgb);

        std::string expected;
        for (std::uint32_t pixel : image.pixels) {
            for (int shift : {16, 8, 0})
                expected.push_back(static_cast<char>((pixel >> shift) & 0xFF));
        }
        EXPECT_EQ(decoded, expected);
        std::filesystem::remove(bmp);
        std::filesystem::remove(rgb);
    }
}

}  // namespace
}  // namespace vexaframe
