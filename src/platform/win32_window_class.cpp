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

namespace {

struct ButtonMessages {
    UINT press;
    UINT release;
    MouseButton button;
};
constexpr ButtonMessages kButtonMessages[] = {
    {WM_LBUTTONDOWN, WM_LBUTTONUP, MouseButton::Left},
    {WM_RBUTTONDOWN, WM_RBUTTONUP, MouseButton::Right},
    {WM_MBUTTONDOWN, WM_MBUTTONUP, MouseButton::Middle},
};

}  // namespace

std::optional<MouseButton> ButtonPressedBy(UINT message) {
    for (const ButtonMessages& messages : kButtonMessages)
        if (messages.press == message) return messages.button;
    return std::nullopt;
}

std::optional<MouseButton> ButtonReleasedBy(UINT message) {
    for (const ButtonMessages& messages : kButtonMessages)
        if (messages.release == message) return messages.button;
    return std::nullopt;
}

}  // namespace vexaframe
