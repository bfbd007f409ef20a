#include "saver/win32_saver_window.h"

// windows.h first: this needs its types.
#include <mmsystem.h>

#include "platform/win32_handles.h"
#include "platform/win32_refresh_rate.h"
#include "platform/win32_system.h"
#include "platform/win32_window_class.h"
#include "render/win32_d3d8_device.h"
#include "render/win32_software_presenter.h"

namespace vexaframe {
namespace {

constexpr wchar_t kWindowClass[] = L"VexaframeSaver";
constexpr wchar_t kSurfaceClass[] = L"VexaframeSurface";
constexpr UINT_PTR kSecondTimer = 1;
constexpr UINT kSecondTimerMilliseconds = 1000;
constexpr UINT kTimerResolutionMilliseconds = 1;

}  // namespace

Win32SaverWindow::Win32SaverWindow(RunState& run, const SaverMode& mode, SaverPictures pictures,
                                   bool startedBySystem)
    : startedBySystem_(startedBySystem),
      session_(run, mode, *this, std::move(pictures), this),
      covers_(session_) {
    // Frame deadlines need a finer sleep than the default 15.6 ms tick.
    timeBeginPeriod(kTimerResolutionMilliseconds);
}

bool Win32SaverWindow::Open() {
    if (!CreateWindows()) return false;
    session_.Start();
    return true;
}

Win32SaverWindow::~Win32SaverWindow() {
    timeEndPeriod(kTimerResolutionMilliseconds);
}

bool Win32SaverWindow::CreateWindows() {
    RegisterWindowClass(kWindowClass, WindowProcedure);
    RegisterWindowClass(kSurfaceClass, SurfaceProcedure);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const std::wstring caption(kSaverWindowTitle.begin(), kSaverWindowTitle.end());
    OwnedWindow window(CreateWindowExW(0, kWindowClass, caption.c_str(), WS_POPUP, 0, 0, 0, 0,
                                       nullptr, nullptr, instance, this));
    if (!window) return false;
    // The drawing surface is a window of its own that the saver window owns and that covers it,
    // rather than a child window: Wine shows Direct3D frames only in windows without a parent or
    // children. It never takes the activation, so keys still reach the saver window.
    OwnedWindow surface(CreateWindowExW(WS_EX_NOACTIVATE, kSurfaceClass, L"", WS_POPUP, 0, 0, 0, 0,
                                        window.get(), nullptr, instance, this));
    // Without the timer the picture would never change.
    if (!surface || SetTimer(window.get(), kSecondTimer, kSecondTimerMilliseconds, nullptr) == 0)
        return false;
    // From here they live as long as the program, whose end takes them along.
    window_ = window.release();
    surface_ = surface.release();
    return true;
}

LRESULT CALLBACK Win32SaverWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                                   LPARAM lParam) {
    auto* owner = WindowOwner<Win32SaverWindow>(window, message, lParam);
    return owner != nullptr ? owner->OnWindowMessage(window, message, wParam, lParam)
                            : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK Win32SaverWindow::SurfaceProcedure(HWND window, UINT message, WPARAM wParam,
                                                    LPARAM lParam) {
    auto* owner = WindowOwner<Win32SaverWindow>(window, message, lParam);
    return owner != nullptr ? owner->OnSurfaceMessage(window, message, wParam, lParam)
                            : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Win32SaverWindow::OnWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CHAR:
        case WM_KEYDOWN:
            if (ForwardSaverInput(session_, ScreenPoint{}, message, wParam, lParam)) return 0;
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_TIMER:
            if (wParam == kSecondTimer) session_.OnSecondTick();
            return 0;
        case WM_CLOSE:  // leave the way every other way out does, restoring the system's state
            session_.EndSaver();
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT Win32SaverWindow::OnSurfaceMessage(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    if (message == WM_PAINT) {  // the frames repaint the whole surface
        ValidateRect(window, nullptr);
        return 0;
    }
    // The surface lies at the virtual screen's origin. WM_CHAR should it ever hold the focus.
    if (ForwardSaverInput(session_, ScreenPoint{}, message, wParam, lParam)) return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

DWORD Win32SaverWindow::DrawDueFrame() {
    const PictureShow::DueFrame frame = session_.DrawDueFrame();
    if (frame.drawn == FrameOutcome::Failed) session_.EndWithMessage(kRenderingError);
    return frame.wait ? static_cast<DWORD>(frame.wait->count()) : INFINITE;
}

std::vector<Monitor> Win32SaverWindow::Monitors() {
    return DesktopMonitors();
}

void Win32SaverWindow::CoverScreens(std::span<const ScreenRect> otherAreas) {
    // The manifest declares the program DPI-aware, so these are the display's own pixels.
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    constexpr UINT kPlaceOnly = SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(window_, nullptr, 0, 0, width, height, kPlaceOnly);
    SetWindowPos(surface_, nullptr, 0, 0, width, height, kPlaceOnly);
    for (const ScreenRect& area : otherAreas) covers_.Add(area);
}

void Win32SaverWindow::ShowTopmost() {
    covers_.Show();
    ShowWindow(window_, SW_SHOWNORMAL);
    ShowWindow(surface_, SW_SHOWNOACTIVATE);
    SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void Win32SaverWindow::ShowPointer(bool shown) {
    ::ShowCursor(shown ? TRUE : FALSE);
}

DeviceChoice Win32SaverWindow::MakeRenderDevice() {
    const std::unique_ptr<Direct3DDeviceMaker> direct3d = MakeD3D8DeviceMaker(surface_);
    return ChooseRenderDevice(*direct3d, [this] { return MakeSoftwareDeviceFor(surface_); });
}

int Win32SaverWindow::RefreshHertz() {
    return DisplayRefreshHertz(surface_);
}

void Win32SaverWindow::ShowMessage(std::wstring_view text) {
    MessageBoxW(window_, std::wstring(text).c_str(), std::wstring(kProgramTitle).c_str(), MB_OK);
}

// Ending the process takes its windows with it, at once; destroying them first would wait for
// the window manager to withdraw them. Terminated rather than exited: nothing is left to save,
// and no library's clean-up runs after the saver has ended. Under Wine the graphics driver's
// clean-up at the end of a process crashed now and then, or outlasted the wait after which Wine
// kills the process.
void Win32SaverWindow::EndProcess(int exitCode) {
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
    ExitProcess(static_cast<UINT>(exitCode));  // should the system refuse that
}

bool Win32SaverWindow::VerifyPassword() {
    // Only the non-NT platforms have it; without it there is no password to ask for.
    using VerifyFunction = BOOL(WINAPI*)(HWND);
    const OwnedModule library(LoadLibraryW(L"password.cpl"));
    if (!library) return true;
    const FARPROC found = GetProcAddress(library.get(), "VerifyScreenSavePwd");
    if (found == nullptr) return true;
    const auto verify = reinterpret_cast<VerifyFunction>(reinterpret_cast<void (*)()>(found));
    return verify(window_) != 0;
}

// The task keys were locked only for a saver the system started.
void Win32SaverWindow::RestoreFlags() {
    if (startedBySystem_) EnableSystemKeys(true);
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, 1, nullptr, 0);
}

}  // namespace vexaframe
