#pragma once
// A program this one started, in a process group of its own. Its owner ends the group and waits
// for the process when it goes, so that none outlives its use and none is left a zombie.

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix_handles.h"

namespace vexaframe {

class ChildProcess {
public:
    struct Ending {
        bool exited = false;  // by itself, with `code`; else ended by the signal `code`
        int code = 0;
    };

    // Starts `program` with `arguments` (the first is the name it sees as its own) and exactly
    // `environment` ("NAME=value"). Nothing when no process could be made; a program that cannot
    // be run ends at once with exit code 127. The process is killed when the thread that
    // started it ends, however this program ends.
    static std::optional<ChildProcess> Start(const std::string& program,
                                             const std::vector<std::string>& arguments,
                                             const std::vector<std::string>& environment);

    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ~ChildProcess();

    pid_t Id() const { return id_; }

    // Whether it has ended, waiting up to `wait` for it. It stays to be collected.
    bool HasEnded(std::chrono::milliseconds wait) const;

    // Kills it and everything in its process group. Safe from any thread until it is collected.
    void EndGroup() const;

    // Waits for it to end, and collects it.
    Ending Collect();

private:
    ChildProcess(pid_t id, Descriptor process) : id_(id), process_(std::move(process)) {}

    pid_t id_ = -1;
    Descriptor process_;  // a pidfd: ready to read once the process has ended
};

}  // namespace vexaframe
