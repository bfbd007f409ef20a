#pragma once
// The full-screen saver window on Windows: the window "Vexaframe_S" with its drawing surface,
// its one-second timer and its frames. It turns messages into calls of SaverSession and
// carries out what SaverSession asks of the platform.

#include <windows.h>

#include <memory>
#include <string>

#include "pictures/staged_picture.h"
#include "pictures/texture_picture.h"
#include "pictures/win32_picture_decoder.h"
#include "platform/win32_file_system.h"
#include "render/frame.h"
#include "render/scene_resources.h"
#include "saver/frame_pacer.h"
#include "saver/saver_session.h"
#include "saver/win32_cover_windows.h"
#include "saver/win32_message_loop.h"

namespace vexaframe {

class Win32SaverWindow final : public SaverPlatform, public FrameSource {
public:
    Win32SaverWindow(RunState& run, std::string pictureFile);
    ~Win32SaverWindow() override;
    Win32SaverWindow(const Win32SaverWindow&) = delete;
    Win32SaverWindow& operator=(const Win32SaverWindow&) = delete;

    // Makes the windows and starts the saver; the window shows at the end of the start. False,
    // with no window left, when they could not be made.
    [[nodiscard]] bool Open();

    DWORD DrawDueFrame() override;

private:
    static LRESULT CALLBACK WindowProcedure(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK SurfaceProcedure(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnWindowMessage(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnSurfaceMessage(HWND, UINT, WPARAM, LPARAM);
    bool CreateWindows();

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

    // Modal, OK only, the program's title as caption.
    void ShowMessage(std::wstring_view text);
    void ReportProblem(ResourceProblem problem);
    [[noreturn]] void EndWithMessage(std::wstring_view text);
    [[noreturn]] void EndProcess(UINT exitCode);

    Win32FileSystem files_;
    StagedPicture stagedPicture_;
    PictureDecoder decoder_;
    TextureLimits textureLimits_{0, false};  // set with the device, before any preparation
    SaverSession session_;
    Win32CoverWindows covers_;
    HWND window_ = nullptr;
    HWND surface_ = nullptr;
    bool messageShown_ = false;

    std::unique_ptr<RenderDevice> device_;
    SceneResources resources_;
    std::unique_ptr<FrameClock> clock_;
    std::unique_ptr<FramePacer> pacer_;  // present while frames run
};

}  // namespace vexaframe
