#pragma once
// Pictures decoded in a process of their own: this same program, started as a decoder. The
// system's decoders meet every damaged file a picture folder can hold; one that crashes, hangs
// or runs out of memory there costs only that picture, and whatever a decoder keeps is gone
// when its process ends.

#include <chrono>
#include <optional>
#include <stop_token>
#include <string>

#include "pictures/decode_outcome.h"
#include "pictures/image.h"
#include "platform/win32_handles.h"
#include "platform/win32_system.h"

namespace vexaframe {

class PictureDecoder {
public:
    // A decoder that runs longer is ended: no picture takes that long, a hang does.
    static constexpr std::chrono::milliseconds kTimeLimit{20000};

    // `program` is started as the decoder; by default this program itself.
    explicit PictureDecoder(std::wstring program = ProgramFile(),
                            std::chrono::milliseconds timeLimit = kTimeLimit);

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
    std::wstring program_;
    std::chrono::milliseconds timeLimit_;
    // Every decoder runs in it: they end with it, with this program too, however it ends.
    OwnedKernelObject job_;
};

// In a process started as a decoder: decodes as asked and gives the process's exit code.
// Nothing in any other process, which goes on as it was started.
std::optional<int> RunPictureDecoderIfAsked();

// From now on a crash ends this process at once, quietly, without the system's crash dialog.
void EndQuietlyOnCrash();

}  // namespace vexaframe
