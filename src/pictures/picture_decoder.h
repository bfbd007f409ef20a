#pragma once
// Picture files decoded into bitmap files. The program decodes each picture in a process of its
// own: this same program, started as a decoder. The decoders meet every damaged file a picture
// folder can hold; one that crashes, hangs or runs out of memory there costs only that picture,
// and whatever a decoder keeps is gone when its process ends.

#include <chrono>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

#include "pictures/image.h"
#include "pictures/texture_picture.h"
#include "platform/file_system.h"
#include "platform/process.h"

namespace vexaframe {

enum class DecodeOutcome {
    Written,    // the bitmap file holds the picture
    NoPicture,  // the file holds no picture the loader takes
    Failed,     // the decoder crashed, could not start or could not write the bitmap file
    TimedOut,   // ended after running too long
    Stopped,    // ended on request
};

// What a decoding writes: the picture at its own size and, where asked, the texture a device
// takes made from it (TextureFor), so that whoever draws it never holds the picture whole.
struct DecodeTargets {
    std::string bitmap;
    struct Texture {
        std::string bitmap;
        TextureLimits limits;  // a side of at least 1
    };
    std::optional<Texture> texture;
};

class PictureDecoder {
public:
    virtual ~PictureDecoder() = default;

    // Decodes the picture file (as LoadPicture does) into the targets' bitmap files (as
    // WriteBitmapFile writes them); Written means both are there. Safe to call from any thread;
    // returns early once `stop` is requested.
    [[nodiscard]] virtual DecodeOutcome DecodeToBitmapFile(const std::string& picture,
                                                           const DecodeTargets& targets,
                                                           std::stop_token stop) const = 0;
    // Ends the decodings still running, and waits a moment for them to be gone.
    virtual void EndAll() const = 0;
};

// The picture at its own pixel size, through a scratch bitmap file that is removed again;
// nothing when the decoder gives none. For callers that wait for it.
std::optional<Image> DecodeThroughScratchFile(const PictureDecoder& decoder, FileSystem& files,
                                              const std::string& picture,
                                              const std::string& scratchBitmap);

class RunningDecoders;

// Each picture decoded by this program started again as a decoder.
class ProcessPictureDecoder final : public PictureDecoder {
public:
    // A decoder that runs longer is ended: no picture takes that long, a hang does.
    static constexpr std::chrono::milliseconds kTimeLimit{20000};

    // `program` is started as the decoder; by default this program itself.
    explicit ProcessPictureDecoder(std::string program = ThisProgramFile(),
                                   std::chrono::milliseconds timeLimit = kTimeLimit);
    // Ends the decoders still running.
    ~ProcessPictureDecoder() override;
    ProcessPictureDecoder(const ProcessPictureDecoder&) = delete;
    ProcessPictureDecoder& operator=(const ProcessPictureDecoder&) = delete;

    [[nodiscard]] DecodeOutcome DecodeToBitmapFile(const std::string& picture,
                                                   const DecodeTargets& targets,
                                                   std::stop_token stop) const override;
    void EndAll() const override;

private:
    std::string program_;
    std::chrono::milliseconds timeLimit_;
    // The decoders now running, so that EndAll reaches those of other threads.
    std::unique_ptr<RunningDecoders> running_;
};

// In a process started as a decoder: decodes as asked (the arguments after the program: the
// picture, the bitmap file, and for a texture its bitmap file, largest side and 1 where sides
// must be powers of two), writing through `files`, and gives the process's exit code. Nothing in
// any other process, which goes on as it was started.
std::optional<int> RunPictureDecoderIfAsked(FileSystem& files);

}  // namespace vexaframe
