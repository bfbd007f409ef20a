#include "render/win32_software_presenter.h"

#include <stdexcept>

#include "pictures/win32_image_format.h"
#include "platform/win32_handles.h"

namespace vexaframe {
namespace {

void CopyToWindow(HWND window, const Image& frame) {
    const BITMAPINFO format = ImageFormat(frame.width, frame.height);
    const WindowDC context(window);
    if (!context) return;
    SetDIBitsToDevice(context.get(), 0, 0, static_cast<DWORD>(frame.width),
                      static_cast<DWORD>(frame.height), 0, 0, 0, static_cast<UINT>(frame.height),
                      frame.pixels.data(), &format, DIB_RGB_COLORS);
}

}  // namespace

std::unique_ptr<SoftwareDevice> MakeSoftwareDeviceFor(HWND window) {
    RECT client{};
    if (!GetClientRect(window, &client)) return nullptr;
    try {
        return std::make_unique<SoftwareDevice>(
            client.right - client.left, client.bottom - client.top,
            [window](const Image& frame) { CopyToWindow(window, frame); });
    } catch (const std::invalid_argument&) {
        return nullptr;
    }
}

}  // namespace vexaframe
