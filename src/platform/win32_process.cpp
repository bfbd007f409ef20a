#include <windows.h>

#include "platform/process.h"
// windows.h first: this needs its types.
#include <shellapi.h>

#include <atomic>
#include <cwchar>
#include <utility>

#include "platform/win32_handles.h"
#include "platform/win32_system.h"
#include "platform/win32_text.h"

namespace vexaframe {
namespace {

constexpr UINT kCrashed = 4;
constexpr UINT kEndedByOwner = 5;

// Paths cannot hold quotes, so each argument is simply quoted.
std::wstring CommandLine(const std::vector<std::string>& arguments) {
    std::wstring line;
    for (const std::string& argument : arguments)
        line += (line.empty() ? L"\"" : L" \"") + WideFromUtf8(argument) + L"\"";
    return line;
}

std::vector<wchar_t> EnvironmentBlock(const std::vector<std::string>& environment) {
    std::vector<wchar_t> block;
    for (const std::string& entry : environment) {
        const std::wstring wide = WideFromUtf8(entry);
        block.insert(block.end(), wide.c_str(), wide.c_str() + wide.size() + 1);
    }
    block.push_back(L'\0');
    if (block.size() == 1) block.push_back(L'\0');  // an empty block still ends with two
    return block;
}

// Every process of the job ends with the job's last handle, so with this program too, however
// it ends; and a crash in it ends it without the system's crash dialog.
OwnedKernelObject ChildJob() {
    OwnedKernelObject job(CreateJobObjectW(nullptr, nullptr));
    if (!job) return job;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return job;
}

LONG WINAPI EndQuietly(EXCEPTION_POINTERS*) {
    TerminateProcess(GetCurrentProcess(), kCrashed);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

std::string ThisProgramFile() {
    return Utf8FromWide(ProgramFile());
}

std::vector<std::string> ThisProcessArguments() {
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&LocalFree)> arguments(
        CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
    std::vector<std::string> utf8;
    for (int at = 0; arguments && at < count; ++at)
        utf8.push_back(Utf8FromWide(arguments.get()[at]));
    return utf8;
}

std::vector<std::string> ThisProcessEnvironment() {
    const std::unique_ptr<wchar_t, decltype(&FreeEnvironmentStringsW)> block(
        GetEnvironmentStringsW(), &FreeEnvironmentStringsW);
    std::vector<std::string> entries;
    for (const wchar_t* entry = block.get(); entry != nullptr && *entry != L'\0';
         entry += std::wcslen(entry) + 1) {
        entries.push_back(Utf8FromWide(entry));
    }
    return entries;
}

bool HasEnvironmentVariable(std::string_view name) {
    return GetEnvironmentVariableW(WideFromUtf8(name).c_str(), nullptr, 0) != 0;
}

int ThisProcessId() {
    return static_cast<int>(GetCurrentProcessId());
}

void EndQuietlyOnCrash() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(EndQuietly);
}

struct ChildProcess::Running {
    OwnedKernelObject process;
    OwnedKernelObject job;
    mutable std::atomic<bool> ended{false};  // by its owner
};

std::optional<ChildProcess> ChildProcess::Start(const std::string& program,
                                                const std::vector<std::string>& arguments,
                                                const std::vector<std::string>& environment) {
    std::wstring commandLine = CommandLine(arguments);
    std::vector<wchar_t> block = EnvironmentBlock(environment);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    // Suspended until it is in its job, so that nothing it starts escapes the job.
    if (!CreateProcessW(WideFromUtf8(program).c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT | BELOW_NORMAL_PRIORITY_CLASS,
                        block.data(), nullptr, &startup, &started)) {
        return std::nullopt;
    }
    auto running = std::make_unique<Running>();
    running->process.reset(started.hProcess);
    const OwnedKernelObject thread(started.hThread);
    running->job = ChildJob();
    if (running->job && !AssignProcessToJobObject(running->job.get(), started.hProcess))
        running->job.reset();
    ResumeThread(thread.get());
    return ChildProcess(std::move(running));
}

ChildProcess::ChildProcess(std::unique_ptr<Running> running) : running_(std::move(running)) {}
ChildProcess::ChildProcess(ChildProcess&& other) noexcept = default;
ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept = default;

ChildProcess::~ChildProcess() {
    if (!running_ || !running_->process) return;
    End();
    Collect();
}

bool ChildProcess::HasEnded(std::chrono::milliseconds wait) const {
    return WaitForSingleObject(running_->process.get(), static_cast<DWORD>(wait.count())) ==
           WAIT_OBJECT_0;
}

void ChildProcess::End() const {
    running_->ended = true;
    if (!running_->job || !TerminateJobObject(running_->job.get(), kEndedByOwner))
        TerminateProcess(running_->process.get(), kEndedByOwner);
}

ChildProcess::Ending ChildProcess::Collect() {
    WaitForSingleObject(running_->process.get(), INFINITE);
    DWORD code = kEndedByOwner;
    GetExitCodeProcess(running_->process.get(), &code);
    const Ending ending{!running_->ended, static_cast<int>(code)};
    running_->process.reset();
    running_->job.reset();
    return ending;
}

}  // namespace vexaframe
