#pragma once
// What the cube shows, and the road of every picture to it: the pictures of the order decoded
// into the staged bitmap file, made into textures on the device, and the frames that draw them.
//
// One picture change: while the current picture shows, a decoder process writes the next one
// into the pending bitmap file and its texture beside it, on a thread of its own
// (PrepareNextPicture), so that this process never holds a picture larger than a texture; the
// frames then move the texture to the device a band at a time (UploadNextPicture); at the change
// the pending file becomes the staged one and the ready texture goes on the cube (ShowNextPicture),
// and the one after it is prepared.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "pictures/picture_decoder.h"
#include "pictures/staged_picture.h"
#include "pictures/texture_picture.h"
#include "platform/text_rasteriser.h"
#include "render/frame.h"
#include "render/render_device.h"
#include "render/scene_resources.h"
#include "saver/frame_pacer.h"
#include "saver/picture_preparer.h"
#include "saver/show_order.h"
#include "settings/run_state.h"

namespace vexaframe {

// The messages of the renderer's failures while it runs, shown with the program's title as
// caption.
inline constexpr std::wstring_view kVertexBufferProblem = L"VertexBuffer problem!";
inline constexpr std::wstring_view kTextureProblem = L"Texture problem!";
inline constexpr std::wstring_view kRenderingError = L"Error Rendering!";

enum class FrameOutcome {
    Drawn,
    Skipped,  // the device is lost
    Failed,   // the saver ends with kRenderingError
};

// Where the saver's pictures come from and pass through.
struct SaverPictures {
    FileSystem& files;
    std::string stagedFile;  // Vexaframe.bmp: the picture on the cube
    std::unique_ptr<PictureDecoder> decoder;
    std::unique_ptr<TextRasteriser> text;  // the captions' letters
};

// What lies over the cube in the bottom-left corner, and how opaque it is.
enum class CaptionShown { None, Picture, Paused };
struct CaptionRequest {
    CaptionShown shown = CaptionShown::None;
    float opacity = 0;
};

class PictureShow {
public:
    // `report` shows the problems of the resources, which do not stop the show.
    PictureShow(RunState& run, SaverPictures pictures,
                std::function<void(std::wstring_view)> report);
    // A preparation still running is stopped first.
    ~PictureShow() = default;
    PictureShow(const PictureShow&) = delete;
    PictureShow& operator=(const PictureShow&) = delete;

    // The frames draw with `device` from now on, paced to the display's refresh rate and
    // `framePause`; the cube gets its resources. Without a device every frame fails.
    void UseDevice(std::unique_ptr<RenderDevice> device, int refreshHertz,
                   std::chrono::microseconds framePause);
    // The first picture of the order staged and put on the cube, before anything shows. Until a
    // picture has been staged the frames are black.
    void StageFirstPicture();
    bool PictureStaged() const { return pictureStaged_; }
    // Every position of the order has been tried since the start, and none gave a picture, and
    // the listing has ended.
    bool NoPictureLoads() const;
    void ResizeDevice(int width, int height);

    // The next position of the order, or, after a step back, the picture shown after the one on
    // the cube. Waits for the listing where it has not yet come to the next position.
    void PrepareNextPicture();
    // The picture shown before the one on the cube, or before the one a step back is already
    // preparing, is prepared as the next instead; false at the first picture of the run.
    bool PrepareEarlierPicture();
    // A step back not yet shown comes one picture later; false when that is the cube's own
    // picture, and no change is then to come. Otherwise the next is as prepared.
    bool PrepareLaterPicture();
    bool NextPictureReady() const { return next_.stage == NextStage::Ready; }
    // The next picture becomes the staged one and goes on the cube; the one after it is
    // prepared. A picture that gave nothing leaves the cube as it was.
    void ShowNextPicture();

    // Draws a frame of the cube as `scene` says, with the current picture's texture, after
    // moving a band of the next picture to the device, so that no frame waits for a whole
    // texture. A lost device draws nothing until it can be reset; then the cube gets its
    // resources anew, from the staged picture.
    FrameOutcome DrawFrame(SceneState scene, CaptionRequest caption = {});
    // The frame when one is due, and how long until the next one is: what a shell's loop waits
    // for. No frame and no wait once the frames have stopped.
    struct DueFrame {
        std::optional<FrameOutcome> drawn;
        std::optional<std::chrono::milliseconds> wait;
    };
    DueFrame DrawDueFrame(SceneState scene, CaptionRequest caption = {});
    void StopFrames() { pacer_.reset(); }

    // Every texture and buffer goes before the device, so that the device is really gone, its
    // threads and drawing context with it, before the process ends: ending with them alive
    // crashes now and then in the graphics driver's own clean-up.
    void ReleaseDevice();
    // The decoders still running are ended and the pending picture goes: nothing of a picture
    // being prepared is shown any more. The staged picture stays.
    void EndDecoding();

    std::int32_t PicturePosition() const { return PicturePosition_; }

private:
    enum class NextStage { Listing, Preparing, Uploading, Ready };
    struct NextPicture {
        NextStage stage = NextStage::Preparing;
        // A picture shown before, by its place among them; none for the order's next position.
        std::optional<std::size_t> shownBefore;
        bool inPendingFile = false;              // the pending bitmap file holds it
        std::shared_ptr<const Image> picture;    // its texture's pixels
        std::unique_ptr<TextureUpload> upload;   // while uploading
        std::unique_ptr<DeviceTexture> texture;  // once ready; none when the device made none
        Image caption;
    };
    // A band over the cube: its pixels, and its texture once a frame drew it.
    struct Overlay {
        Image band;
        std::unique_ptr<DeviceTexture> texture;
    };

    void Prepare(std::optional<std::size_t> shownBefore);
    bool DecodeIntoPendingFile(const std::string& file, std::stop_token stop);
    Image PaintCaptionOf(const std::string& file);
    std::optional<SceneOverlay> OverlayFor(CaptionRequest caption);
    PreparedPicture DecodeNextPicture(const std::string& file, std::stop_token stop);
    void PrepareListedPicture();
    void UploadNextPicture();
    bool StageNextImage(bool pendingHoldsPicture);
    bool StageShownBefore(std::size_t index, bool pendingHoldsPicture);
    void MakeResources();
    void ReplaceResources(bool newPicture, std::unique_ptr<DeviceTexture> texture);
    DeviceCondition RegainDevice();
    void DropDeviceResources();
    void ReleaseDeviceObjects();
    void ReportProblem(ResourceProblem problem);

    ShowOrder order_;
    FileSystem& files_;
    StagedPicture staged_;
    std::unique_ptr<PictureDecoder> decoder_;
    // Used by one thread at a time: the start's for the first picture, then the preparing one.
    std::unique_ptr<TextRasteriser> text_;
    const std::string folder_;  // the pictures' folder, which captions start from
    // The device's target, which captions are made for and placed on: a resize may come while
    // the preparing thread makes one.
    PixelSize CaptionScreen() const;
    void SetCaptionScreen();
    mutable std::mutex captionScreenMutex_;
    PixelSize captionScreen_;  // guarded by captionScreenMutex_
    Overlay pictureCaption_;   // of the picture on the cube
    Overlay pauseSign_;
    std::function<void(std::wstring_view)> report_;
    std::int32_t PicturePosition_ = 0;    // in the order, of the picture staged last
    bool pictureStaged_ = false;          // since the start
    std::int32_t unstagedPositions_ = 0;  // tried since the start, while none was staged
    // The numbers of the pictures the order staged since the start, and the place among them of
    // the one on the cube.
    std::vector<std::int32_t> shown_;
    std::size_t onCube_ = 0;
    // The staged picture's texture pixels, to make its texture again after a device loss: the
    // size of a texture, where the staged file holds the picture at its own.
    std::shared_ptr<const Image> stagedTexture_;

    std::unique_ptr<RenderDevice> device_;
    TextureLimits textureLimits_{0, false};  // set with the device, before any preparation
    SceneResources resources_;
    bool deviceLost_ = false;                 // and its resources dropped, until it is reset
    std::unique_ptr<DeviceTexture> retired_;  // no longer drawn: the next upload may reuse it
    TimeOfDayClock clock_;
    std::optional<FramePacer> pacer_;  // while frames run

    NextPicture next_;
    PicturePreparer preparer_;  // last: its thread stops before the rest goes
};

}  // namespace vexaframe
