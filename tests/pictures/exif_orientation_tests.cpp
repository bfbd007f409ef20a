#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "forged_jpeg.h"
#include "pictures/exif_orientation.h"
#include "pictures/picture_header.h"

namespace vexaframe {
namespace {

using namespace forged;
using ::testing::ElementsAreArray;

constexpr bool kByteOrders[] = {false, true};  // "II", "MM"

TEST(ExifOrientation, ReadsEachValueInBothByteOrdersFromTheFileHeader) {
    for (const bool bigEndian : kByteOrders) {
        for (int value = 1; value <= 8; ++value) {
            SCOPED_TRACE(testing::Message() << (bigEndian ? "MM " : "II ") << value);
            EXPECT_EQ(ExifOrientation(CameraExif(value, bigEndian)), value);
            // An APP1 segment of other data (XMP) may come first; the frame here is progressive.
            const std::string jpeg =
                Jpeg({Segment(kApp1,
                              std::string("http://ns.adobe.com/xap/1.0/") + '\0' + "<x:xmpmeta/>"),
                      Segment(kApp1, CameraExif(value, bigEndian)), StartOfFrame(kSof2, 8, 8)});
            const std::optional<PictureHeader> header = ReadPictureHeader(jpeg);
            ASSERT_TRUE(header);
            EXPECT_EQ(header->orientation, value);
        }
    }
}

TEST(ExifOrientation, TakesMissingOrDamagedDataAsUpright) {
    const std::uint32_t kTurned = 6;  // what a reader blind to the damage would give
    const std::string exif = CameraExif(kTurned, true);
    const std::string tiff = exif.substr(6);
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"no Exif signature", "Exig" + exif.substr(4)},
        {"unknown byte order", "Exif" + std::string(2, '\0') + "MI" + tiff.substr(2)},
        {"wrong TIFF number", exif.substr(0, 8) + std::string("\0\x2B", 2) + exif.substr(10)},
        {"no Orientation tag", ExifPayload(true, {{0x010F, kAscii, 4, 0x41424300}})},
        {"directory offset past the end",
         ExifPayload(true, {{kOrientationTag, kShort, 1, kTurned}}, 0xFFFFFFF8)},
        {"directory at the very end",
         ExifPayload(true, {{kOrientationTag, kShort, 1, kTurned}}, 8 + 2 + 12 + 4)},
        {"value 0", ExifPayload(false, {{kOrientationTag, kShort, 1, 0}})},
        {"value 9", ExifPayload(false, {{kOrientationTag, kShort, 1, 9}})},
        {"value of another type", ExifPayload(false, {{kOrientationTag, kLong, 1, kTurned}})},
        {"two values", ExifPayload(false, {{kOrientationTag, kShort, 2, kTurned}})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ExifOrientation(c.bytes), kUpright);
    }
    // Cut anywhere before the end of the Orientation's entry (the next directory's offset
    // does not matter).
    const std::size_t entryEnd = exif.size() - 12 - 4;
    for (std::size_t size = 0; size < entryEnd; ++size)
        EXPECT_EQ(ExifOrientation(exif.substr(0, size)), kUpright) << size << " bytes";
    EXPECT_EQ(ExifOrientation(exif.substr(0, entryEnd)), static_cast<int>(kTurned));
}

// The stored picture, 3 x 2:   a b c
//                              d e f
// Each value says where the stored picture's first row and first column belong when it is
// seen upright; the expected pictures below are written out from that, row by row.
TEST(TurnUpright, TurnsEachOrientationUpright) {
    enum : std::uint32_t { a = 0xFF0000A0, b, c, d, e, f };
    Image stored(3, 2);
    stored.pixels = {a, b, c, d, e, f};
    const struct {
        int orientation;
        int width, height;
        std::vector<std::uint32_t> upright;
    } cases[] = {
        {1, 3, 2, {a, b, c, d, e, f}},  // first row at the top, first column at the left
        {2, 3, 2, {c, b, a, f, e, d}},  // first row at the top, first column at the right
        {3, 3, 2, {f, e, d, c, b, a}},  // first row at the bottom, first column at the right
        {4, 3, 2, {d, e, f, a, b, c}},  // first row at the bottom, first column at the left
        {5, 2, 3, {a, d, b, e, c, f}},  // first row at the left, first column at the top
        {6, 2, 3, {d, a, e, b, f, c}},  // first row at the right, first column at the top
        {7, 2, 3, {f, c, e, b, d, a}},  // first row at the right, first column at the bottom
        {8, 2, 3, {c, f, b, e, a, d}},  // first row at the left, first column at the bottom
        {0, 3, 2, {a, b, c, d, e, f}},  // not a value: left as it is
        {9, 3, 2, {a, b, c, d, e, f}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.orientation);
        const Image upright = TurnUpright(stored, c.orientation);
        EXPECT_EQ(upright.width, c.width);
        EXPECT_EQ(upright.height, c.height);
        EXPECT_THAT(upright.pixels, ElementsAreArray(c.upright));
    }
}

}  // namespace
}  // namespace vexaframe
