#pragma once
// The saver in an X window: a window over the whole screen, the root window or another
// program's window under XScreenSaver, or a window of its own. It turns X events, its one-second
// timer and the signals that end it into calls of SaverSession, and carries out what
// SaverSession asks of the platform.

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "pictures/posix_picture_decoder.h"
#include "pictures/staged_picture.h"
#include "platform/posix_file_system.h"
#include "platform/posix_handles.h"
#include "platform/x11_types.h"
#include "render/frame.h"
#include "render/scene_resources.h"
#include "saver/frame_pacer.h"
#include "saver/frame_rate_meter.h"
#include "saver/saver_session.h"

namespace vexaframe {

enum class X11Target {
    CoverScreen,  // a window over the screen that takes the input, which ends the saver
    Root,         // the root window
    GivenWindow,  // a window another program made
    OwnWindow,    // a window of its own, which ends the saver when closed
};

struct X11SaverOptions {
    X11Target target = X11Target::CoverScreen;
    Window givenWindow = 0;
    bool softwareDevice = false;         // even where OpenGL would draw
    bool showFrameRate = false;          // on standard output, once a second
    std::chrono::microseconds pause{0};  // the least time between frames
};

class X11SaverWindow final : public SaverPlatform {
public:
    X11SaverWindow(RunState& run, std::string pictureFile, X11SaverOptions options);
    ~X11SaverWindow() override;
    X11SaverWindow(const X11SaverWindow&) = delete;
    X11SaverWindow& operator=(const X11SaverWindow&) = delete;

    // Connects to the display, makes or takes the window and starts the saver. False, with the
    // reason on standard error, when it cannot.
    [[nodiscard]] bool Open();
    // Draws frames and takes events until a way out ends the program.
    [[noreturn]] void Run();

private:
    struct XState;

    bool MakeOwnWindow();
    bool TakeWindow(Window window);
    bool WatchSignalsAndSeconds();
    void HandleEvent(const XEvent& event);
    void HandlePendingEvents();
    bool WindowExists();
    void EndIfWindowFailed();
    void EndAfterFailedDrawing();
    // The time until the next frame is due, in milliseconds; -1 while no frames run.
    int DrawDueFrame();
    void ShowFrameRate();
    void Resize(int width, int height);
    void HoldInput();
    void StartMouseRuleAtPointer();

    // SaverPlatform
    void CoverPrimaryScreen() override;
    std::vector<Monitor> Monitors() override;
    void CoverMonitor(const ScreenRect& area) override;
    bool StagePending(const std::string& path, std::stop_token stop) override;
    std::optional<Image> PendingTexturePicture() override;
    bool CommitStagedPicture() override;
    void CreateRenderDevice() override;
    void CreateResources() override;
    std::unique_ptr<DeviceTexture> ChangeResources(bool newPicture,
                                                   std::unique_ptr<DeviceTexture> texture) override;
    void ReleaseResources() override;
    void StartFrames() override;
    void ShowTopmost() override;
    bool IsWindowsNT() override;
    int ShowCursor(bool show) override;
    bool VerifyScreenSavePassword() override;
    void EnableSystemKeys(bool enable) override;
    void SetScreenSaveActive() override;
    void ReleaseRenderer() override;
    [[noreturn]] void EndProgram() override;

    void ReportProblem(ResourceProblem problem);
    [[noreturn]] void EndWithMessage(std::wstring_view text);
    [[noreturn]] void EndProcess(int exitCode);

    const X11SaverOptions options_;
    RunState& run_;
    PosixFileSystem files_;
    StagedPicture stagedPicture_;
    PictureDecoder decoder_;
    TextureLimits textureLimits_{0, false};  // set with the device, before any preparation
    std::unique_ptr<XState> x_;              // outlives the session's textures
    SaverSession session_;
    Descriptor signals_, signalsWritten_;  // readable once a signal asks the saver to end
    Descriptor secondTick_;                // a timer, readable every second
    int cursorCount_ = 0;                  // counted as Windows counts: shown from 0 up

    std::unique_ptr<RenderDevice> device_;
    SceneResources resources_;
    std::unique_ptr<FrameClock> clock_;
    std::unique_ptr<FramePacer> pacer_;  // present while frames run
    std::optional<FrameRateMeter> frameRate_;
};

}  // namespace vexaframe
