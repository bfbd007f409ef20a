#pragma once
// The saver in an X window: a window over the whole screen, the root window or another
// program's window under XScreenSaver, or a window of its own. It turns X events, its one-second
// timer and the signals that end it into calls of SaverSession, and carries out what the session
// asks of the platform.

#include <memory>
#include <optional>

#include "platform/posix_handles.h"
#include "platform/x11_types.h"
#include "saver/frame_rate_meter.h"
#include "saver/saver_session.h"
#include "settings/module_options.h"

namespace vexaframe {

class X11SaverWindow final : public SaverPlatform {
public:
    X11SaverWindow(RunState& run, const ModuleOptions& options, const SaverMode& mode,
                   SaverPictures pictures);
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
    void EndAfterFailedDrawing();
    // The time until the next frame is due, in milliseconds; -1 while no frames run.
    int DrawDueFrame();
    void ShowFrameRate();
    void HoldInput();
    void StartMouseRuleAtPointer();

    // SaverPlatform
    std::vector<Monitor> Monitors() override;
    void CoverScreens(std::span<const ScreenRect> otherAreas) override;
    void ShowTopmost() override;
    void ShowPointer(bool shown) override;
    DeviceChoice MakeRenderDevice() override;
    int RefreshHertz() override;
    void ShowMessage(std::wstring_view text) override;
    [[noreturn]] void EndProcess(int exitCode) override;

    const ModuleOptions options_;
    std::unique_ptr<XState> x_;  // outlives the session's device
    SaverSession session_;
    Descriptor signals_;     // readable once a signal asks the saver to end
    Descriptor secondTick_;  // a timer, readable every second
    std::optional<FrameRateMeter> frameRate_;
};

}  // namespace vexaframe
