#pragma once
// The full-screen saver window on Windows: the window "Vexaframe_S" with its drawing surface and
// its one-second timer. It turns messages into calls of SaverSession, and carries out what the
// session asks of the platform and of the system's own saver state.

#include <windows.h>

#include "saver/saver_session.h"
#include "saver/win32_cover_windows.h"
#include "saver/win32_message_loop.h"

namespace vexaframe {

class Win32SaverWindow final : public SaverPlatform, public SystemSaverState, public FrameSource {
public:
    // `startedBySystem`: with /s, as the system starts its saver.
    Win32SaverWindow(RunState& run, const SaverMode& mode, SaverPictures pictures,
                     bool startedBySystem);
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
    std::vector<Monitor> Monitors() override;
    void CoverScreens(std::span<const ScreenRect> otherAreas) override;
    void ShowTopmost() override;
    void ShowPointer(bool shown) override;
    DeviceChoice MakeRenderDevice() override;
    int RefreshHertz() override;
    void ShowMessage(std::wstring_view text) override;
    [[noreturn]] void EndProcess(int exitCode) override;

    // SystemSaverState
    bool VerifyPassword() override;
    void RestoreFlags() override;

    const bool startedBySystem_;
    SaverSession session_;
    Win32CoverWindows covers_;
    HWND window_ = nullptr;
    HWND surface_ = nullptr;
};

}  // namespace vexaframe
