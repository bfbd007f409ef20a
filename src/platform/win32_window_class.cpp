#include "platform/win32_window_class.h"

namespace vexaframe {

void RegisterWindowClass(const wchar_t* name, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = name;
    RegisterClassExW(&windowClass);  // fails harmlessly when it is already registered
}

std::optional<MouseButton> ButtonPressedBy(UINT message) {
    switch (message) {
        case WM_LBUTTONDOWN:
            return MouseButton::Left;
        case WM_RBUTTONDOWN:
            return MouseButton::Right;
        case WM_MBUTTONDOWN:
            return MouseButton::Middle;
        default:
            return std::nullopt;
    }
}

std::optional<MouseButton> ButtonReleasedBy(UINT message) {
    switch (message) {
        case WM_LBUTTONUP:
            return MouseButton::Left;
        case WM_RBUTTONUP:
            return MouseButton::Right;
        case WM_MBUTTONUP:
            return MouseButton::Middle;
        default:
            return std::nullopt;
    }
}

}  // namespace vexaframe
