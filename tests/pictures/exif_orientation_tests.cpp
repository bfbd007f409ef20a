#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "forged.h"
#include "pictures/exif_data.h"
#include "pictures/picture_header.h"

namespace vexaframe {
namespace {

using namespace forged;

// Each value in each byte order, and what it does to a photograph, is on the picture loader's
// tests; here an APP1 segment of other data (XMP) before the Exif one, in a progressive file.
TEST(ExifOrientation, IsFoundPastAnotherApp1Segment) {
    for (const bool bigEndian : {false, true}) {
        const std::string jpeg = Jpeg(
            {Segment(kApp1, std::string("http://ns.adobe.com/xap/1.0/") + '\0' + "<x:xmpmeta/>"),
             Segment(kApp1, CameraExif(6, bigEndian)), StartOfFrame(kSof2, 8, 8)});
        const std::optional<PictureHeader> header = ReadPictureHeader(jpeg);
        ASSERT_TRUE(header);
        EXPECT_EQ(header->orientation, 6) << bigEndian;
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
        EXPECT_EQ(ReadExifSegment(c.bytes).orientation, kUpright);
    }
    // Cut anywhere before the end of the Orientation's entry (the next directory's offset
    // does not matter).
    const std::size_t entryEnd = exif.size() - 12 - 4;
    for (std::size_t size = 0; size < entryEnd; ++size)
        EXPECT_EQ(ReadExifSegment(exif.substr(0, size)).orientation, kUpright) << size << " bytes";
    EXPECT_EQ(ReadExifSegment(exif.substr(0, entryEnd)).orientation, static_cast<int>(kTurned));
}

}  // namespace
}  // namespace vexaframe
