// The decoder processes. The decoder here is a small stub program built with the tests (under
// the sanitizers, sanitized as they are): it decodes as the real one does, and crashes or hangs
// when the picture's name asks it to.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "picture_decoder_test.h"
#include "pictures/bmp_file.h"
#include "pictures/picture_decoder.h"
#include "pictures/picture_loader.h"

namespace vexaframe {
namespace {

TEST_F(PictureDecoderTest, WritesThePictureAsTheLoaderSeesItOrSaysThereIsNone) {
    ASSERT_EQ(Decode(stub_, kSamples / "aurora_lake.bmp"), DecodeOutcome::Written);
    EXPECT_EQ(DecodeBmp(ReadWholeFile(bitmap_))->pixels,
              DecodeBmp(ReadWholeFile(kSamples / "aurora_lake.bmp"))->pixels);
    EXPECT_EQ(Decode(stub_, folder_ / "missing.jpg"), DecodeOutcome::NoPicture);

    const std::unique_ptr<FileSystem> files = MakeSystemFileSystem();
    const std::optional<Image> decoded =
        DecodeThroughScratchFile(stub_, *files, Utf8(kSamples / "night_city.gif"), Utf8(bitmap_));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width, 320);
    EXPECT_FALSE(std::filesystem::exists(bitmap_));  // the scratch file is gone again

    // Read a band at a time where the system can, the picture is the one LoadPicture gives; a
    // texture asked for comes from the same decoding, resampled for the device.
    const std::filesystem::path texture = folder_ / "texture.bmp";
    const DecodeTargets targets{Utf8(bitmap_), DecodeTargets::Texture{Utf8(texture), {256, true}}};
    for (const std::filesystem::path& sample :
         {kSamples / "aurora_lake.bmp", kSamples / "sunset_hills.jpg", kSamples / "night_city.gif",
          std::filesystem::path(VEXAFRAME_PNG_WEBP_DIR) / "rgb.png"}) {
        ASSERT_EQ(stub_.DecodeToBitmapFile(Utf8(sample), targets, {}), DecodeOutcome::Written);
        const std::optional<Image> picture = DecodeBmp(ReadWholeFile(bitmap_));
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->pixels, LoadPicture(Utf8(sample))->pixels) << sample;
        EXPECT_EQ(DecodeBmp(ReadWholeFile(texture))->pixels,
                  TextureFor(*picture, {256, true}).pixels)
            << sample;
    }

    // A HEIF picture as LoadPicture gives it; none where the system has no decoder for it.
    const std::filesystem::path heif = std::filesystem::path(VEXAFRAME_HEIF_DIR) / "upright.heic";
#ifdef _WIN32
    EXPECT_EQ(Decode(stub_, heif), DecodeOutcome::NoPicture);
#else
    ASSERT_EQ(Decode(stub_, heif), DecodeOutcome::Written);
    EXPECT_EQ(DecodeBmp(ReadWholeFile(bitmap_))->pixels, LoadPicture(Utf8(heif))->pixels);
#endif

    // A picture of several bands comes out whole and in order.
    Image large(1500, 1000);
    for (std::size_t i = 0; i < large.pixels.size(); ++i)
        large.pixels[i] = kOpaque | static_cast<std::uint32_t>(i * 2654435761u >> 8);
    const std::filesystem::path largeFile = folder_ / "large.bmp";
    std::ofstream(largeFile, std::ios::binary) << EncodeBmp24(large);
    ASSERT_EQ(Decode(stub_, largeFile), DecodeOutcome::Written);
    EXPECT_EQ(DecodeBmp(ReadWholeFile(bitmap_))->pixels, large.pixels);

    const ProcessPictureDecoder nowhere("/no/such/decoder");
    EXPECT_EQ(Decode(nowhere, kSamples / "aurora_lake.bmp"), DecodeOutcome::Failed);
}

// A crash ends the decoder at once, without a crash dialog that would keep it until the time
// limit; a hang is ended at the time limit; a stop or EndAll ends it at once.
TEST_F(PictureDecoderTest, ADecoderThatCrashesHangsOrIsStoppedCostsOnlyThatPicture) {
    EXPECT_EQ(Decode(stub_, "crash.jpg"), DecodeOutcome::Failed);
    const ProcessPictureDecoder impatient(kStub, 200ms);
    EXPECT_EQ(Decode(impatient, "hang.jpg"), DecodeOutcome::TimedOut);

    std::stop_source stop;
    std::jthread stopper([&stop] {
        std::this_thread::sleep_for(200ms);
        stop.request_stop();
    });
    EXPECT_EQ(Decode(stub_, "hang.jpg", stop.get_token()), DecodeOutcome::Stopped);
    EXPECT_FALSE(std::filesystem::exists(bitmap_));

    // The stopped stub's pid file is still there: without this, EndAll could come before the
    // next stub has started, and that stub would hang until the time limit.
    std::filesystem::remove(Utf8(bitmap_) + ".pid");
    DecodeOutcome ended = DecodeOutcome::Written;
    std::jthread decoding([&] { ended = Decode(stub_, "hang.jpg"); });
    ASSERT_GT(HangingStub(), 0);
    stub_.EndAll();
    decoding.join();
    EXPECT_EQ(ended, DecodeOutcome::Failed);
}

}  // namespace
}  // namespace vexaframe
