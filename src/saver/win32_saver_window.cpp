#include "saver/win32_saver_window.h"

// windows.h first: this needs its types.
#include <mmsystem.h>

#include <chrono>

#include "platform/win32_handles.h"
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

int DisplayRefreshHertz(HWND window) {
    const WindowDC context(window);
    return context ? GetDeviceCaps(context.get(), VREFRESH) : 0;
}

}  // namespace

Win32SaverWindow::Win32SaverWindow(RunState& run, std::string pictureFile)
    : stagedPicture_(files_, std::move(pictureFile)),
      session_(run, *this),
      covers_(session_),
      clock_(std::make_unique<TimeOfDayClock>()) {
    // Frame deadlines need a finer sleep than the default 15.6 ms tick.
    timeBeginPeriod(kTimerResolutionMilliseconds);
}

bool Win32SaverWindow::Open() {
    if (!CreateWindows()) return false;
    session_.OnLoad();
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
        case WM_CHAR:  // only keys that produce a character
            session_.OnCharacterKey();
            return 0;
        case WM_TIMER:
            // A message box's own loop goes on dispatching the ticks: a picture that keeps
            // failing would stack up one box a second.
            if (wParam == kSecondTimer && !messageShown_) session_.OnSecondTick();
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
    if (ForwardSaverInput(session_, ScreenPoint{}, message, lParam)) return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

DWORD Win32SaverWindow::DrawDueFrame() {
    if (!pacer_) return INFINITE;
    using Clock = FramePacer::Clock;
    if (pacer_->TimeToNextFrame(Clock::now()) == Clock::duration::zero()) {
        if (!device_ || session_.OnFrame(*device_, *clock_, resources_) == FrameOutcome::Failed)
            EndWithMessage(kRenderingError);
        // A skipped frame counts too, so that a lost device is asked once a frame, not in a spin.
        pacer_->FrameDrawn(Clock::now());
    }
    const auto wait = pacer_->TimeToNextFrame(Clock::now());
    return static_cast<DWORD>(std::chrono::ceil<std::chrono::milliseconds>(wait).count());
}

void Win32SaverWindow::CoverPrimaryScreen() {
    // The manifest declares the program DPI-aware, so these are the display's own pixels.
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    constexpr UINT kPlaceOnly = SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(window_, nullptr, 0, 0, width, height, kPlaceOnly);
    SetWindowPos(surface_, nullptr, 0, 0, width, height, kPlaceOnly);
}

std::vector<Monitor> Win32SaverWindow::Monitors() {
    return DesktopMonitors();
}

void Win32SaverWindow::CoverMonitor(const ScreenRect& area) {
    covers_.Add(area);
}

bool Win32SaverWindow::StagePending(const std::string& path, std::stop_token stop) {
    stagedPicture_.HoldStaged();
    return decoder_.DecodeToBitmapFile(path, stagedPicture_.PendingPath(), std::move(stop)) ==
           DecodeOutcome::Written;
}

std::optional<Image> Win32SaverWindow::PendingTexturePicture() {
    return TextureFromBitmapFile(stagedPicture_.ReadPending(), textureLimits_);
}

bool Win32SaverWindow::CommitStagedPicture() {
    return stagedPicture_.CommitPending();
}

void Win32SaverWindow::CreateRenderDevice() {
    const std::unique_ptr<Direct3DDeviceMaker> direct3d = MakeD3D8DeviceMaker(surface_);
    DeviceChoice choice =
        ChooseRenderDevice(*direct3d, [this] { return MakeSoftwareDeviceFor(surface_); });
    if (!choice.fatalError.empty()) EndWithMessage(choice.fatalError);
    device_ = std::move(choice.device);
    // Without any device the first frame reports the rendering error.
    if (device_) textureLimits_ = device_->Limits();
}

void Win32SaverWindow::CreateResources() {
    if (!device_) return;
    vexaframe::CreateResources(*device_, stagedPicture_.Read(), resources_,
                               [this](ResourceProblem problem) { ReportProblem(problem); });
}

// Without a new picture the cube's own texture is passed on as the new one: the staged file
// holds the same picture as before.
std::unique_ptr<DeviceTexture> Win32SaverWindow::ChangeResources(
    bool newPicture, std::unique_ptr<DeviceTexture> texture) {
    if (!device_) return nullptr;
    vexaframe::CreateResources(*device_,
                               newPicture ? std::move(texture) : std::move(resources_.Texture),
                               resources_,
                               [this](ResourceProblem problem) { ReportProblem(problem); });
    return std::move(resources_.Retired);
}

void Win32SaverWindow::ReleaseResources() {
    resources_ = SceneResources{};
}

void Win32SaverWindow::ReportProblem(ResourceProblem problem) {
    ShowMessage(problem == ResourceProblem::VertexBuffer ? kVertexBufferProblem : kTextureProblem);
}

void Win32SaverWindow::StartFrames() {
    pacer_ = std::make_unique<FramePacer>(DisplayRefreshHertz(surface_), FramePacer::Clock::now());
}

void Win32SaverWindow::ShowTopmost() {
    covers_.Show();
    ShowWindow(window_, SW_SHOWNORMAL);
    ShowWindow(surface_, SW_SHOWNOACTIVATE);
    SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

bool Win32SaverWindow::IsWindowsNT() {
    return vexaframe::IsWindowsNT();
}

int Win32SaverWindow::ShowCursor(bool show) {
    return ::ShowCursor(show ? TRUE : FALSE);
}

bool Win32SaverWindow::VerifyScreenSavePassword() {
    // Only the non-NT platforms have it; without it there is no password to ask for.
    using VerifyFunction = BOOL(WINAPI*)(HWND);
    const OwnedModule library(LoadLibraryW(L"password.cpl"));
    if (!library) return true;
    const FARPROC found = GetProcAddress(library.get(), "VerifyScreenSavePwd");
    if (found == nullptr) return true;
    const auto verify = reinterpret_cast<VerifyFunction>(reinterpret_cast<void (*)()>(found));
    return verify(window_) != 0;
}

void Win32SaverWindow::EnableSystemKeys(bool enable) {
    vexaframe::EnableSystemKeys(enable);
}

void Win32SaverWindow::SetScreenSaveActive() {
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, 1, nullptr, 0);
}

void Win32SaverWindow::ReleaseRenderer() {
    pacer_.reset();
    device_.reset();
}

// Ending the process takes its windows with it, at once; destroying them first would wait for
// the window manager to withdraw them. A picture being prepared is not shown any more.
void Win32SaverWindow::EndProgram() {
    EndProcess(0);
}

// Terminated rather than exited: nothing is left to save, and no library's clean-up runs after
// the saver has ended. Under Wine the graphics driver's clean-up at the end of a process crashed
// now and then, or outlasted the wait after which Wine kills the process.
void Win32SaverWindow::EndProcess(UINT exitCode) {
    decoder_.EndAll();
    stagedPicture_.DiscardPending();
    TerminateProcess(GetCurrentProcess(), exitCode);
    ExitProcess(exitCode);  // should the system refuse that
}

void Win32SaverWindow::ShowMessage(std::wstring_view text) {
    messageShown_ = true;
    MessageBoxW(window_, std::wstring(text).c_str(), std::wstring(kProgramTitle).c_str(), MB_OK);
    messageShown_ = false;
}

void Win32SaverWindow::EndWithMessage(std::wstring_view text) {
    pacer_.reset();
    ShowMessage(text);
    EndProcess(1);
}

}  // namespace vexaframe
