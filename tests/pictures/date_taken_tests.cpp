#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "forged.h"
#include "forged_isobmff.h"
#include "pictures/date_taken.h"
#include "pictures/exif_data.h"
#include "support/fake_file_system.h"

namespace vexaframe {
namespace {

using namespace forged;

constexpr CalendarTime kTaken{2021, 7, 4, 18, 30, 5};
const std::string kTakenText = "2021:07:04 18:30:05";

TEST(ExifData, GivesTheOrientationAndTheDateInOnePassInEitherByteOrder) {
    for (const bool bigEndian : {false, true}) {
        const ExifData exif = ReadExifSegment(DatedExif(kTakenText, bigEndian, 6));
        EXPECT_EQ(exif.orientation, 6) << bigEndian;
        EXPECT_EQ(exif.taken, kTaken) << bigEndian;
    }
}

TEST(ExifData, GivesNoDateForDamagedDataOrMalformedText) {
    const struct {
        const char* name;
        std::string tiff;
    } cases[] = {
        {"zeros", DatedTiff("0000:00:00 00:00:00", true)},
        {"blanks", DatedTiff("    :  :     :  :  ", true)},
        {"letters", DatedTiff("2021:O7:04 18:30:05", true)},
        {"month 13", DatedTiff("2021:13:04 18:30:05", true)},
        {"30 February", DatedTiff("2021:02:30 18:30:05", true)},
        {"hour 24", DatedTiff("2021:07:04 24:30:05", true)},
        {"other separators", DatedTiff("2021-07-04 18:30:05", true)},
        {"text running on", DatedTiff(kTakenText + " UTC", true)},
        {"Exif directory that is the main one", DatedTiff(kTakenText, false, 1, 8)},
        {"Exif directory past the end", DatedTiff(kTakenText, false, 1, 0xFFFFFFF0)},
        {"no Exif directory",
         ExifPayload(false, {{kDateTimeOriginalTag, kAscii, 20, 26}}).substr(6) + kTakenText},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(ReadTiffExif(c.tiff).taken);
    }
    // Cut anywhere before the end of the text and its NUL, which the entry counts.
    const std::string tiff = DatedTiff(kTakenText, true);
    for (std::size_t size = 0; size < tiff.size(); ++size)
        EXPECT_FALSE(ReadTiffExif(tiff.substr(0, size)).taken) << size << " bytes";
    EXPECT_EQ(ReadTiffExif(tiff).taken, kTaken);
}

class DateTaken : public ::testing::Test {
protected:
    FakeFileSystem files_{kPosixPaths};
};

TEST_F(DateTaken, IsReadFromEveryKindThatCarriesExifData) {
    const std::string jpeg =
        Jpeg({Segment(kApp1, std::string("http://ns.adobe.com/xap/1.0/") + '\0' + "<x:xmpmeta/>"),
              Segment(kApp1, DatedExif(kTakenText, false)), StartOfFrame(kSof0, 8, 8)});
    files_.AddFile("/p/photo.jpg", jpeg);
    files_.AddFile("/p/photo.png",
                   RgbaPng(1, {0xFF000000}, {PngChunk("eXIf", DatedTiff(kTakenText, true))}));
    for (const char* path : {"/p/photo.jpg", "/p/photo.png"}) {
        EXPECT_EQ(ReadDateTaken(files_, path), kTaken) << path;
    }
}

// Megabytes of image data before the EXIF chunk, of which only the first piece is read.
TEST_F(DateTaken, FindsAWebpFilesExifDataAfterLargeImageData) {
    const std::string picture = Vp8Frame(64, 48) + std::string(4 << 20, '\x55');
    const std::string webp =
        Webp({WebpChunk("VP8X", Vp8xPayload(kVp8xExif, 64, 48)), WebpChunk("VP8 ", picture),
              WebpChunk("EXIF", DatedExif(kTakenText, true))});
    files_.AddFile("/p/photo.webp", webp);
    EXPECT_EQ(ReadDateTaken(files_, "/p/photo.webp"), kTaken);
    EXPECT_LT(files_.bytesRead, std::size_t{300} << 10);
}

// The Exif item lies in the media data after the meta box, as cameras write it.
TEST_F(DateTaken, FindsAHeifFilesExifItemInItsMediaData) {
    for (const std::string brand : {"heic", "avif"}) {
        IsobmffFile heif;
        heif.majorBrand = brand;
        if (brand == "avif") {
            heif.compatibleBrands = {"mif1", "avif"};
            heif.items = {{1, "av01"}, {2, "Exif"}};
        } else {
            heif.items = {{1, "hvc1"}, {2, "Exif"}};
        }
        const std::string item = BigEndian32(6) + DatedExif(kTakenText, false);
        const std::string picture(1 << 20, '\x44');
        const auto iloc = [&](std::uint32_t offset) {
            return FullBox("iloc", 0, 0,
                           BigEndian16(0x4400) + BigEndian16(1) + BigEndian16(2) + BigEndian16(0) +
                               BigEndian16(1) + BigEndian32(offset) +
                               BigEndian32(static_cast<std::uint32_t>(item.size())));
        };
        heif.otherMetaBoxes = {iloc(0)};
        const std::size_t itemAt = heif.FileType().size() + heif.Meta().size() + 8 + picture.size();
        heif.otherMetaBoxes = {iloc(static_cast<std::uint32_t>(itemAt))};
        files_.AddFile("/p/photo." + brand,
                       heif.FileType() + heif.Meta() + Box("mdat", picture + item));
        EXPECT_EQ(ReadDateTaken(files_, "/p/photo." + brand), kTaken) << brand;
    }
    EXPECT_LT(files_.bytesRead, std::size_t{700} << 10);
}

TEST_F(DateTaken, FallsBackOnTheFilesLastWrite) {
    constexpr CalendarTime kWritten{2024, 2, 29, 9, 0, 0};
    files_.AddFile("/p/dated.jpg",
                   Jpeg({Segment(kApp1, DatedExif(kTakenText, true)), StartOfFrame(kSof0, 8, 8)}));
    files_.AddFile("/p/undated.jpg",
                   Jpeg({Segment(kApp1, CameraExif(6, true)), StartOfFrame(kSof0, 8, 8)}));
    files_.AddFile("/p/damaged.jpg", "\xFF\xD8\xFF\xE1garbage");
    for (const char* path : {"/p/dated.jpg", "/p/undated.jpg", "/p/damaged.jpg"})
        files_.SetLastWritten(path, kWritten);
    EXPECT_EQ(DateOfPicture(files_, "/p/dated.jpg"), kTaken);
    EXPECT_FALSE(ReadDateTaken(files_, "/p/undated.jpg"));
    EXPECT_EQ(DateOfPicture(files_, "/p/undated.jpg"), kWritten);
    EXPECT_EQ(DateOfPicture(files_, "/p/damaged.jpg"), kWritten);
    EXPECT_FALSE(DateOfPicture(files_, "/p/missing.jpg"));
}

}  // namespace
}  // namespace vexaframe
