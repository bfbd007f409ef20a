#pragma once
// What the pictures tests share: the samples and the files they read; for the decoder tests a
// folder of their own, the stub decoder and a way to wait for a hanging stub to have started.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stop_token>
#include <string>
#include <thread>

#include "pictures/picture_decoder.h"
#include "platform/process.h"

namespace vexaframe {

using namespace std::chrono_literals;

inline const std::filesystem::path kSamples = VEXAFRAME_SAMPLES_DIR;
inline const std::string kStub = VEXAFRAME_DECODER_STUB;
// Far beyond any wait these tests have; reached only when what they wait for never comes.
inline constexpr auto kGiveUp = 30s;

inline std::string Utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

inline std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class PictureDecoderTest : public ::testing::Test {
protected:
    void TearDown() override { std::filesystem::remove_all(folder_); }

    DecodeOutcome Decode(const PictureDecoder& decoder, const std::filesystem::path& picture,
                         std::stop_token stop = {}) {
        return decoder.DecodeToBitmapFile(Utf8(picture), {Utf8(bitmap_), {}}, std::move(stop));
    }

    // The process id a hanging stub wrote, once it has.
    int HangingStub() const {
        const auto giveUp = std::chrono::steady_clock::now() + kGiveUp;
        std::string written;
        while (written.empty() && std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(10ms);
            written = ReadWholeFile(Utf8(bitmap_) + ".pid");
        }
        return written.empty() ? -1 : std::stoi(written);
    }

    const std::filesystem::path folder_ =
        std::filesystem::temp_directory_path() /
        ("vexaframe-decoder-tests-" + std::to_string(ThisProcessId()));
    const std::filesystem::path bitmap_ =
        (std::filesystem::create_directories(folder_), folder_ / "decoded.bmp");
    const ProcessPictureDecoder stub_{kStub, 60s};
};

}  // namespace vexaframe
