#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <utility>

#include "platform/posix_handles.h"
#include "platform/process.h"

extern char** environ;

namespace vexaframe {
namespace {

constexpr int kCannotRun = 127;          // what shells answer for a program they cannot run
constexpr int kBelowNormalPriority = 4;  // added to the niceness

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
    errno = 0;
    const int niceness = getpriority(PRIO_PROCESS, 0);
    if (errno == 0) setpriority(PRIO_PROCESS, 0, niceness + kBelowNormalPriority);
    execve(program, arguments, environment);
    _exit(kCannotRun);
}

ChildProcess::Ending EndingOf(int status) {
    if (WIFEXITED(status)) return {true, WEXITSTATUS(status)};
    return {false, WIFSIGNALED(status) ? WTERMSIG(status) : 0};
}

}  // namespace

std::string ThisProgramFile() {
    return "/proc/self/exe";
}

std::vector<std::string> ThisProcessArguments() {
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    const std::string line{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::vector<std::string> arguments;
    for (std::size_t at = 0; at < line.size();) {
        const std::size_t end = std::min(line.find('\0', at), line.size());
        arguments.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    return arguments;
}

std::vector<std::string> ThisProcessEnvironment() {
    std::vector<std::string> entries;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry)
        entries.emplace_back(*entry);
    return entries;
}

bool HasEnvironmentVariable(std::string_view name) {
    return std::getenv(std::string(name).c_str()) != nullptr;
}

int ThisProcessId() {
    return static_cast<int>(getpid());
}

// A crash then ends the process with its signal, which is all the system does without a core.
void EndQuietlyOnCrash() {
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
}

struct ChildProcess::Running {
    pid_t id = -1;
    Descriptor process;  // a pidfd: ready to read once the process has ended
};

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
    ChildProcess child(std::make_unique<Running>(
        Running{id, Descriptor(static_cast<int>(syscall(SYS_pidfd_open, id, 0)))}));
    if (!child.running_->process.Valid()) return std::nullopt;  // ended and collected as it goes
    return child;
}

ChildProcess::ChildProcess(std::unique_ptr<Running> running) : running_(std::move(running)) {}
ChildProcess::ChildProcess(ChildProcess&& other) noexcept = default;
ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept = default;

ChildProcess::~ChildProcess() {
    if (!running_ || running_->id <= 0) return;
    End();
    Collect();
}

bool ChildProcess::HasEnded(std::chrono::milliseconds wait) const {
    pollfd ready{running_->process.Get(), POLLIN, 0};
    return poll(&ready, 1, static_cast<int>(wait.count())) > 0;
}

// The whole process group: the program it runs may have started others.
void ChildProcess::End() const {
    if (running_->id > 0) kill(-running_->id, SIGKILL);
}

ChildProcess::Ending ChildProcess::Collect() {
    int status = 0;
    pid_t collected = 0;
    do {
        collected = waitpid(running_->id, &status, 0);
    } while (collected < 0 && errno == EINTR);
    running_->id = -1;
    running_->process = Descriptor();
    return collected < 0 ? Ending{} : EndingOf(status);
}

}  // namespace vexaframe
