// The decoder process on POSIX. The decoder here is a small stub program built with the tests
// (under the sanitizers, sanitized as they are): it decodes as the real one does, and crashes
// or hangs when the picture's name asks it to.

#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "pictures/bmp_file.h"
#include "pictures/posix_picture_decoder.h"
#include "platform/posix_child_process.h"

namespace vexaframe {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path kSamples = VEXAFRAME_SAMPLES_DIR;
const std::string kStub = VEXAFRAME_DECODER_STUB;
// Far beyond any wait these tests have; reached only when what they wait for never comes.
constexpr auto kGiveUp = 30s;

std::string ReadWholeFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// True when this process has no child left, running or unwaited for.
bool NoChildLeft() {
    return waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
}

class PictureDecoderTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_TRUE(NoChildLeft());
        fs::remove_all(folder_);
    }

    DecodeOutcome Decode(const PictureDecoder& decoder, const std::string& picture,
                         std::stop_token stop = {}) {
        return decoder.DecodeToBitmapFile(picture, bitmap_, std::move(stop));
    }

    // The pid a hanging stub wrote, once it has.
    pid_t HangingStub() const {
        const auto giveUp = std::chrono::steady_clock::now() + kGiveUp;
        std::string written;
        while (written.empty() && std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(10ms);
            written = ReadWholeFile(bitmap_ + ".pid");
        }
        return written.empty() ? -1 : std::stoi(written);
    }

    const fs::path folder_ =
        fs::temp_directory_path() / ("vexaframe-decoder-tests-" + std::to_string(getpid()));
    const std::string bitmap_ = (fs::create_directories(folder_), folder_ / "decoded.bmp");
    const PictureDecoder stub_{kStub, 60s};
};

TEST_F(PictureDecoderTest, WritesThePictureAsTheLoaderSeesItOrSaysThereIsNone) {
    ASSERT_EQ(Decode(stub_, kSamples / "aurora_lake.bmp"), DecodeOutcome::Written);
    EXPECT_EQ(DecodeBmp(ReadWholeFile(bitmap_))->pixels,
              DecodeBmp(ReadWholeFile(kSamples / "aurora_lake.bmp"))->pixels);
    EXPECT_EQ(Decode(stub_, folder_ / "missing.jpg"), DecodeOutcome::NoPicture);
    const std::optional<Image> decoded = stub_.Decode(kSamples / "night_city.gif", bitmap_);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width, 320);
    EXPECT_FALSE(fs::exists(bitmap_));  // the scratch file is gone again
    const PictureDecoder nowhere("/no/such/decoder");
    EXPECT_EQ(Decode(nowhere, kSamples / "aurora_lake.bmp"), DecodeOutcome::Failed);
}

// A crash ends the decoder at once; a hang is ended at the time limit; a stop or EndAll ends it
// at once. Each is waited for: the test's tear-down finds no child left.
TEST_F(PictureDecoderTest, ADecoderThatCrashesHangsOrIsStoppedCostsOnlyThatPicture) {
    EXPECT_EQ(Decode(stub_, "crash.jpg"), DecodeOutcome::Failed);
    const PictureDecoder impatient(kStub, 200ms);
    EXPECT_EQ(Decode(impatient, "hang.jpg"), DecodeOutcome::TimedOut);

    std::stop_source stop;
    std::jthread stopper([&stop] {
        std::this_thread::sleep_for(200ms);
        stop.request_stop();
    });
    EXPECT_EQ(Decode(stub_, "hang.jpg", stop.get_token()), DecodeOutcome::Stopped);
    EXPECT_FALSE(fs::exists(bitmap_));

    // The stopped stub's pid file is still there: without this, EndAll could come before the
    // next stub has started, and that stub would hang until the time limit.
    fs::remove(bitmap_ + ".pid");
    DecodeOutcome ended = DecodeOutcome::Written;
    std::jthread decoding([&] { ended = Decode(stub_, "hang.jpg"); });
    ASSERT_GT(HangingStub(), 0);
    stub_.EndAll();
    decoding.join();
    EXPECT_EQ(ended, DecodeOutcome::Failed);
}

// The stub starts a hanging decoder and is killed: the decoder goes with it. This process takes
// in the orphans of its children, so it can wait for the decoder.
TEST_F(PictureDecoderTest, ADecoderEndsWithTheProgramThatStartedIt) {
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    std::optional<ChildProcess> starter =
        ChildProcess::Start(kStub, {kStub, "start", "hang.jpg", bitmap_}, {});
    ASSERT_TRUE(starter);
    const pid_t decoder = HangingStub();
    ASSERT_GT(decoder, 0);
    starter->EndGroup();  // the decoder has a group of its own: this does not reach it
    EXPECT_FALSE(starter->Collect().exited);

    const auto giveUp = std::chrono::steady_clock::now() + kGiveUp;
    int status = 0;
    while (waitpid(decoder, &status, WNOHANG) == 0 && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    if (!NoChildLeft()) {
        kill(decoder, SIGKILL);
        waitpid(decoder, nullptr, 0);
    }
    prctl(PR_SET_CHILD_SUBREAPER, 0);
}

}  // namespace
}  // namespace vexaframe
