#include "pictures/posix_picture_decoder.h"

#include <sys/resource.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "pictures/bmp_file.h"
#include "pictures/posix_picture_loader.h"
#include "pictures/staged_picture.h"
#include "platform/posix_child_process.h"
#include "platform/posix_file_system.h"

extern char** environ;

namespace vexaframe {

// The decoders that threads are waiting for. A decoder counts from the moment it exists, so that
// EndAll misses none; it leaves before it is collected, so that EndAll never signals a process
// id that may already be another's.
class RunningDecoders {
public:
    class Decoder {
    public:
        Decoder(RunningDecoders& running, const std::string& program,
                const std::vector<std::string>& arguments,
                const std::vector<std::string>& environment)
            : running_(running) {
            const std::lock_guard lock(running_.mutex_);
            child_ = ChildProcess::Start(program, arguments, environment);
            if (child_) running_.children_.push_back(&*child_);
        }
        ~Decoder() { Leave(); }  // then the child's owner ends and collects it, if need be
        Decoder(const Decoder&) = delete;
        Decoder& operator=(const Decoder&) = delete;

        const std::optional<ChildProcess>& Process() const { return child_; }

        ChildProcess::Ending Collect() {
            Leave();
            return child_->Collect();
        }

    private:
        void Leave() {
            const std::lock_guard lock(running_.mutex_);
            if (child_) std::erase(running_.children_, &*child_);
            running_.changed_.notify_all();
        }

        RunningDecoders& running_;
        std::optional<ChildProcess> child_;
    };

    void EndAll(std::chrono::milliseconds wait) {
        std::unique_lock lock(mutex_);
        for (const ChildProcess* child : children_) child->EndGroup();
        changed_.wait_for(lock, wait, [this] { return children_.empty(); });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<const ChildProcess*> children_;
};

namespace {

constexpr std::chrono::milliseconds kStopCheck{50};
constexpr std::chrono::milliseconds kEndWait{1000};
constexpr int kBelowNormalPriority = 4;  // added to the niceness: frames come first

// This program's environment with the decoder's mark added.
std::vector<std::string> DecoderEnvironment() {
    const std::string mark = std::string(decoder::kMarkVariable) + "=";
    std::vector<std::string> entries;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        if (!std::string_view(*entry).starts_with(mark)) entries.emplace_back(*entry);
    }
    entries.push_back(mark + "1");
    return entries;
}

// Waits for the decoder to end; ends it when it runs out of time or `stop` is requested, and
// then says which.
std::optional<DecodeOutcome> AwaitOrEnd(const ChildProcess& child,
                                        std::chrono::milliseconds timeLimit,
                                        const std::stop_token& stop) {
    const auto deadline = std::chrono::steady_clock::now() + timeLimit;
    while (!child.HasEnded(kStopCheck)) {
        const bool stopped = stop.stop_requested();
        if (stopped || std::chrono::steady_clock::now() >= deadline) {
            child.EndGroup();
            return stopped ? DecodeOutcome::Stopped : DecodeOutcome::TimedOut;
        }
    }
    return std::nullopt;
}

// The process's arguments, as it was started with them.
std::vector<std::string> Arguments() {
    PosixFileSystem files;
    const std::string line = files.ReadFile("/proc/self/cmdline").value_or("");
    std::vector<std::string> arguments;
    for (std::size_t at = 0; at < line.size();) {
        const std::size_t end = std::min(line.find('\0', at), line.size());
        arguments.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    return arguments;
}

// A decoder's crash is expected now and then: no core file, and the saver's frames first.
void SettleAsDecoder() {
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    setpriority(PRIO_PROCESS, 0, getpriority(PRIO_PROCESS, 0) + kBelowNormalPriority);
}

int Decode(const std::string& picture, const std::string& bitmap) {
    const std::optional<Image> decoded = LoadPicture(picture);
    if (!decoded) return decoder::kNoPicture;
    PosixFileSystem files;
    return WriteBitmapFile(files, bitmap, *decoded) ? decoder::kWritten : decoder::kNotWritten;
}

}  // namespace

PictureDecoder::PictureDecoder(std::string program, std::chrono::milliseconds timeLimit)
    : program_(std::move(program)),
      timeLimit_(timeLimit),
      running_(std::make_unique<RunningDecoders>()) {}

PictureDecoder::PictureDecoder(PictureDecoder&&) noexcept = default;
PictureDecoder& PictureDecoder::operator=(PictureDecoder&&) noexcept = default;

PictureDecoder::~PictureDecoder() {
    if (running_) EndAll();
}

DecodeOutcome PictureDecoder::DecodeToBitmapFile(const std::string& picture,
                                                 const std::string& bitmap,
                                                 std::stop_token stop) const {
    RunningDecoders::Decoder decoder(*running_, program_, {program_, picture, bitmap},
                                     DecoderEnvironment());
    if (!decoder.Process()) return DecodeOutcome::Failed;
    const std::optional<DecodeOutcome> ended = AwaitOrEnd(*decoder.Process(), timeLimit_, stop);
    const ChildProcess::Ending ending = decoder.Collect();
    if (ended) return *ended;
    return ending.exited ? decoder::OutcomeOfExitCode(ending.code) : DecodeOutcome::Failed;
}

std::optional<Image> PictureDecoder::Decode(const std::string& picture,
                                            const std::string& scratchBitmap) const {
    PosixFileSystem files;
    const bool written = DecodeToBitmapFile(picture, scratchBitmap, {}) == DecodeOutcome::Written;
    const std::optional<std::string> bytes = written ? files.ReadFile(scratchBitmap) : std::nullopt;
    files.RemoveFile(scratchBitmap);
    return bytes ? DecodeBmp(*bytes) : std::nullopt;
}

// Waits a little for them to be gone, so that none writes a file after this returns.
void PictureDecoder::EndAll() const {
    running_->EndAll(kEndWait);
}

std::optional<int> RunPictureDecoderIfAsked() {
    if (std::getenv(decoder::kMarkVariable) == nullptr) return std::nullopt;
    SettleAsDecoder();
    const std::vector<std::string> arguments = Arguments();
    if (arguments.size() != 3) return decoder::kNoPicture;
    return Decode(arguments[1], arguments[2]);
}

}  // namespace vexaframe
