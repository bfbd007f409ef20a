// What only POSIX shows of the decoder processes: that none is left unwaited for, and that a
// decoder ends with the program that started it.

#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <cerrno>
#include <csignal>

#include "picture_decoder_test.h"

namespace vexaframe {
namespace {

// True when this process has no child left, running or unwaited for.
bool NoChildLeft() {
    return waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
}

TEST_F(PictureDecoderTest, EveryDecoderIsCollectedHoweverItEnds) {
    EXPECT_EQ(Decode(stub_, "crash.jpg"), DecodeOutcome::Failed);
    const ProcessPictureDecoder impatient(kStub, 200ms);
    EXPECT_EQ(Decode(impatient, "hang.jpg"), DecodeOutcome::TimedOut);
    std::stop_source stopped;
    stopped.request_stop();
    EXPECT_EQ(Decode(stub_, "hang.jpg", stopped.get_token()), DecodeOutcome::Stopped);
    EXPECT_TRUE(NoChildLeft());
}

// The stub starts a hanging decoder and is killed: the decoder goes with it. This process takes
// in the orphans of its children, so it can wait for the decoder.
TEST_F(PictureDecoderTest, ADecoderEndsWithTheProgramThatStartedIt) {
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    std::optional<ChildProcess> starter =
        ChildProcess::Start(kStub, {kStub, "start", "hang.jpg", Utf8(bitmap_)}, {});
    ASSERT_TRUE(starter);
    const pid_t decoder = HangingStub();
    ASSERT_GT(decoder, 0);
    starter->End();  // the decoder has a group of its own: this does not reach it
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
