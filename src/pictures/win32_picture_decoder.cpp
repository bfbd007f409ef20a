#include "pictures/win32_picture_decoder.h"

#include <windows.h>
// windows.h first: these need its types.
#include <objbase.h>
#include <shellapi.h>

#include <memory>
#include <vector>

#include "pictures/bmp_file.h"
#include "pictures/staged_picture.h"
#include "pictures/win32_picture_loader.h"
#include "platform/win32_file_system.h"
#include "platform/win32_text.h"

namespace vexaframe {
namespace {

// The exit codes only Windows gives, apart from those of decode_outcome.h.
constexpr UINT kCrashed = 4;
constexpr UINT kEndedByUs = 5;
constexpr int kNoCom = 6;

constexpr DWORD kStopCheckMilliseconds = 50;
constexpr int kEndWaitChecks = 100;
constexpr DWORD kEndWaitMilliseconds = 10;

OwnedKernelObject DecoderJob() {
    OwnedKernelObject job(CreateJobObjectW(nullptr, nullptr));
    if (!job) return job;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return job;
}

std::wstring Quoted(const std::wstring& argument) {
    return L"\"" + argument + L"\"";
}

// This program's environment with the decoder's mark added.
std::vector<wchar_t> DecoderEnvironment() {
    std::vector<wchar_t> block;
    const std::unique_ptr<wchar_t, decltype(&FreeEnvironmentStringsW)> inherited(
        GetEnvironmentStringsW(), &FreeEnvironmentStringsW);
    for (const wchar_t* entry = inherited.get(); entry != nullptr && *entry != L'\0';
         entry += wcslen(entry) + 1) {
        block.insert(block.end(), entry, entry + wcslen(entry) + 1);
    }
    const std::wstring mark = WideFromUtf8(decoder::kMarkVariable) + L"=1";
    block.insert(block.end(), mark.c_str(), mark.c_str() + mark.size() + 1);
    block.push_back(L'\0');
    return block;
}

// Waits for the process to end; ends it when it runs out of time or `stop` is requested.
DecodeOutcome OutcomeOf(HANDLE process, std::chrono::milliseconds timeLimit,
                        const std::stop_token& stop) {
    const auto deadline = std::chrono::steady_clock::now() + timeLimit;
    while (WaitForSingleObject(process, kStopCheckMilliseconds) == WAIT_TIMEOUT) {
        const bool stopped = stop.stop_requested();
        if (stopped || std::chrono::steady_clock::now() >= deadline) {
            TerminateProcess(process, kEndedByUs);
            WaitForSingleObject(process, INFINITE);
            return stopped ? DecodeOutcome::Stopped : DecodeOutcome::TimedOut;
        }
    }
    DWORD exitCode = kEndedByUs;
    GetExitCodeProcess(process, &exitCode);
    return decoder::OutcomeOfExitCode(static_cast<int>(exitCode));
}

LONG WINAPI EndQuietly(EXCEPTION_POINTERS*) {
    TerminateProcess(GetCurrentProcess(), kCrashed);
    return EXCEPTION_EXECUTE_HANDLER;
}

int Decode(const std::wstring& picture, const std::wstring& bitmap) {
    // The system's decoders are reached through COM; without it the decoder failed, whatever
    // the file holds.
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return kNoCom;
    const std::optional<Image> decoded = LoadPicture(Utf8FromWide(picture));
    if (!decoded) return decoder::kNoPicture;
    Win32FileSystem files;
    return WriteBitmapFile(files, Utf8FromWide(bitmap), *decoded) ? decoder::kWritten
                                                                   : decoder::kNotWritten;
}

}  // namespace

PictureDecoder::PictureDecoder(std::wstring program, std::chrono::milliseconds timeLimit)
    : program_(std::move(program)), timeLimit_(timeLimit), job_(DecoderJob()) {}

DecodeOutcome PictureDecoder::DecodeToBitmapFile(const std::string& picture,
                                                 const std::string& bitmap,
                                                 std::stop_token stop) const {
    std::wstring commandLine = Quoted(program_) + L" " + Quoted(WideFromUtf8(picture)) + L" " +
                               Quoted(WideFromUtf8(bitmap));
    std::vector<wchar_t> environment = DecoderEnvironment();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    // Suspended until it is in the job; below the saver's priority, so that frames come first.
    if (!CreateProcessW(program_.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT | BELOW_NORMAL_PRIORITY_CLASS,
                        environment.data(), nullptr, &startup, &started)) {
        return DecodeOutcome::Failed;
    }
    const OwnedKernelObject process(started.hProcess);
    const OwnedKernelObject thread(started.hThread);
    if (job_) AssignProcessToJobObject(job_.get(), process.get());
    ResumeThread(thread.get());
    return OutcomeOf(process.get(), timeLimit_, stop);
}

std::optional<Image> PictureDecoder::Decode(const std::string& picture,
                                           const std::string& scratchBitmap) const {
    Win32FileSystem files;
    const bool written = DecodeToBitmapFile(picture, scratchBitmap, {}) == DecodeOutcome::Written;
    const std::optional<std::string> bytes = written ? files.ReadFile(scratchBitmap) : std::nullopt;
    files.RemoveFile(scratchBitmap);
    return bytes ? DecodeBmp(*bytes) : std::nullopt;
}

// Waits a little for them to be gone, so that none writes a file after this returns.
void PictureDecoder::EndAll() const {
    if (!job_ || !TerminateJobObject(job_.get(), kEndedByUs)) return;
    for (int wait = 0; wait < kEndWaitChecks; ++wait) {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
        if (!QueryInformationJobObject(job_.get(), JobObjectBasicAccountingInformation,
                                       &accounting, sizeof accounting, nullptr) ||
            accounting.ActiveProcesses == 0) {
            return;
        }
        Sleep(kEndWaitMilliseconds);
    }
}

void EndQuietlyOnCrash() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(EndQuietly);
}

std::optional<int> RunPictureDecoderIfAsked() {
    if (GetEnvironmentVariableA(decoder::kMarkVariable, nullptr, 0) == 0) return std::nullopt;
    EndQuietlyOnCrash();
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&LocalFree)> arguments(
        CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
    if (!arguments || count != 3) return decoder::kNoPicture;
    return Decode(arguments.get()[1], arguments.get()[2]);
}

}  // namespace vexaframe
