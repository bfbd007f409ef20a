#pragma once
// The full-screen saver's decisions: what its start, its one-second tick and its ways out do,
// and in which order; what counts as a click; what the frames draw. The window, the renderer and
// the system's password check are reached through SaverPlatform.

#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "pictures/image.h"
#include "platform/mouse_button.h"
#include "render/frame.h"
#include "render/render_device.h"
#include "render/scene_resources.h"
#include "saver/picture_preparer.h"
#include "saver/monitor_covers.h"
#include "settings/command_line.h"
#include "settings/run_state.h"

namespace vexaframe {

class SaverPlatform {
public:
    virtual ~SaverPlatform() = default;

    virtual void CoverPrimaryScreen() = 0;  // the window and its drawing surface, at 0,0
    virtual std::vector<Monitor> Monitors() = 0;
    // A black window over `area` of another monitor, shown with the saver window; its input
    // reaches the session as the drawing surface's does, positions on the virtual screen.
    virtual void CoverMonitor(const ScreenRect& area) = 0;

    // These two also run on the preparing thread, beside the frames.
    // Decodes the picture file into the pending bitmap file; false when it gives no picture,
    // or when `stop` was requested meanwhile.
    virtual bool StagePending(const std::string& path, std::stop_token stop) = 0;
    // The pending bitmap file's picture, resampled to a size the device takes; nothing when
    // the file cannot be read or the device takes no texture.
    virtual std::optional<Image> PendingTexturePicture() = 0;

    // The pending bitmap file becomes the staged one, from which the texture is made; false
    // when the staged file cannot be replaced and keeps the earlier picture.
    virtual bool CommitStagedPicture() = 0;
    // A Direct3D device, else one drawing in software; the program ends where Direct3D is
    // missing altogether.
    virtual void CreateRenderDevice() = 0;
    // The vertex buffer and its binding, and the texture made from the staged bitmap file.
    virtual void CreateResources() = 0;
    // The vertex buffer and its binding anew. With `newPicture`, `texture` replaces the cube's
    // texture (none: the texture problem is reported and the earlier texture stays); without,
    // the cube keeps its texture, as the staged file keeps its picture. Returns the texture
    // taken off the cube, if any, for the next upload to write over.
    virtual std::unique_ptr<DeviceTexture> ChangeResources(
        bool newPicture, std::unique_ptr<DeviceTexture> texture) = 0;
    // The vertex buffer and the textures go: a device reset needs them gone, and loses them.
    virtual void ReleaseResources() = 0;
    virtual void StartFrames() = 0;
    virtual void ShowTopmost() = 0;

    virtual bool IsWindowsNT() = 0;
    virtual int ShowCursor(bool show) = 0;
    virtual bool VerifyScreenSavePassword() = 0;  // true: the saver may end
    virtual void EnableSystemKeys(bool enable) = 0;
    virtual void SetScreenSaveActive() = 0;
    virtual void ReleaseRenderer() = 0;  // stops the frames, then lets the device go
    virtual void EndProgram() = 0;       // does not return on a real platform
};

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

struct MouseAnchor {
    float x = 0, y = 0;
    bool isSet = false;
};

// The next picture of the order, once prepared and made into a texture.
struct NextImage {
    bool ready = false;
    bool staged = false;  // the pending bitmap file holds it
    std::unique_ptr<DeviceTexture> texture;
};

struct SaverState {
    std::int16_t TickCount = 0;
    std::int16_t PicturePosition = 0;
    std::int16_t PatternIndex = 0;  // 0..10
    std::int16_t PatternAlpha = 0;  // 0 or 1, drawn only in transparency mode 2
    MouseAnchor mouseAnchor;
};

class SaverSession {
public:
    SaverSession(RunState& run, SaverPlatform& platform);

    void OnLoad();
    // Draws a frame of the cube with the texture `resources` hold, after taking the next picture
    // once it is prepared and moving a band of it to the device, so that no frame waits for a
    // whole texture. A lost device draws nothing until it can be reset; then the platform makes
    // the resources anew, whose texture the staged picture gives.
    FrameOutcome OnFrame(RenderDevice& device, FrameClock& clock, const SceneResources& resources);
    // The picture changes at the tick that ends the interval, or, when the next picture is not
    // ready by then, at the first tick after it is.
    void OnSecondTick();
    void OnCharacterKey() { EndSaver(); }
    // Mouse buttons pressed and released on the drawing surface or a cover.
    void OnButtonDown(MouseButton button);
    void OnButtonUp(MouseButton button);
    // Positions on the virtual screen (OnVirtualScreen), whichever window saw the move.
    void OnMouseMove(float x, float y);
    void EndSaver();

    bool NextImageReady() const { return next_.ready; }

    // What the next frame draws, with the current picture's texture.
    SceneState Scene(DeviceTexture* texture) const;

    SaverState& State() { return state_; }
    const SaverState& State() const { return state_; }

private:
    void StepNextImage(RenderDevice& device);
    DeviceCondition RegainDevice(RenderDevice& device);
    void DropDeviceResources();
    void ReleaseDeviceObjects();
    void DrawPattern();
    bool StageNextImage(bool pendingHoldsPicture);
    void PrepareNextImage();
    PreparedPicture Prepare(const std::string& file, std::stop_token stop);
    void ShowCursorAsCounted();
    const std::string* PictureFileAt(std::int16_t position) const;
    bool StartedWithS() const { return ModeLetter(run_.ArgumentText) == "S"; }

    RunState& run_;
    SaverPlatform& platform_;
    SaverState state_;
    bool leftButtonDown_ = false;
    NextImage next_;
    std::unique_ptr<TextureUpload> upload_;   // of the next picture's texture
    std::unique_ptr<DeviceTexture> retired_;  // no longer drawn: the next upload may reuse it
    bool deviceLost_ = false;                 // and its resources dropped, until it is reset
    PicturePreparer preparer_;  // last: its thread stops before the rest goes
};

}  // namespace vexaframe
