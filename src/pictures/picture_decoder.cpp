#include "pictures/picture_decoder.h"

#include <charconv>
#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pictures/bmp_file.h"
#include "pictures/picture_loader.h"
#include "pictures/staged_picture.h"

namespace vexaframe {
namespace {

// Set in a decoder's environment, so that the command line keeps its meaning for the saver.
constexpr std::string_view kMarkVariable = "VEXAFRAME_PICTURE_DECODER";

// A decoder's exit codes. None is 1, which the sanitizers give a process that they end on a
// fault; whatever else a decoder ends with, it failed.
constexpr int kWritten = 0;
constexpr int kNoPicture = 2;
constexpr int kNotWritten = 3;

constexpr std::chrono::milliseconds kStopCheck{50};
constexpr std::chrono::milliseconds kEndWait{1000};

DecodeOutcome OutcomeOf(const ChildProcess::Ending& ending) {
    if (!ending.exited) return DecodeOutcome::Failed;
    if (ending.code == kWritten) return DecodeOutcome::Written;
    return ending.code == kNoPicture ? DecodeOutcome::NoPicture : DecodeOutcome::Failed;
}

// This program's environment with the decoder's mark added.
std::vector<std::string> DecoderEnvironment() {
    const std::string mark = std::string(kMarkVariable) + "=";
    std::vector<std::string> entries = ThisProcessEnvironment();
    std::erase_if(entries, [&](const std::string& entry) { return entry.starts_with(mark); });
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
            child.End();
            return stopped ? DecodeOutcome::Stopped : DecodeOutcome::TimedOut;
        }
    }
    return std::nullopt;
}

std::vector<std::string> DecoderArguments(const std::string& program, const std::string& picture,
                                          const DecodeTargets& targets) {
    std::vector<std::string> arguments{program, picture, targets.bitmap};
    if (const auto& texture = targets.texture) {
        arguments.insert(arguments.end(),
                         {texture->bitmap, std::to_string(texture->limits.maxTextureSize),
                          texture->limits.powerOfTwoOnly ? "1" : "0"});
    }
    return arguments;
}

std::optional<int> PositiveNumber(std::string_view text) {
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc{} || end != text.data() + text.size() || number < 1) return std::nullopt;
    return number;
}

// What DecoderArguments asked for; nothing for any other command line.
std::optional<DecodeTargets> TargetsOf(const std::vector<std::string>& arguments) {
    if (arguments.size() == 3) return DecodeTargets{arguments[2], {}};
    if (arguments.size() != 6 || (arguments[5] != "0" && arguments[5] != "1")) return std::nullopt;
    const std::optional<int> side = PositiveNumber(arguments[4]);
    if (!side) return std::nullopt;
    return DecodeTargets{arguments[2],
                         DecodeTargets::Texture{arguments[3], {*side, arguments[5] == "1"}}};
}

// The picture's rows go to the bitmap file and, on their way, to the texture; the picture is
// read once and never held a second time.
bool WriteDecoded(FileSystem& files, PictureRows& picture, const DecodeTargets& targets) {
    std::optional<TextureFromRows> texture;
    if (targets.texture)
        texture.emplace(picture.Width(), picture.Height(), targets.texture->limits);
    const auto row = [&](int y) {
        const std::uint32_t* pixels = picture.Row(y);
        if (pixels != nullptr && texture) texture->AddRow(y, pixels);
        return pixels;
    };
    return files.WriteFileAtomically(targets.bitmap, [&](const ByteSink& write) {
        return WriteBmp24Rows(picture.Width(), picture.Height(), row, write);
    }) && (!texture || WriteBitmapFile(files, targets.texture->bitmap, texture->Finish()));
}

}  // namespace

// The decoders that threads are waiting for. A decoder counts from the moment it exists, so that
// EndAll misses none; it leaves before it is collected, so that EndAll never ends a process that
// is no longer ours.
class RunningDecoders {
public:
    class Decoder {
    public:
        Decoder(RunningDecoders& running, const std::string& program,
                const std::vector<std::string>& arguments)
            : running_(running) {
            const std::lock_guard lock(running_.mutex_);
            child_ = ChildProcess::Start(program, arguments, DecoderEnvironment());
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
        for (const ChildProcess* child : children_) child->End();
        changed_.wait_for(lock, wait, [this] { return children_.empty(); });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<const ChildProcess*> children_;
};

std::optional<Image> DecodeThroughScratchFile(const PictureDecoder& decoder, FileSystem& files,
                                              const std::string& picture,
                                              const std::string& scratchBitmap) {
    const bool written =
        decoder.DecodeToBitmapFile(picture, {scratchBitmap, {}}, {}) == DecodeOutcome::Written;
    const std::optional<std::string> bytes = written ? files.ReadFile(scratchBitmap) : std::nullopt;
    files.RemoveFile(scratchBitmap);
    return bytes ? DecodeBmp(*bytes) : std::nullopt;
}

ProcessPictureDecoder::ProcessPictureDecoder(std::string program,
                                             std::chrono::milliseconds timeLimit)
    : program_(std::move(program)),
      timeLimit_(timeLimit),
      running_(std::make_unique<RunningDecoders>()) {}

ProcessPictureDecoder::~ProcessPictureDecoder() {
    EndAll();
}

DecodeOutcome ProcessPictureDecoder::DecodeToBitmapFile(const std::string& picture,
                                                        const DecodeTargets& targets,
                                                        std::stop_token stop) const {
    RunningDecoders::Decoder decoder(*running_, program_,
                                     DecoderArguments(program_, picture, targets));
    if (!decoder.Process()) return DecodeOutcome::Failed;
    const std::optional<DecodeOutcome> ended = AwaitOrEnd(*decoder.Process(), timeLimit_, stop);
    const ChildProcess::Ending ending = decoder.Collect();
    return ended ? *ended : OutcomeOf(ending);
}

// Waits a little for them to be gone, so that none writes a file after this returns.
void ProcessPictureDecoder::EndAll() const {
    running_->EndAll(kEndWait);
}

// A decoder's crash is expected now and then: it ends quietly, and the saver goes on.
std::optional<int> RunPictureDecoderIfAsked(FileSystem& files) {
    if (!HasEnvironmentVariable(kMarkVariable)) return std::nullopt;
    EndQuietlyOnCrash();
    const std::vector<std::string> arguments = ThisProcessArguments();
    const std::optional<DecodeTargets> targets = TargetsOf(arguments);
    if (!targets) return kNoPicture;
    const std::unique_ptr<PictureRows> picture = OpenPictureRows(arguments[1]);
    if (!picture) return kNoPicture;
    return WriteDecoded(files, *picture, *targets) ? kWritten : kNotWritten;
}

}  // namespace vexaframe
