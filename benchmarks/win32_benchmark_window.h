#pragma once
// A window for benchmarks that draw: borderless and topmost over the whole virtual screen.

#include <windows.h>

namespace vexaframe {

inline void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Null when it cannot be made.
inline HWND ShowWindowOverVirtualScreen(const wchar_t* className) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = className;
    RegisterClassExW(&windowClass);
    const HWND window = CreateWindowExW(
        WS_EX_TOPMOST, className, L"", WS_POPUP | WS_VISIBLE, GetSystemMetrics(SM_XVIRTUALSCREEN),
        GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN),
        GetSystemMetrics(SM_CYVIRTUALSCREEN), nullptr, nullptr, windowClass.hInstance, nullptr);
    PumpMessages();
    return window;
}

}  // namespace vexaframe
