// The picture loader of each platform, held to the same results.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "forged.h"
#include "forged_isobmff.h"
#include "picture_decoder_test.h"
#include "pictures/bmp_file.h"
#include "pictures/picture_loader.h"
#include "sample_pictures/metafile.h"

namespace vexaframe {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

// The bitmaps the GIF and JPEG samples were converted from, in gif/ and jpg/.
const fs::path kSampleSources = VEXAFRAME_SAMPLE_SOURCES_DIR;
// upright.jpg, 64 x 48 with a red block at its top left, and stored_<n>.jpg: the same turned as
// a camera would store it with Exif orientation n.
const fs::path kTurned = VEXAFRAME_TURNED_DIR;
// PNG and WebP pictures, each of the 24-bit bitmap it was made from: source.bmp (the upright
// picture as made for the JPEG turns, losslessly), palette_source.bmp (its 16 colours) or
// grey_source.bmp.
const fs::path kPngWebp = VEXAFRAME_PNG_WEBP_DIR;
// upright.bmp, a 64 x 48 picture like upright.jpg; the same as upright.heic and upright.avif,
// without loss; stored turned as stored_6.heic (without its rotation), rotated.avif (to be
// turned a quarter clockwise) and mirrored.avif (upside down); and translucent.avif, three
// 16 x 16 squares: blue, red at alpha 0x80 and transparent green.
const fs::path kHeif = VEXAFRAME_HEIF_DIR;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;

std::optional<Image> Load(const fs::path& path) {
    return LoadPicture(Utf8(path));
}

std::size_t TranslucentPixels(const Image& image) {
    return static_cast<std::size_t>(std::ranges::count_if(
        image.pixels, [](std::uint32_t pixel) { return pixel >> 24 != 0xFF; }));
}

// How far the colour channels of two pictures of one size lie apart: on average, and at most.
std::pair<double, int> ChannelDifferences(const Image& image, const Image& reference) {
    std::uint64_t sum = 0;
    int largest = 0;
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        for (const int shift : {0, 8, 16}) {
            const int difference = std::abs(static_cast<int>(image.pixels[i] >> shift & 0xFF) -
                                            static_cast<int>(reference.pixels[i] >> shift & 0xFF));
            sum += static_cast<std::uint64_t>(difference);
            largest = std::max(largest, difference);
        }
    }
    return {static_cast<double>(sum) / (3.0 * static_cast<double>(image.pixels.size())), largest};
}

// A metafile's pixels per inch: the screen's on Windows, 96 elsewhere.
int ScreenDotsPerInch() {
#ifdef _WIN32
    const HDC screen = GetDC(nullptr);
    const int dots = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dots > 0 ? dots : 96;
#else
    return 96;
#endif
}

class PictureLoader : public ::testing::Test {
protected:
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(scratch_, ignored);
    }

    fs::path Write(const fs::path& name, const std::string& bytes) {
        fs::create_directories(scratch_);
        const fs::path path = scratch_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

private:
    // Korean and accented Latin too, which code page 932 cannot hold: every file written here
    // lies on a path outside the code page.
    fs::path scratch_ =
        fs::temp_directory_path() /
        (u8"写真 사진 café " + fs::path(std::to_string(std::random_device{}())).u8string());
};

// Bitmaps and GIF pictures come out exactly: the GIF palettes hold every colour of their
// pictures. JPEG pictures are near their sources.
TEST_F(PictureLoader, LoadsEachRasterSampleAtItsSizeWithTheColoursItWasMadeFrom) {
    struct Case {
        const char* file;
        int width, height;
        double meanDifference;
    };
    const Case cases[] = {
        {"aurora_lake.bmp", 1024, 576, 0},  {"rainbow_bubbles.bmp", 450, 601, 0},
        {"stained_glass.gif", 640, 480, 0}, {"rainbow_rings.gif", 512, 512, 0},
        {"sunset_hills.jpg", 1280, 720, 4}, {"julia_spiral.jpg", 480, 640, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const fs::path file = kSamples / c.file;
        const std::string kind = file.extension().string().substr(1);
        const fs::path source =
            kind == "bmp" ? file
                          : kSampleSources / kind / file.filename().replace_extension(".bmp");
        const std::optional<Image> reference = DecodeBmp(ReadWholeFile(source));
        ASSERT_TRUE(reference);

        const std::optional<Image> picture = Load(file);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->width, c.width);
        EXPECT_EQ(picture->height, c.height);
        ASSERT_EQ(picture->pixels.size(), reference->pixels.size());
        EXPECT_LE(ChannelDifferences(*picture, *reference).first, c.meanDifference);
        EXPECT_EQ(TranslucentPixels(*picture), 0u);
    }
}

// The first image alone, at its own size wherever the logical screen places it, its rows in
// their places when they are stored interlaced, and its transparent parts on opaque white.
TEST_F(PictureLoader, GivesAGifsFirstImageAtItsOwnSize) {
    constexpr std::uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF,
                            kBlack = 0xFF000000;
    using forged::Gif;
    const struct {
        const char* name;
        std::string bytes;
        int width;
        std::vector<std::uint32_t> pixels;  // top-down, `width` a row
    } cases[] = {
        {"offset", Gif(5, 4, 1, {{1, 2, 2, 2, {0, 2, 2, 0}}}), 2, {kRed, kBlue, kBlue, kRed}},
        {"past the screen", Gif(2, 2, 1, {{1, 1, 3, 1, {2, 1, 0}}}), 3, {kBlue, kGreen, kRed}},
        {"two frames",
         Gif(2, 1, 3, {{0, 0, 2, 1, {0, 1}}, {0, 0, 2, 1, {2, 2}}}),
         2,
         {kRed, kGreen}},
        // Stored rows 0, 8, 4, 2, 6, 1, 3, 5, 7, 9; each row's colour is its number's index.
        {"interlaced",
         Gif(1, 10, 3, {{0, 0, 1, 10, {0, 0, 0, 2, 2, 1, 3, 1, 3, 1}, -1, true}}),
         1,
         {kRed, kGreen, kBlue, kBlack, kRed, kGreen, kBlue, kBlack, kRed, kGreen}},
        // Black, the palette's fourth colour, is transparent.
        {"transparent",
         Gif(3, 2, 0, {{0, 0, 3, 2, {0, 3, 2, 3, 1, 3}, 3}}),
         3,
         {kRed, kWhite, kBlue, kWhite, kGreen, kWhite}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<Image> picture = Load(Write("forged.gif", c.bytes));
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->width, c.width);
        EXPECT_EQ(picture->pixels, c.pixels);
    }
}

// Damaged data decodes to what the decoder makes of it; a photograph cut short gives nothing,
// even one that lacks no more than its end marker.
TEST_F(PictureLoader, DecodesDamagedPhotographDataButNoneCutShort) {
    const std::string jpeg = ReadWholeFile(kTurned / "upright.jpg");
    const std::size_t scanAt = jpeg.find("\xFF\xDA");
    ASSERT_NE(scanAt, std::string::npos);
    std::string damaged = jpeg;
    damaged.replace((scanAt + jpeg.size()) / 2, 16, 16, 'Z');
    const std::optional<Image> picture = Load(Write("damaged.jpg", damaged));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 64);
    EXPECT_EQ(picture->height, 48);
    EXPECT_FALSE(Load(Write("no_end.jpg", jpeg.substr(0, jpeg.size() - 2))));
    EXPECT_FALSE(Load(Write("cut.jpg", jpeg.substr(0, jpeg.size() * 9 / 10))));
}

// At its nominal size, drawn to scale, on opaque white. The sample writer's metafile as a
// player reads it: each brush change creates an object in the lowest free slot, selects it and
// deletes the one before, so a wrong slot or a deleted selection shows as a wrong colour.
TEST_F(PictureLoader, DrawsAMetafileToScaleOnOpaqueWhite) {
    samples::Metafile metafile(960, 480, 960);  // one inch by half an inch
    metafile.SetOutline(0x000000, 0);
    metafile.SetFill(0xFF0000);
    metafile.Rectangle({0, 0, 480, 240});
    metafile.SetFill(0x00FF00);
    metafile.Rectangle({480, 0, 960, 240});
    metafile.SetFill(0x0000FF);
    metafile.Polygon(std::vector<samples::MetaPoint>{{0, 240}, {480, 240}, {480, 480}, {0, 480}});
    metafile.SetFill(0xFFFF00);
    metafile.Rectangle({480, 240, 900, 450});
    const std::optional<Image> picture = Load(Write("quarters.wmf", metafile.Bytes()));
    ASSERT_TRUE(picture);
    const int dots = ScreenDotsPerInch();
    EXPECT_NEAR(picture->width, dots, 1);
    EXPECT_NEAR(picture->height, dots / 2, 1);
    const int w = picture->width, h = picture->height;
    EXPECT_THAT((std::vector{picture->At(w / 4, h / 4), picture->At(w * 3 / 4, h / 4),
                             picture->At(w / 4, h * 3 / 4), picture->At(w * 3 / 4, h * 3 / 4),
                             picture->At(w - 2, h - 2)}),
                ElementsAre(0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, kWhite));
}

TEST_F(PictureLoader, RefusesWhatIsNoPictureItCanShow) {
    const std::string gif = forged::Gif(4, 4, 0, {{0, 0, 4, 4, std::vector<std::uint8_t>(16)}});
    const std::string bmp = ReadWholeFile(kSamples / "ringed_planet.bmp");
    // A real JPEG file whose frame claims 60000 x 60000 pixels: the system's decoder would try
    // to hold it, and crash on the way.
    std::string giant = ReadWholeFile(kTurned / "upright.jpg");
    const std::string frame("\xFF\xC0\x00\x11\x08\x00\x30\x00\x40", 9);  // SOF0: 48 rows of 64
    const std::size_t frameAt = giant.find(frame);
    ASSERT_NE(frameAt, std::string::npos);
    giant.replace(frameAt + 5, 4, "\xEA\x60\xEA\x60");
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        // The header check refuses it (see its own tests) before any decoder sees it.
        {"giant.jpg", giant},
        // Over 32768 pixels wide, though a bitmap of its size would fit in memory.
        {"too_wide.wmf", samples::Metafile(30000, 60, 60).Bytes()},
        // Data cut short after a whole header (photographs with the damaged ones above).
        {"half.bmp", bmp.substr(0, bmp.size() / 2)},
        {"cut.gif", gif.substr(0, gif.size() - 6)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(Load(Write(c.name, c.bytes)));
    }
    EXPECT_FALSE(Load(kSamples / "no such picture.jpg"));
    EXPECT_FALSE(Load(kSamples));  // a folder
}

// The turns keep every block's coefficients, so the turned files decode to the upright pixels,
// save that the decoder's integer arithmetic rounds rows and columns differently: a transposed
// picture comes out a step or two off here and there. A wrong turn moves the red block and is
// off by far more.
constexpr int kTurnRounding = 2;

TEST_F(PictureLoader, TurnsAPhotographUprightAsItsExifOrientationSays) {
    const std::optional<Image> upright = Load(kTurned / "upright.jpg");
    ASSERT_TRUE(upright);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const std::string stored = ReadWholeFile(
            orientation == 1 ? kTurned / "upright.jpg"
                             : kTurned / ("stored_" + std::to_string(orientation) + ".jpg"));
        ASSERT_FALSE(stored.empty());
        for (const bool bigEndian : {false, true}) {
            SCOPED_TRACE(testing::Message() << orientation << (bigEndian ? " MM" : " II"));
            const std::optional<Image> picture = Load(
                Write("turned.jpg", forged::WithExifOrientation(stored, orientation, bigEndian)));
            ASSERT_TRUE(picture);
            ASSERT_EQ(picture->width, upright->width);
            ASSERT_EQ(picture->height, upright->height);
            EXPECT_LE(ChannelDifferences(*picture, *upright).second, kTurnRounding);
        }
    }
}

Image BitmapOf(const fs::path& path) {
    std::optional<Image> image = DecodeBmp(ReadWholeFile(path));
    EXPECT_TRUE(image) << path;
    return image.value_or(Image());
}

TEST_F(PictureLoader, LoadsEachFormOfPngExactlyAsItsSource) {
    const struct {
        const char* file;
        const char* source;
    } cases[] = {
        {"rgb.png", "source.bmp"},        {"rgb16.png", "source.bmp"},
        {"interlaced.png", "source.bmp"}, {"palette.png", "palette_source.bmp"},
        {"grey.png", "grey_source.bmp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::optional<Image> picture = Load(kPngWebp / c.file);
        ASSERT_TRUE(picture);
        const Image source = BitmapOf(kPngWebp / c.source);
        EXPECT_EQ(picture->width, source.width);
        EXPECT_EQ(picture->pixels, source.pixels);
    }
}

// Opaque red, clear green, blue half covering, black a fifth covering and white clear: on white.
TEST_F(PictureLoader, LaysATranslucentPngOverWhite) {
    const std::string png = forged::RgbaPng(
        3, {0xFFFF0000, 0x0000FF00, 0x800000FF, 0x33000000, 0x00FFFFFF, 0xFF000000});
    const std::optional<Image> picture = Load(Write("translucent.png", png));
    ASSERT_TRUE(picture);
    EXPECT_THAT(picture->pixels,
                ElementsAre(0xFFFF0000, kWhite, 0xFF7F7FFF, 0xFFCCCCCC, kWhite, 0xFF000000));
}

// The picture stored turned a quarter round, as a camera stores it for orientation 6.
TEST_F(PictureLoader, TurnsAPngUprightAsItsExifChunkSays) {
    const std::string stored = ReadWholeFile(kPngWebp / "stored_6.png");
    for (const bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "MM" : "II");
        const std::string exif = forged::CameraExif(6, bigEndian).substr(6);
        const std::optional<Image> picture =
            Load(Write("turned.png", forged::WithPngChunk(stored, forged::PngChunk("eXIf", exif))));
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->width, 64);
        EXPECT_EQ(picture->pixels, BitmapOf(kPngWebp / "source.bmp").pixels);
    }
}

// Where only the end chunk is missing, the picture is whole: shown, as the system's codec shows
// it on Windows.
TEST_F(PictureLoader, GivesNothingForAPngCutShortOrDamaged) {
    const std::string png = ReadWholeFile(kPngWebp / "interlaced.png");
    const std::size_t imageData = png.find("IDAT");
    ASSERT_NE(imageData, std::string::npos);
    std::string damaged = png;
    damaged[imageData + 14] ^= 0x5A;  // its CRC no longer fits the picture data
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"in the header", png.substr(0, 20)},
        {"in the picture data", png.substr(0, (imageData + png.size()) / 2)},
        {"picture data damaged", damaged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(Load(Write("cut.png", c.bytes)));
    }
    const std::optional<Image> withoutEnd = Load(Write("cut.png", png.substr(0, png.size() - 12)));
    ASSERT_TRUE(withoutEnd.has_value());
    EXPECT_EQ(withoutEnd->pixels, BitmapOf(kPngWebp / "source.bmp").pixels);
}

// WebP pictures load where the platform has a codec for them: always here; on Windows only
// where one is installed.
class WebpPictureLoader : public PictureLoader {
protected:
    void SetUp() override {
#ifdef _WIN32
        if (!Load(kPngWebp / "lossless.webp")) GTEST_SKIP() << "no WebP codec on this system";
#endif
    }
};

// Lossy pictures ring around sharp edges: next to the red block's edges a channel may be off by
// far more than on the gradient, where quality 90 keeps each within a few steps.
constexpr double kLossyMeanDifference = 2;
constexpr int kLossyGradientDifference = 8;
constexpr int kRedBlockReach = 20;  // the block and the rings around it

TEST_F(WebpPictureLoader, LoadsEachFormNearOrEqualToItsSource) {
    const Image source = BitmapOf(kPngWebp / "source.bmp");
    for (const char* file : {"lossless.webp", "animated.webp"}) {
        const std::optional<Image> picture = Load(kPngWebp / file);
        ASSERT_TRUE(picture) << file;
        EXPECT_EQ(picture->width, source.width) << file;
        EXPECT_EQ(picture->pixels, source.pixels) << file;
    }
    std::optional<Image> lossy = Load(kPngWebp / "lossy.webp");
    ASSERT_TRUE(lossy);
    ASSERT_EQ(lossy->pixels.size(), source.pixels.size());
    EXPECT_EQ(TranslucentPixels(*lossy), 0u);
    EXPECT_LE(ChannelDifferences(*lossy, source).first, kLossyMeanDifference);
    for (int y = 0; y < kRedBlockReach; ++y) {
        for (int x = 0; x < kRedBlockReach; ++x) lossy->At(x, y) = source.At(x, y);
    }
    EXPECT_LE(ChannelDifferences(*lossy, source).second, kLossyGradientDifference);
}

// The first frame at its place, on a canvas clear (and so white) around it.
TEST_F(WebpPictureLoader, GivesAnAnimationsFirstFrameWhereItLiesOnTheCanvas) {
    const std::optional<Image> picture = Load(kPngWebp / "offset_frame.webp");
    ASSERT_TRUE(picture);
    Image expected(8, 6);
    std::ranges::fill(expected.pixels, kWhite);
    for (const auto& [x, y] : {std::pair{4, 2}, {5, 2}, {4, 3}, {5, 3}})
        expected.At(x, y) = 0xFF0000FF;
    EXPECT_EQ(picture->width, 8);
    EXPECT_EQ(picture->pixels, expected.pixels);
}

// Red left clear, blue half covering, green opaque.
TEST_F(WebpPictureLoader, LaysATranslucentPictureOverWhite) {
    const std::optional<Image> picture = Load(kPngWebp / "translucent.webp");
    ASSERT_TRUE(picture);
    EXPECT_THAT(picture->pixels, ElementsAre(kWhite, 0xFF7F7FFF, 0xFF00FF00));
}

// The picture stored turned a quarter round, as a camera stores it for orientation 6, in the
// extended form with an EXIF chunk of either kind.
TEST_F(WebpPictureLoader, TurnsAPictureUprightAsItsExifChunkSays) {
    const std::string stored = ReadWholeFile(kPngWebp / "stored_6.webp");
    const std::string exif = forged::CameraExif(6, true);
    for (const std::string& payload : {exif, exif.substr(6)}) {
        const std::optional<Image> picture =
            Load(Write("turned.webp", forged::WithWebpExif(stored, 48, 64, payload)));
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->width, 64);
        EXPECT_EQ(picture->pixels, BitmapOf(kPngWebp / "source.bmp").pixels);
    }
}

// Cut anywhere after a whole header, each form gives nothing.
TEST_F(PictureLoader, GivesNothingForAWebpCutShort) {
    for (const char* file : {"lossless.webp", "lossy.webp", "animated.webp"}) {
        const std::string webp = ReadWholeFile(kPngWebp / file);
        ASSERT_FALSE(webp.empty()) << file;
        for (const std::size_t size : {webp.size() / 3, webp.size() * 2 / 3, webp.size() - 1}) {
            EXPECT_FALSE(Load(Write("cut.webp", webp.substr(0, size)))) << file << " " << size;
        }
    }
}

// The HEIF and AVIF pictures, whole and cut short.
std::vector<fs::path> HeifAndAvifPictures() {
    return {kHeif / "upright.heic", kHeif / "stored_6.heic", kHeif / "upright.avif",
            kHeif / "rotated.avif", kHeif / "mirrored.avif", kHeif / "translucent.avif"};
}

#ifdef _WIN32

// Windows decodes them only with the HEIF extension and its video codecs, which the systems
// the tests run on (Wine) lack: each gives nothing, and nothing crashes.
TEST_F(PictureLoader, GivesNoHeifOrAvifPicture) {
    for (const fs::path& file : HeifAndAvifPictures()) EXPECT_FALSE(Load(file)) << file;
}

#else

// The stored HEIF picture with the rotation that turns it upright: its pixel format property
// (which changes nothing of the decoding to 8-bit RGB) made an 'irot' of three quarter turns
// anticlockwise, its size and so every offset in the file kept.
std::string WithQuarterTurnClockwise(std::string heif) {
    const std::size_t pixelFormat = heif.find("pixi");
    if (pixelFormat == std::string::npos || heif.compare(pixelFormat - 4, 4, "\0\0\0\x10", 4) != 0)
        return {};
    heif.replace(pixelFormat, 5, "irot\x03");
    return heif;
}

// Coded without loss: the AVIF pictures decode to the very colours, the HEIF pictures a step
// off here and there (libheif rounds its conversion from the stored planes to RGB).
constexpr int kHeifRounding = 1;

TEST_F(PictureLoader, LoadsHeifAndAvifPicturesUprightWithTheColoursTheyWereMadeFrom) {
    const std::optional<Image> upright = DecodeBmp(ReadWholeFile(kHeif / "upright.bmp"));
    ASSERT_TRUE(upright);
    const std::string quarterTurned =
        WithQuarterTurnClockwise(ReadWholeFile(kHeif / "stored_6.heic"));
    ASSERT_FALSE(quarterTurned.empty());
    const struct {
        fs::path file;
        int largestDifference;
    } cases[] = {
        {kHeif / "upright.heic", kHeifRounding},
        {Write("turned.heic", quarterTurned), kHeifRounding},
        {kHeif / "upright.avif", 0},
        {kHeif / "rotated.avif", 0},
        {kHeif / "mirrored.avif", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.filename().string());
        const std::optional<Image> picture = Load(c.file);
        ASSERT_TRUE(picture);
        ASSERT_EQ(picture->width, 64);
        ASSERT_EQ(picture->height, 48);
        EXPECT_LE(ChannelDifferences(*picture, *upright).second, c.largestDifference);
        EXPECT_EQ(TranslucentPixels(*picture), 0u);
    }
}

TEST_F(PictureLoader, DrawsATranslucentAvifPictureOverWhite) {
    const std::optional<Image> picture = Load(kHeif / "translucent.avif");
    ASSERT_TRUE(picture);
    ASSERT_EQ(picture->width, 48);
    EXPECT_THAT((std::vector{picture->At(8, 8), picture->At(24, 8), picture->At(40, 8)}),
                ElementsAre(0xFF0000FF, 0xFFFF7F7F, kWhite));
}

// A file cut short anywhere past its header gives nothing. So does a HEIF file whose picture is
// not of the size its header declared: the turn the header read would not fit it. libavif
// gives an AVIF picture at its declared size, cut from the coded one.
TEST_F(PictureLoader, RefusesHeifAndAvifPicturesCutShortOrOfAnotherSize) {
    for (const fs::path& file : HeifAndAvifPictures()) {
        SCOPED_TRACE(file.filename().string());
        const std::string bytes = ReadWholeFile(file);
        ASSERT_TRUE(Load(file));
        for (const std::size_t size : {bytes.size() - 1, bytes.size() * 9 / 10, bytes.size() / 2})
            EXPECT_FALSE(Load(Write("cut", bytes.substr(0, size)))) << size << " bytes";
    }
    const std::string size = forged::Ispe(64, 48).substr(12);
    const std::string shorterSize = forged::Ispe(64, 40).substr(12);
    for (const char* name : {"upright.heic", "upright.avif"}) {
        SCOPED_TRACE(name);
        std::string shorter = ReadWholeFile(kHeif / name);
        const std::size_t sizeAt = shorter.find(size);
        ASSERT_NE(sizeAt, std::string::npos);
        shorter.replace(sizeAt, size.size(), shorterSize);
        const std::optional<Image> picture = Load(Write(name, shorter));
        if (std::string_view(name).ends_with(".heic")) {
            EXPECT_FALSE(picture);
        } else {
            ASSERT_TRUE(picture);
            EXPECT_EQ(picture->height, 40);
        }
    }
}

#endif

TEST_F(PictureLoader, LoadsA24MegapixelPhotograph) {
    const std::optional<Image> picture = Load(VEXAFRAME_LARGE_JPEG);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 6000);
    EXPECT_EQ(picture->height, 4000);
}

}  // namespace
}  // namespace vexaframe
