#include "pictures/win32_picture_decoder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "pictures/bmp_file.h"

namespace vexaframe {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path kSamples = VEXAFRAME_SAMPLES_DIR;

std::string Utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

std::string ReadWholeFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class PictureDecoderTest : public ::testing::Test {
protected:
    void TearDown() override { fs::remove_all(folder_); }

    DecodeOutcome Decode(const PictureDecoder& decoder, const std::string& picture,
                         std::stop_token stop = {}) {
        return decoder.DecodeToBitmapFile(picture, Utf8(bitmap_), std::move(stop));
    }

    const fs::path folder_ = fs::temp_directory_path() / "vexaframe-decoder-tests";
    const fs::path bitmap_ = (fs::create_directories(folder_), folder_ / "decoded.bmp");
    // The stub crashes, hangs or decodes by the picture's name.
    const PictureDecoder stub_{fs::path(VEXAFRAME_DECODER_STUB).wstring(), 60s};
};

TEST_F(PictureDecoderTest, WritesThePictureAsTheLoaderSeesItOrSaysThereIsNone) {
    ASSERT_EQ(Decode(stub_, Utf8(kSamples / "aurora_lake.bmp")), DecodeOutcome::Written);
    EXPECT_EQ(DecodeBmp(ReadWholeFile(bitmap_))->pixels,
              DecodeBmp(ReadWholeFile(kSamples / "aurora_lake.bmp"))->pixels);
    EXPECT_EQ(Decode(stub_, Utf8(folder_ / "missing.jpg")), DecodeOutcome::NoPicture);
    const PictureDecoder nowhere(L"Z:\\no\\such\\decoder.exe");
    EXPECT_EQ(Decode(nowhere, Utf8(kSamples / "aurora_lake.bmp")), DecodeOutcome::Failed);
}

// A crash ends the decoder at once, without a crash dialog that would keep it until the
// time limit; a hang is ended at the time limit; a stop ends it at once.
TEST_F(PictureDecoderTest, ADecoderThatCrashesHangsOrIsStoppedCostsOnlyThatPicture) {
    EXPECT_EQ(Decode(stub_, "crash.jpg"), DecodeOutcome::Failed);
    const PictureDecoder impatient(fs::path(VEXAFRAME_DECODER_STUB).wstring(), 200ms);
    EXPECT_EQ(Decode(impatient, "hang.jpg"), DecodeOutcome::TimedOut);

    std::stop_source stop;
    std::jthread stopper([&stop] {
        std::this_thread::sleep_for(200ms);
        stop.request_stop();
    });
    EXPECT_EQ(Decode(stub_, "hang.jpg", stop.get_token()), DecodeOutcome::Stopped);
    EXPECT_FALSE(fs::exists(bitmap_));
}

}  // namespace
}  // namespace vexaframe
