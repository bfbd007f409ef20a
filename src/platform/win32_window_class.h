#pragma once
// What the program's windows share: their classes, the object each window belongs to, and
// the mouse buttons their messages speak of.

#include <windows.h>

#include <optional>

#include "platform/mouse_button.h"

namespace vexaframe {

// The button a WM_?BUTTONDOWN message presses; nothing for any other message.
std::optional<MouseButton> ButtonPressedBy(UINT message);
// The button a WM_?BUTTONUP message releases; nothing for any other message.
std::optional<MouseButton> ButtonReleasedBy(UINT message);

// A class with the arrow pointer and a black background; registering it again does nothing.
void RegisterWindowClass(const wchar_t* name, WNDPROC procedure);

// The object given as the creation parameter of `window`, attached when it is created; null
// for the few messages that come before WM_NCCREATE.
template <typename Owner>
Owner* WindowOwner(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* owner = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
        return owner;
    }
    return reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace vexaframe
