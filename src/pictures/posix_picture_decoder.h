#pragma once
// Pictures decoded in a process of their own: this same program, started as a decoder. The
// picture libraries meet every damaged file a picture folder can hold; one that crashes, hangs
// or runs out of memory there costs only that picture, and whatever a decoder keeps is gone
// when its process ends.

#include <chrono>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

#include "pictures/decode_outcome.h"
#include "pictures/image.h"

namespace vexaframe {

class RunningDecoders;

class PictureDecoder {
public:
    // A decoder that runs longer is ended: no picture takes that long, a hang does.
    static constexpr std::chrono::milliseconds kTimeLimit{20000};

    // `program` is started as the decoder; by default this program itself.
    explicit PictureDecoder(std::string program = "/proc/self/exe",
                            std::chrono::milliseconds timeLimit = kTimeLimit);
    PictureDecoder(PictureDecoder&&) noexcept;
    PictureDecoder& operator=(PictureDecoder&&) noexcept;
    // Ends the decoders still running.
    ~PictureDecoder();

    // Decodes the picture file (as LoadPicture does) into the bitmap file (as WriteBitmapFile
    // writes it). Safe to call from any thread.
    [[nodiscard]] DecodeOutcome DecodeToBitmapFile(const std::string& picture,
                                                   const std::string& bitmap,
                                                   std::stop_token stop) const;

    // The picture at its own pixel size, through a scratch bitmap file that is removed again;
    // nothing when the decoder gives none. For callers that wait for it.
    std::optional<Image> Decode(const std::string& picture, const std::string& scratchBitmap) const;

    // Ends the decoders still running, and waits a moment for them to be gone.
    void EndAll() const;

private:
    std::string program_;
    std::chrono::milliseconds timeLimit_;
    // The decoders now running, so that EndAll reaches those of other threads.
    std::unique_ptr<RunningDecoders> running_;
};

// In a process started as a decoder: decodes as asked (the picture and the bitmap file are the
// first two arguments after the program) and gives the process's exit code. Nothing in any
// other process, which goes on as it was started.
std::optional<int> RunPictureDecoderIfAsked();

}  // namespace vexaframe
