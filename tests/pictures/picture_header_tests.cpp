#include <gtest/gtest.h>

#include <algorithm>
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

// A text chunk between the header and the picture data, and the end after it.
Forged PngFile(int width, int height, const PngHeader& fields = {}) {
    PngHeader header = fields;
    header.width = static_cast<std::uint32_t>(width);
    header.height = static_cast<std::uint32_t>(height);
    const std::string start = std::string(kPngSignature) + PngHeaderChunk(header) +
                              PngChunk("tEXt", std::string("Title\0Lake", 10));
    return {start + PngChunk("IDAT", StoredZlib(std::string(7, '\0'))) + PngChunk("IEND", ""),
            start.size() + 8};
}

// The extended form: a colour profile between the header and the picture's chunk, whose own
// size is the canvas's as far as 14 bits reach.
Forged ExtendedWebpFile(int width, int height) {
    const auto side = [](int canvasSide) {
        return static_cast<std::uint32_t>(std::clamp(canvasSide, 1, 1 << 14));
    };
    const std::vector<std::string> chunks = {
        WebpChunk("VP8X", Vp8xPayload(0, static_cast<std::uint32_t>(width),
                                      static_cast<std::uint32_t>(height))),
        WebpChunk("ICCP", std::string(21, '\x11'))};
    const std::size_t pictureAt = Webp(chunks).size();
    return {Webp({chunks[0], chunks[1], WebpChunk("VP8L", Vp8lHeader(side(width), side(height)))}),
            pictureAt + 8};
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
    {"PNG", PictureKind::Png, [](int w, int h) { return PngFile(w, h); }},
    {"extended WebP", PictureKind::Webp, ExtendedWebpFile},
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
        {"icon", std::string("\0\0\1\0\1\0\x10\x10\0\0\1\0\x20\0", 14)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(ReadPictureHeader(c.bytes));
    }
}

// Grey, RGB, palette, grey with alpha and RGBA, each with the bit depths PNG allows it.
TEST(ReadPictureHeader, TakesEachPngColourTypeAtTheBitDepthsItAllows) {
    const std::vector<std::vector<int>> depths = {{1, 2, 4, 8, 16}, {}, {8, 16}, {1, 2, 4, 8},
                                                  {8, 16},          {}, {8, 16}, {}};
    for (std::size_t colourType = 0; colourType < depths.size(); ++colourType) {
        for (int depth = 0; depth <= 32; ++depth) {
            const bool allowed =
                std::ranges::find(depths[colourType], depth) != depths[colourType].end();
            PngHeader header;
            header.colourType = static_cast<std::uint8_t>(colourType);
            header.depth = static_cast<std::uint8_t>(depth);
            EXPECT_EQ(ReadPictureHeader(PngFile(16, 8, header).bytes).has_value(), allowed)
                << "colour type " << colourType << ", " << depth << " bits";
        }
    }
}

TEST(ReadPictureHeader, RefusesDamagedPngHeaders) {
    const std::string png = PngFile(16, 8).bytes;
    const std::string signature(kPngSignature);
    const auto withHeader = [](auto change) {
        PngHeader header;
        change(header);
        return PngFile(16, 8, header).bytes;
    };
    const std::string imageData = PngChunk("IDAT", StoredZlib("")) + PngChunk("IEND", "");
    std::string headerLength12 = png;
    headerLength12[11] = '\x0C';
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"compression 1", withHeader([](PngHeader& h) { h.compression = 1; })},
        {"filter method 1", withHeader([](PngHeader& h) { h.filter = 1; })},
        {"interlace method 2", withHeader([](PngHeader& h) { h.interlace = 2; })},
        {"header chunk of 12 bytes", headerLength12},
        {"header chunk of 14 bytes",
         signature + PngChunk("IHDR", png.substr(16, 13) + '\0') + imageData},
        {"another chunk first", signature + PngChunk("gAMA", BigEndian32(45455)) + png.substr(8)},
        {"signature damaged by a text transfer", "\x89PNG\n\x1A\n" + png.substr(8)},
        {"chunk length over 2^31 - 1",
         WithPngChunk(png, BigEndian32(0x80000000) + "tEXt" + std::string(16, 'a'))},
        {"chunk running past the end", WithPngChunk(png, BigEndian32(1000) + "zTXt" + "abc")},
        {"end before any picture data", signature + png.substr(8, 25) + PngChunk("IEND", "")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(ReadPictureHeader(c.bytes));
    }
}

// The eXIf chunk holds the TIFF structure without the "Exif\0\0" of a JPEG segment; one after
// the picture data is not read.
TEST(ReadPictureHeader, ReadsTheOrientationOfAPngFromItsExifChunk) {
    const std::string png = PngFile(16, 8).bytes;
    const auto orientationOf = [](const std::string& bytes) {
        const std::optional<PictureHeader> header = ReadPictureHeader(bytes);
        return header ? header->orientation : -1;
    };
    for (const bool bigEndian : {false, true}) {
        const std::string tiff = CameraExif(6, bigEndian).substr(6);
        EXPECT_EQ(orientationOf(WithPngChunk(png, PngChunk("eXIf", tiff))), 6) << bigEndian;
        EXPECT_EQ(orientationOf(
                      WithPngChunk(png, PngChunk("eXIf", "Exif" + std::string(2, '\0') + tiff))),
                  kUpright);
    }
    const std::string tiff = CameraExif(8, false).substr(6);
    EXPECT_EQ(orientationOf(WithPngChunk(png, PngChunk("eXIf", tiff.substr(0, 20)))), kUpright);
    const std::size_t end = png.size() - 12;
    EXPECT_EQ(orientationOf(png.substr(0, end) + PngChunk("eXIf", tiff) + png.substr(end)),
              kUpright);
    // The first of two, as for Exif segments in a JPEG file.
    EXPECT_EQ(orientationOf(WithPngChunk(WithPngChunk(png, PngChunk("eXIf", tiff)),
                                         PngChunk("eXIf", CameraExif(3, true).substr(6)))),
              3);
}

std::string LossyWebp(std::uint32_t width, std::uint32_t height) {
    return Webp({WebpChunk("VP8 ", Vp8Frame(width, height))});
}

std::string LosslessWebp(std::uint32_t width, std::uint32_t height, std::uint32_t version = 0) {
    return Webp({WebpChunk("VP8L", Vp8lHeader(width, height, version))});
}

// Their sides have 14 bits: the largest lossless picture, 16384 x 16384, is as many pixels as
// the limits allow. The two bits above a lossy picture's side scale it on display only.
TEST(ReadPictureHeader, ReadsTheSizeOfTheSimpleWebpForms) {
    const struct {
        const char* name;
        std::string bytes;
        int width, height;  // 0 where it is refused
    } cases[] = {
        {"lossy", LossyWebp(64, 48), 64, 48},
        {"lossy at its largest", LossyWebp(16383, 16383), 16383, 16383},
        {"lossy, scaled on display", LossyWebp(0xC000 | 64, 0x4000 | 48), 64, 48},
        {"lossy of no width", LossyWebp(0, 48), 0, 0},
        {"lossy of no height", LossyWebp(64, 0), 0, 0},
        {"lossless", LosslessWebp(64, 48), 64, 48},
        {"lossless at its largest", LosslessWebp(16384, 16384), 16384, 16384},
        {"lossless of one pixel", LosslessWebp(1, 1), 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<PictureHeader> header = ReadPictureHeader(c.bytes);
        ASSERT_EQ(header.has_value(), c.width != 0);
        if (!header) continue;
        EXPECT_EQ(header->kind, PictureKind::Webp);
        EXPECT_EQ(header->size, (PixelSize{c.width, c.height}));
        EXPECT_EQ(header->orientation, kUpright);
    }
    for (const std::string& file : {LossyWebp(64, 48), LosslessWebp(64, 48)}) {
        const std::size_t headerEnd = file.substr(12, 4) == "VP8 " ? 30 : 25;
        for (std::size_t size = 0; size < headerEnd; ++size)
            EXPECT_FALSE(ReadPictureHeader(file.substr(0, size))) << size << " bytes";
        EXPECT_TRUE(ReadPictureHeader(file.substr(0, headerEnd)));
    }
}

TEST(ReadPictureHeader, RefusesDamagedWebpHeaders) {
    std::string interFrame = LossyWebp(64, 48);
    interFrame[20] |= 0x01;
    std::string startCode = LossyWebp(64, 48);
    startCode[24] = '\x2B';
    std::string signature = LosslessWebp(64, 48);
    signature[20] = '\x2E';
    const std::string vp8x = WebpChunk("VP8X", Vp8xPayload(kVp8xExif, 64, 48));
    const std::string picture = WebpChunk("VP8L", Vp8lHeader(64, 48));
    std::string riffTooShort = Webp({vp8x, picture});
    riffTooShort[4] = static_cast<char>(4 + vp8x.size());  // the picture lies past the RIFF's end
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"lossy frame that is no key frame", interFrame},
        {"lossy frame of another start code", startCode},
        {"lossless picture of another signature", signature},
        {"lossless picture of version 1", LosslessWebp(64, 48, 1)},
        {"alpha chunk first", Webp({WebpChunk("ALPH", "abc"), picture})},
        {"RIFF of another form", std::string("RIFF\x20\0\0\0AVI ", 12) + picture},
        {"extended header cut short", Webp({WebpChunk("VP8X", std::string(6, '\0')), picture})},
        {"extended form without a picture", Webp({vp8x, WebpChunk("EXIF", CameraExif(6, false))})},
        {"extended form with a chunk running past the end",
         Webp({vp8x, "ICCP\xFF\xFF\xFF\x7F", picture})},
        {"picture past the RIFF's end", riffTooShort},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(ReadPictureHeader(c.bytes));
    }
}

// The EXIF chunk holds a TIFF structure, which some writers put after "Exif\0\0" as in a JPEG
// segment; it follows the picture's chunk, after any chunk of odd size and its padding.
TEST(ReadPictureHeader, ReadsTheOrientationOfAnExtendedWebpFromItsExifChunk) {
    const std::string vp8x = WebpChunk("VP8X", Vp8xPayload(kVp8xExif, 64, 48));
    const std::string picture = WebpChunk("VP8L", Vp8lHeader(64, 48));
    const auto orientationOf = [](const std::string& bytes) {
        const std::optional<PictureHeader> header = ReadPictureHeader(bytes);
        return header ? header->orientation : -1;
    };
    for (const bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "MM" : "II");
        const std::string exif = CameraExif(6, bigEndian);
        EXPECT_EQ(orientationOf(Webp({vp8x, picture, WebpChunk("EXIF", exif.substr(6))})), 6);
        EXPECT_EQ(orientationOf(Webp({vp8x, picture, WebpChunk("EXIF", exif)})), 6);
        EXPECT_EQ(orientationOf(Webp({vp8x, WebpChunk("ALPH", "abc"), picture,
                                      WebpChunk("XMP ", "<x/>"), WebpChunk("EXIF", exif)})),
                  6);
    }
    const std::string exif = WebpChunk("EXIF", CameraExif(6, false));
    const std::string whole = Webp({vp8x, picture, exif});
    EXPECT_EQ(orientationOf(whole.substr(0, whole.size() - 10)), kUpright);  // its end cut off
    // The simple forms hold no metadata: data after their picture's chunk is not read.
    EXPECT_EQ(orientationOf(Webp({picture, exif})), kUpright);
}

// An animation's canvas is its size; its first frame is what the loader shows.
TEST(ReadPictureHeader, TakesAnAnimatedWebpAtItsCanvasSize) {
    std::string frame;
    AppendNumber(frame, 0, 3);  // the frame's place on the canvas, in halves
    AppendNumber(frame, 0, 3);
    AppendNumber(frame, 31, 3);  // its sides less one
    AppendNumber(frame, 15, 3);
    AppendNumber(frame, 100, 3);  // how long it shows
    frame += '\0';                // how it is blended and disposed of
    frame += WebpChunk("VP8L", Vp8lHeader(32, 16));
    const std::string animation =
        Webp({WebpChunk("VP8X", Vp8xPayload(kVp8xAnimation, 64, 48)),
              WebpChunk("ANIM", std::string("\xFF\xFF\xFF\xFF\0\0", 6)), WebpChunk("ANMF", frame)});
    const std::optional<PictureHeader> header = ReadPictureHeader(animation);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->kind, PictureKind::Webp);
    EXPECT_EQ(header->size, (PixelSize{64, 48}));
}

}  // namespace
}  // namespace vexaframe
