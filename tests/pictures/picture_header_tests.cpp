#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "forged.h"
#include "forged_isobmff.h"
#include "pictures/bmp_file.h"
#include "pictures/picture_header.h"

namespace vexaframe {
namespace {

using namespace forged;

// A file of one kind, and how many of its first bytes hold what the check must read.
struct Forged {
    std::string bytes;
    std::size_t headerEnd;
};

// Tables before the frame, one of them in the frame markers' range, and fill bytes before it.
Forged JpegFile(int width, int height) {
    const std::string frame = StartOfFrame(kSof0, width, height);
    const std::string bytes =
        Jpeg({Segment(kApp0, std::string("JFIF\0\1\1\0\0\1\0\1\0\0", 14)),
              Segment(kDqt, std::string(65, '\x10')), Segment(kDht, std::string(29, '\x01')),
              Segment(kDac, "\x10\x22"), "\xFF" + frame});
    return {bytes, bytes.find(frame) + frame.size()};
}

// A global colour table, a graphic control extension and a comment in two sub-blocks before the
// first image descriptor.
Forged GifFile(int width, int height, int frameLeft = 0) {
    std::string bytes = Gif(width, height, 0, {{frameLeft, 0, width, height, {0}, 0}});
    const std::size_t image = bytes.find(',', 13 + 12);  // past the screen and its colours
    bytes.insert(image, std::string("\x21\xFE\x03"
                                    "abc\x02zz\0",
                                    10));
    return {bytes, image + 10 + 9};  // the comment, the descriptor up to its flags
}

// Top-down, so its height field is negative.
Forged BmpFile(int width, int height) {
    std::string bytes = EncodeBmp24(Image(1, 1));
    std::string sizes;
    AppendNumber(sizes, static_cast<std::uint32_t>(width), 4);
    AppendNumber(sizes, static_cast<std::uint32_t>(-height), 4);
    bytes.replace(18, 8, sizes);
    return {bytes, 54};
}

// Sizes in units of half an inch at 48 units per inch, from an origin other than (0, 0).
Forged WmfFile(int width, int height, int unitsPerInch = 48) {
    std::string bytes;
    AppendNumber(bytes, 0x9AC6CDD7, 4);
    AppendNumber(bytes, 0, 2);
    for (const int side : {100, -50, 100 + width / 2, -50 + height / 2})
        AppendNumber(bytes, static_cast<std::uint32_t>(side), 2);
    AppendNumber(bytes, unitsPerInch, 2);
    AppendNumber(bytes, 0, 4);
    AppendNumber(bytes, 0x1234, 2);  // checksum
    const std::size_t headerEnd = bytes.size();
    return {bytes + std::string("\1\0\x09\0\0\x03\x0C\0\0\0\0\0\0\0\0\0\0\0\x03\0\0\0\0\0", 24),
            headerEnd};
}

// The frame in 0.01 mm, from the size at 96 dots per inch; the bounds in device pixels do not
// count.
Forged EmfFile(int width, int height, std::uint32_t signature = 0x464D4520) {
    std::string bytes;
    AppendNumber(bytes, 1, 4);   // EMR_HEADER
    AppendNumber(bytes, 88, 4);  // its size
    const int frameWidth = (width * 2540 + 48) / 96, frameHeight = (height * 2540 + 48) / 96;
    for (const int side : {0, 0, 99999, 99999, 0, 0, frameWidth, frameHeight})
        AppendNumber(bytes, static_cast<std::uint32_t>(side), 4);
    AppendNumber(bytes, signature, 4);
    bytes += std::string(88 - bytes.size(), '\0');
    return {bytes + std::string("\x0E\0\0\0\x14\0\0\0\0\0\0\0\x10\0\0\0\x14\0\0\0", 20), 88};
}

// The header of a HEIF or AVIF file ends with its meta box.
Forged IsobmffPicture(const IsobmffFile& file) {
    return {file.Bytes(), file.FileType().size() + file.Meta().size()};
}

Forged HeifFile(int width, int height) {
    IsobmffFile file;
    file.properties = {Hvcc(), Ispe(static_cast<std::uint32_t>(width),
                                    static_cast<std::uint32_t>(height))};
    return IsobmffPicture(file);
}

Forged AvifFile(int width, int height) {
    IsobmffFile file;
    file.majorBrand = "avif";
    file.compatibleBrands = {"avif", "mif1", "miaf"};
    file.items = {{1, "av01"}};
    file.properties = {Ispe(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)),
                       Box("av1C", std::string("\x81\x00\x0C\x00", 4))};
    file.associations = {{1, {2, 1}}};
    return IsobmffPicture(file);
}

const struct {
    const char* name;
    PictureKind kind;
    std::function<Forged(int, int)> make;
} kKinds[] = {
    {"JPEG", PictureKind::Jpeg, [](int w, int h) { return JpegFile(w, h); }},
    {"GIF", PictureKind::Gif, [](int w, int h) { return GifFile(w, h); }},
    {"bitmap", PictureKind::Bmp, BmpFile},
    {"placeable metafile", PictureKind::PlaceableWmf, [](int w, int h) { return WmfFile(w, h); }},
    {"enhanced metafile", PictureKind::Emf, [](int w, int h) { return EmfFile(w, h); }},
    {"HEIF", PictureKind::Heif, HeifFile},
    {"AVIF", PictureKind::Avif, AvifFile},
};

TEST(ReadPictureHeader, ReadsTheDeclaredSizeOfEachKindWithinThePictureLimits) {
    constexpr int kSide = bmp::kMaxSide;
    constexpr int kShortSide = static_cast<int>(bmp::kMaxPixels / kSide);
    const struct {
        int width, height;
        bool taken;
    } sizes[] = {
        {64, 48, true},
        {kSide, kShortSide, true},
        {kShortSide, kSide, true},
        {kSide + 2, 2, false},
        {2, kSide + 2, false},
        {16386, 16384, false},  // each side within the limit, the pixels beyond it
        {0, 16, false},
        {16, 0, false},
        {-16, 16, false},  // a metafile's box inside out; 65520 in 16 bits
    };
    for (const auto& kind : kKinds) {
        for (const auto& size : sizes) {
            SCOPED_TRACE(testing::Message()
                         << kind.name << " " << size.width << " x " << size.height);
            const std::optional<PictureHeader> header =
                ReadPictureHeader(kind.make(size.width, size.height).bytes);
            ASSERT_EQ(header.has_value(), size.taken);
            if (!header) continue;
            EXPECT_EQ(header->kind, kind.kind);
            EXPECT_EQ(header->size, (PixelSize{size.width, size.height}));
            EXPECT_EQ(header->orientation, kUpright);
        }
    }
    // A photograph's frame forged to 60000 x 60000 pixels crashes a system decoder.
    EXPECT_FALSE(ReadPictureHeader(JpegFile(60000, 60000).bytes));
}

TEST(ReadPictureHeader, RefusesAHeaderCutShort) {
    for (const auto& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        const Forged file = kind.make(64, 48);
        for (std::size_t size = 0; size < file.headerEnd; ++size)
            EXPECT_FALSE(ReadPictureHeader(file.bytes.substr(0, size))) << size << " bytes";
        EXPECT_TRUE(ReadPictureHeader(file.bytes.substr(0, file.headerEnd)));
    }
}

TEST(ReadPictureHeader, RefusesDamagedHeadersAndOtherKindsOfFile) {
    const std::string frame = StartOfFrame(kSof0, 64, 48);
    const std::string gifStart = GifFile(64, 48).bytes.substr(0, 13 + 12);
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"text named as a picture", "Not a picture at all, only words.\r\n"},
        {"JPEG scan before its frame", Jpeg({Segment(kSos, std::string(6, '\1')), frame})},
        {"JPEG end before its frame", Jpeg({"\xFF\xD9", frame})},
        {"JPEG restart marker before its frame", Jpeg({"\xFF\xD0", frame})},
        {"JPEG segment not starting with FF", Jpeg({"\x01" + frame})},
        {"JPEG segment length 1", Jpeg({std::string("\xFF\xE0\x00\x01", 4), frame})},
        {"JPEG frame too short for its size", Jpeg({Segment(kSof0, std::string("\x08\0\x30", 3))})},
        {"GIF without an image", gifStart + "\x3B"},
        {"GIF with an unknown block", gifStart + "\x99"},
        {"GIF whose first image lies beyond the limits", GifFile(64, 48, bmp::kMaxSide - 10).bytes},
        {"GIF of another version", "GIF88a" + GifFile(64, 48).bytes.substr(6)},
        {"bitmap with an unknown header size", "BM" + std::string(60, '\x05')},
        {"placeable metafile of no units per inch", WmfFile(64, 48, 0).bytes},
        {"enhanced metafile with another signature", EmfFile(64, 48, 0x20464D45).bytes},
        {"metafile without the placeable header", std::string("\1\0\x09\0\0\x03\x0C\0\0\0", 10)},
        {"PNG", std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x10\0\0\0\x10\x08\x02", 26)},
        {"icon", std::string("\0\0\1\0\1\0\x10\x10\0\0\1\0\x20\0", 14)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(ReadPictureHeader(c.bytes));
    }
}

}  // namespace
}  // namespace vexaframe
