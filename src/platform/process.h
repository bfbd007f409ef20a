#pragma once
// Processes: this program's own, and the programs it starts.

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexaframe {

// The file this program runs from, as a path that starts it again.
std::string ThisProgramFile();
// The arguments this process was started with, in UTF-8; the first is the program's name.
std::vector<std::string> ThisProcessArguments();
// This process's environment, in UTF-8, as "NAME=value" entries.
std::vector<std::string> ThisProcessEnvironment();
bool HasEnvironmentVariable(std::string_view name);
int ThisProcessId();
// From now on a crash ends this process at once and quietly: no crash dialog waits for a user,
// no core file is written.
void EndQuietlyOnCrash();

// A program this one started. It runs below this program's priority, so that the frames come
// first, and it is ended when this program ends, however this program ends. Its owner ends it,
// with whatever it started in turn, and waits for it when the owner goes, so that none outlives
// its use and none is left unwaited for.
class ChildProcess {
public:
    struct Ending {
        bool exited = false;  // by itself, with `code`; otherwise it was ended, by the signal
        int code = 0;         // `code` where the system has signals
    };

    // Starts `program` with `arguments` (the first is the name it sees as its own) and exactly
    // `environment` ("NAME=value"). Nothing when no process could be made; where the system
    // makes the process before it loads the program, a program that cannot be run ends at once
    // with exit code 127.
    static std::optional<ChildProcess> Start(const std::string& program,
                                             const std::vector<std::string>& arguments,
                                             const std::vector<std::string>& environment);

    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ~ChildProcess();

    // Whether it has ended, waiting up to `wait` for it. It stays to be collected.
    bool HasEnded(std::chrono::milliseconds wait) const;
    // Ends it and what it started. Safe from any thread until it is collected.
    void End() const;
    // Waits for it to end, and collects it.
    Ending Collect();

private:
    struct Running;  // the system's handles of the process
    explicit ChildProcess(std::unique_ptr<Running> running);

    std::unique_ptr<Running> running_;
};

}  // namespace vexaframe
