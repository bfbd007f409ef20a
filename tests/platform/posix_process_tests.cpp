#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <csignal>

#include "platform/process.h"

namespace vexaframe {
namespace {

using namespace std::chrono_literals;

std::optional<ChildProcess> Shell(const char* command) {
    return ChildProcess::Start("/bin/sh", {"sh", "-c", command}, {});
}

bool NoChildLeft() {
    return waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
}

TEST(ChildProcess, GivesItsExitCodeOrTheSignalThatEndedIt) {
    std::optional<ChildProcess> exits = Shell("exit 7");
    ASSERT_TRUE(exits);
    EXPECT_TRUE(exits->HasEnded(30s));
    const ChildProcess::Ending exited = exits->Collect();
    EXPECT_TRUE(exited.exited);
    EXPECT_EQ(exited.code, 7);

    std::optional<ChildProcess> sleeps = Shell("sleep 100; true");
    ASSERT_TRUE(sleeps);
    EXPECT_FALSE(sleeps->HasEnded(0ms));
    sleeps->End();
    const ChildProcess::Ending killed = sleeps->Collect();
    EXPECT_FALSE(killed.exited);
    EXPECT_EQ(killed.code, SIGKILL);

    std::optional<ChildProcess> missing = ChildProcess::Start("/no/such/program", {"x"}, {});
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->Collect().code, 127);
}

TEST(ChildProcess, EndsAndCollectsItsProcessWhenItGoes) {
    { const std::optional<ChildProcess> forgotten = Shell("sleep 100; true"); }
    EXPECT_TRUE(NoChildLeft());
}

}  // namespace
}  // namespace vexaframe
