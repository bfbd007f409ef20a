#include "platform/posix_child_process.h"

#include <poll.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>

#include <cerrno>
#include <csignal>
#include <utility>

namespace vexaframe {
namespace {

constexpr int kCannotRun = 127;  // what shells answer for a program they cannot run

std::vector<char*> NullTerminated(const std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    pointers.reserve(texts.size() + 1);
    for (const std::string& text : texts) pointers.push_back(const_cast<char*>(text.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

// In the new process, before it runs the program. Other threads of this program may have held
// a lock of malloc or stdio at the fork, so only bare system calls come here.
[[noreturn]] void BecomeProgram(const char* program, char* const* arguments,
                                char* const* environment, pid_t parent) {
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(kCannotRun);  // the parent ended before the line above
    sigset_t nothing;
    sigemptyset(&nothing);
    sigprocmask(SIG_SETMASK, &nothing, nullptr);
    execve(program, arguments, environment);
    _exit(kCannotRun);
}

ChildProcess::Ending EndingOf(int status) {
    if (WIFEXITED(status)) return {true, WEXITSTATUS(status)};
    return {false, WIFSIGNALED(status) ? WTERMSIG(status) : 0};
}

}  // namespace

std::optional<ChildProcess> ChildProcess::Start(const std::string& program,
                                                const std::vector<std::string>& arguments,
                                                const std::vector<std::string>& environment) {
    const std::vector<char*> argumentList = NullTerminated(arguments);
    const std::vector<char*> environmentList = NullTerminated(environment);
    const pid_t parent = getpid();
    const pid_t id = fork();
    if (id < 0) return std::nullopt;
    if (id == 0) {
        BecomeProgram(program.c_str(), argumentList.data(), environmentList.data(), parent);
    }
    // Here too, so that the group exists whichever process gets there first.
    setpgid(id, id);
    Descriptor process(static_cast<int>(syscall(SYS_pidfd_open, id, 0)));
    ChildProcess child(id, std::move(process));
    if (!child.process_.Valid()) return std::nullopt;  // ended and collected as `child` goes
    return child;
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : id_(std::exchange(other.id_, -1)), process_(std::move(other.process_)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    std::swap(id_, other.id_);
    std::swap(process_, other.process_);
    return *this;
}

ChildProcess::~ChildProcess() {
    if (id_ <= 0) return;
    EndGroup();
    Collect();
}

bool ChildProcess::HasEnded(std::chrono::milliseconds wait) const {
    pollfd ready{process_.Get(), POLLIN, 0};
    return poll(&ready, 1, static_cast<int>(wait.count())) > 0;
}

void ChildProcess::EndGroup() const {
    if (id_ > 0) kill(-id_, SIGKILL);
}

ChildProcess::Ending ChildProcess::Collect() {
    int status = 0;
    pid_t collected = 0;
    do {
        collected = waitpid(id_, &status, 0);
    } while (collected < 0 && errno == EINTR);
    id_ = -1;
    process_ = Descriptor();
    return collected < 0 ? Ending{} : EndingOf(status);
}

}  // namespace vexaframe
