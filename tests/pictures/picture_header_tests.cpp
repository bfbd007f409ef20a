#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "forged_jpeg.h"
#include "pictures/bmp_file.h"
#include "pictures/picture_header.h"

namespace vexaframe {
namespace {

using namespace forged;

void Append(std::string& bytes, std::uint32_t value, int size) {
    AppendNumber(bytes, value, size, false);
}

// A file of one kind, and how many of its first bytes hold what the check must read.
struct Forged {
    std::string bytes;
    std::size_t headerEnd;
};

Forged JpegFile(std::uint32_t width, std::uint32_t height, std::uint8_t frameMarker = kSof0) {
    const std::string frame = StartOfFrame(frameMarker, width, height);
    const std::string bytes = Jpeg({Segment(kApp0, std::string("JFIF\0\1\1\0\0\1\0\1\0\0", 14)),
                                    Segment(kDqt, std::string(65, '\x10')), frame,
                                    Segment(kDht, std::string(29, '\x01'))});
    return {bytes, bytes.find(frame) + frame.size()};
}

// 89a, a global colour table of four entries, a graphic control extension and a comment in two
// sub-blocks before the first image descriptor.
Forged GifFile(std::uint32_t width, std::uint32_t height, std::uint32_t frameLeft = 0,
               std::uint32_t frameWidth = 0) {
    std::string bytes = "GIF89a";
    Append(bytes, width, 2);
    Append(bytes, height, 2);
    bytes += std::string("\x91\0\0", 3) + std::string(12, '\x7F');
    bytes += std::string("\x21\xF9\x04\x01\0\0\0\0", 8);
    bytes += std::string(
        "\x21\xFE\x03"
        "abc\x02zz\0",
        10);
    bytes += '\x2C';
    Append(bytes, frameLeft, 2);
    Append(bytes, 0, 2);
    Append(bytes, frameWidth != 0 ? frameWidth : width, 2);
    Append(bytes, height, 2);
    const std::size_t headerEnd = bytes.size();
    return {bytes + std::string("\0\x02\x02\x44\x01\0\x3B", 7), headerEnd};
}

// The oldest header: 16-bit sizes, 24 bits a pixel.
Forged CoreBmpFile(std::uint32_t width, std::uint32_t height) {
    std::string bytes = "BM";
    Append(bytes, 0, 4);   // file size, unused
    Append(bytes, 0, 4);   // reserved
    Append(bytes, 26, 4);  // pixels at
    Append(bytes, 12, 4);
    Append(bytes, width, 2);
    Append(bytes, height, 2);
    Append(bytes, 1, 2);
    Append(bytes, 24, 2);
    return {bytes, 26};  // the pixels would follow
}

Forged InfoBmpFile(std::int32_t width, std::int32_t height) {
    std::string bytes = EncodeBmp24(Image(1, 1));
    std::string sizes;
    Append(sizes, static_cast<std::uint32_t>(width), 4);
    Append(sizes, static_cast<std::uint32_t>(height), 4);
    bytes.replace(18, 8, sizes);
    return {bytes, 54};
}

Forged WmfFile(std::int16_t left, std::int16_t top, std::int16_t right, std::int16_t bottom,
               std::uint16_t unitsPerInch) {
    std::string bytes;
    Append(bytes, 0x9AC6CDD7, 4);
    Append(bytes, 0, 2);
    for (const std::int16_t side : {left, top, right, bottom})
        Append(bytes, static_cast<std::uint16_t>(side), 2);
    Append(bytes, unitsPerInch, 2);
    Append(bytes, 0, 4);
    Append(bytes, 0x1234, 2);  // checksum
    const std::size_t headerEnd = bytes.size();
    return {bytes + std::string("\1\0\x09\0\0\x03\x0C\0\0\0\0\0\0\0\0\0\0\0\x03\0\0\0\0\0", 24),
            headerEnd};
}

// The frame in 0.01 mm; the bounds in device pixels do not count.
Forged EmfFile(std::int32_t frameWidth, std::int32_t frameHeight,
               std::uint32_t signature = 0x464D4520) {
    std::string bytes;
    Append(bytes, 1, 4);   // EMR_HEADER
    Append(bytes, 88, 4);  // its size
    for (const std::int32_t side : {0, 0, 99999, 99999, 0, 0, frameWidth, frameHeight})
        Append(bytes, static_cast<std::uint32_t>(side), 4);
    Append(bytes, signature, 4);
    bytes += std::string(88 - bytes.size(), '\0');
    return {bytes + std::string("\x0E\0\0\0\x14\0\0\0\0\0\0\0\x10\0\0\0\x14\0\0\0", 20), 88};
}

std::int32_t HimetricAt96Dpi(int pixels) {
    return (pixels * 2540 + 48) / 96;
}

TEST(ReadPictureHeader, ReadsTheKindAndSizeEachFileDeclares) {
    const struct {
        const char* name;
        std::string bytes;
        PictureKind kind;
        int width, height;
    } cases[] = {
        // The tables before and after the frame would give other sizes if read as one.
        {"baseline JPEG", JpegFile(640, 480).bytes, PictureKind::Jpeg, 640, 480},
        {"progressive JPEG behind fill bytes and a DAC segment",
         Jpeg({Segment(kDac, "\x10\x22"), "\xFF\xFF" + StartOfFrame(kSof2, 33, 17)}),
         PictureKind::Jpeg, 33, 17},
        {"GIF", GifFile(320, 200).bytes, PictureKind::Gif, 320, 200},
        {"GIF87a", "GIF87a" + GifFile(7, 5).bytes.substr(6), PictureKind::Gif, 7, 5},
        {"bitmap", EncodeBmp24(Image(5, 3)), PictureKind::Bmp, 5, 3},
        {"top-down bitmap", InfoBmpFile(4, -6).bytes, PictureKind::Bmp, 4, 6},
        {"bitmap with the oldest header", CoreBmpFile(2, 3).bytes, PictureKind::Bmp, 2, 3},
        // Two inches by one, with units running from a non-zero origin.
        {"placeable metafile", WmfFile(100, -50, 100 + 2880, -50 + 1440, 1440).bytes,
         PictureKind::PlaceableWmf, 192, 96},
        {"placeable metafile rounded to whole pixels", WmfFile(0, 0, 1000, 10, 1000).bytes,
         PictureKind::PlaceableWmf, 96, 1},
        {"enhanced metafile", EmfFile(5080, 2540).bytes, PictureKind::Emf, 192, 96},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<PictureHeader> header = ReadPictureHeader(c.bytes);
        ASSERT_TRUE(header);
        EXPECT_EQ(header->kind, c.kind);
        EXPECT_EQ(header->size, (PixelSize{c.width, c.height}));
        EXPECT_EQ(header->orientation, kUpright);
    }
}

TEST(ReadPictureHeader, HoldsEveryKindToThePictureLimits) {
    using Maker = std::function<std::string(int, int)>;
    const struct {
        const char* kind;
        Maker make;
    } kinds[] = {
        {"JPEG", [](int w, int h) { return JpegFile(w, h).bytes; }},
        {"GIF", [](int w, int h) { return GifFile(w, h).bytes; }},
        {"bitmap", [](int w, int h) { return InfoBmpFile(w, h).bytes; }},
        {"core bitmap", [](int w, int h) { return CoreBmpFile(w, h).bytes; }},
        {"placeable metafile",  // half an inch to 48 units: two pixels a unit
         [](int w, int h) {
             return WmfFile(0, 0, static_cast<std::int16_t>(w / 2),
                            static_cast<std::int16_t>(h / 2), 48)
                 .bytes;
         }},
        {"enhanced metafile",
         [](int w, int h) { return EmfFile(HimetricAt96Dpi(w), HimetricAt96Dpi(h)).bytes; }},
    };
    constexpr int kSide = bmp::kMaxSide;
    const struct {
        int width, height;
        bool taken;
    } sizes[] = {
        {kSide, static_cast<int>(bmp::kMaxPixels / kSide), true},
        {static_cast<int>(bmp::kMaxPixels / kSide), kSide, true},
        {2, 2, true},
        {kSide + 2, 2, false},
        {2, kSide + 2, false},
        {16386, 16384, false},  // each side within the limit, the pixels beyond it
        {0, 16, false},
        {16, 0, false},
    };
    for (const auto& kind : kinds) {
        for (const auto& size : sizes) {
            SCOPED_TRACE(testing::Message()
                         << kind.kind << " " << size.width << " x " << size.height);
            const std::optional<PictureHeader> header =
                ReadPictureHeader(kind.make(size.width, size.height));
            EXPECT_EQ(header.has_value(), size.taken);
            if (header) {
                EXPECT_EQ(header->size, (PixelSize{size.width, size.height}));
            }
        }
    }
    // A camera's picture of 60000 x 60000 pixels crashes some decoders.
    EXPECT_FALSE(ReadPictureHeader(JpegFile(60000, 60000).bytes));
}

TEST(ReadPictureHeader, RefusesAHeaderCutShort) {
    const struct {
        const char* name;
        Forged file;
    } cases[] = {
        {"JPEG", JpegFile(64, 48)},
        {"GIF", GifFile(64, 48)},
        {"bitmap", InfoBmpFile(64, 48)},
        {"core bitmap", CoreBmpFile(64, 48)},
        {"placeable metafile", WmfFile(0, 0, 64, 48, 96)},
        {"enhanced metafile", EmfFile(1000, 1000)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (std::size_t size = 0; size < c.file.headerEnd; ++size)
            EXPECT_FALSE(ReadPictureHeader(c.file.bytes.substr(0, size))) << size << " bytes";
        EXPECT_TRUE(ReadPictureHeader(c.file.bytes.substr(0, c.file.headerEnd)));
    }
}

TEST(ReadPictureHeader, RefusesDamagedHeadersAndOtherKindsOfFile) {
    const std::string frame = StartOfFrame(kSof0, 64, 48);
    const std::string scan = Segment(kSos, std::string("\x01\x01\x00\x00\x3F\x00", 6));
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"text named as a picture", "Not a picture at all, only words.\r\n"},
        {"JPEG scan before its frame", Jpeg({scan, frame})},
        {"JPEG end before its frame", Jpeg({"\xFF\xD9", frame})},
        {"JPEG restart marker before its frame", Jpeg({"\xFF\xD0", frame})},
        {"JPEG segment not starting with FF", Jpeg({"\x01" + frame})},
        {"JPEG segment length 1", Jpeg({std::string("\xFF\xE0\x00\x01", 4), frame})},
        {"JPEG segment length 0", Jpeg({std::string("\xFF\xE0\x00\x00", 4), frame})},
        {"JPEG frame too short for its size",
         Jpeg({Segment(kSof0, std::string("\x08\x00\x30", 3))})},
        {"GIF without an image", GifFile(64, 48).bytes.substr(0, 13 + 12) + "\x3B"},
        {"GIF with an unknown block", GifFile(64, 48).bytes.substr(0, 13 + 12) + "\x99"},
        {"GIF whose first image lies beyond the limits",
         GifFile(64, 48, bmp::kMaxSide - 10, 20).bytes},
        {"GIF of another version", "GIF88a" + GifFile(64, 48).bytes.substr(6)},
        {"bitmap with an unknown header size", "BM" + std::string(60, '\x05')},
        {"placeable metafile of no units per inch", WmfFile(0, 0, 64, 48, 0).bytes},
        {"placeable metafile with its box inside out", WmfFile(64, 48, 0, 0, 96).bytes},
        {"enhanced metafile with another signature", EmfFile(1000, 1000, 0x20464D45).bytes},
        {"enhanced metafile with its frame inside out", EmfFile(-1000, 1000).bytes},
        {"metafile without the placeable header", std::string("\1\0\x09\0\0\x03\x0C\0\0\0", 10)},
        {"PNG", std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x10\0\0\0\x10\x08\x02", 26)},
        {"icon", std::string("\0\0\1\0\1\0\x10\x10\0\0\1\0\x20\0", 14)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(ReadPictureHeader(c.bytes));
    }
}

// Bytes changed at random in valid headers of every kind, and bytes that are random from the
// start: no crash and no read past the end (run under the sanitizers), and whatever is taken is
// within the limits.
TEST(ReadPictureHeader, SurvivesRandomDamage) {
    const std::vector<std::string> originals = {
        JpegFile(640, 480).bytes,
        Jpeg({Segment(kApp1, CameraExif(6, true)), StartOfFrame(kSof2, 64, 48)}),
        GifFile(320, 200).bytes,
        EncodeBmp24(Image(3, 2)),
        CoreBmpFile(2, 3).bytes,
        WmfFile(0, 0, 1440, 720, 1440).bytes,
        EmfFile(5080, 2540).bytes,
    };
    std::mt19937 random(7);
    const auto below = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    int taken = 0;
    for (int round = 0; round < 50000; ++round) {
        std::string bytes = originals[below(originals.size())];
        if (round % 10 == 0) {
            for (char& byte : bytes) byte = static_cast<char>(below(256));
        } else {
            for (std::size_t n = below(4) + 1; n > 0; --n)
                bytes[below(bytes.size())] = static_cast<char>(below(256));
            bytes.resize(below(bytes.size() + 1));
        }
        const std::optional<PictureHeader> header = ReadPictureHeader(bytes);
        if (!header) continue;
        ++taken;
        ASSERT_TRUE(bmp::IsWithinLimits(header->size.width, header->size.height));
        ASSERT_GE(header->orientation, 1);
        ASSERT_LE(header->orientation, 8);
    }
    EXPECT_GT(taken, 0);  // some damage leaves a header that can be read
}

}  // namespace
}  // namespace vexaframe
