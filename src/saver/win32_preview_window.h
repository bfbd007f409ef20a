#pragma once
// The preview window "Preview Window": the built-in still, unstretched at the top-left corner
// of the host's preview area, black elsewhere. It lives as long as the host keeps the area.

#include <windows.h>

#include "platform/win32_handles.h"

namespace vexaframe {

class Win32PreviewWindow {
public:
    // Shows the preview in `host`; the program ends when the host destroys it.
    explicit Win32PreviewWindow(HWND host);
    Win32PreviewWindow(const Win32PreviewWindow&) = delete;
    Win32PreviewWindow& operator=(const Win32PreviewWindow&) = delete;

    // False when its windows could not be made: nothing shows, and nothing would end the program.
    bool IsOpen() const { return window_ != nullptr; }

private:
    static LRESULT CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK HostWatchProcedure(HWND, UINT, WPARAM, LPARAM);
    void Paint(HDC target) const;

    HWND host_;
    HWND window_ = nullptr;  // the host's child: the host destroys it
    OwnedWindow hostWatch_;
    OwnedBitmap still_;
};

}  // namespace vexaframe
