#include "saver/win32_cover_windows.h"

// windows.h first: this needs its types.
#include <windowsx.h>

#include "platform/win32_handles.h"
#include "platform/win32_window_class.h"

namespace vexaframe {
namespace {

constexpr wchar_t kCoverClass[] = L"VexaframeCover";

BOOL CALLBACK AddMonitor(HMONITOR handle, HDC, LPRECT, LPARAM monitors) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(handle, &info)) {
        const RECT& r = info.rcMonitor;
        reinterpret_cast<std::vector<Monitor>*>(monitors)->push_back(
            {{r.left, r.top, r.right, r.bottom}, (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
    }
    return TRUE;
}

}  // namespace

std::vector<Monitor> DesktopMonitors() {
    std::vector<Monitor> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

// The arrows and Pause, which type no character; a held key's repeats step on, but do not hold
// and release over and over.
std::optional<ShowKey> ShowKeyOf(WPARAM virtualKey, LPARAM flags) {
    const bool repeated = (flags & (LPARAM{1} << 30)) != 0;
    switch (virtualKey) {
        case VK_RIGHT:
            return ShowKey::Next;
        case VK_LEFT:
            return ShowKey::Previous;
        case VK_PAUSE:
        case VK_DOWN:
            return repeated ? std::nullopt : std::optional(ShowKey::Hold);
        case VK_UP:
            return ShowKey::Caption;
        default:
            return std::nullopt;
    }
}

bool ForwardSaverInput(SaverSession& session, ScreenPoint origin, UINT message, WPARAM wParam,
                       LPARAM lParam) {
    if (message == WM_CHAR) {  // only keys that produce a character
        session.OnCharacterKey();
    } else if (message == WM_KEYDOWN) {
        const std::optional<ShowKey> key = ShowKeyOf(wParam, lParam);
        if (!key) return false;
        session.OnShowKey(*key);
    } else if (message == WM_MOUSEMOVE) {
        const ScreenPoint at =
            OnVirtualScreen(origin, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        session.OnMouseMove(static_cast<float>(at.x), static_cast<float>(at.y));
    } else if (const std::optional<MouseButton> pressed = ButtonPressedBy(message)) {
        session.OnButtonDown(*pressed);
    } else if (const std::optional<MouseButton> released = ButtonReleasedBy(message)) {
        session.OnButtonUp(*released);
    } else {
        return false;
    }
    return true;
}

class Win32CoverWindows::Cover {
public:
    Cover(SaverSession& session, const ScreenRect& area)
        : session_(session), origin_{area.left, area.top} {
        // Off the taskbar, and never taking the activation from the saver window.
        window_.reset(CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW,
                                      kCoverClass, L"", WS_POPUP, area.left, area.top,
                                      area.right - area.left, area.bottom - area.top, nullptr,
                                      nullptr, GetModuleHandleW(nullptr), this));
    }

    bool Exists() const { return window_ != nullptr; }
    void Show() const { ShowWindow(window_.get(), SW_SHOWNOACTIVATE); }

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        const Cover* cover = WindowOwner<Cover>(window, message, lParam);
        if (cover != nullptr &&
            ForwardSaverInput(cover->session_, cover->origin_, message, wParam, lParam))
            return 0;
        return DefWindowProcW(window, message, wParam, lParam);
    }

private:
    SaverSession& session_;
    ScreenPoint origin_;
    OwnedWindow window_;
};

Win32CoverWindows::Win32CoverWindows(SaverSession& session) : session_(session) {}

Win32CoverWindows::~Win32CoverWindows() = default;

// A monitor whose cover cannot be made shows the desktop; the saver goes on on the others.
void Win32CoverWindows::Add(const ScreenRect& area) {
    RegisterWindowClass(kCoverClass, Cover::Procedure);
    auto cover = std::make_unique<Cover>(session_, area);
    if (cover->Exists()) covers_.push_back(std::move(cover));
}

void Win32CoverWindows::Show() {
    for (const auto& cover : covers_) cover->Show();
}

}  // namespace vexaframe
