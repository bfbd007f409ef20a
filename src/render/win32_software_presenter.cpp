#include "render/win32_software_presenter.h"

#include <stdexcept>

#include "pictures/win32_image_format.h"
#include "platform/win32_handles.h"

namespace vexaframe {
namespace {

// Only the changed region goes. GDI counts the source's rows from the bitmap's bottom even for
// a top-down one like ours: the region's top row is frame.height - changed.bottom rows up.
void CopyToWindow(HWND window, const Image& frame, const PixelRegion& changed) {
    if (changed.Empty()) return;
    const BITMAPINFO format = ImageFormat(frame.width, frame.height);
    const WindowDC context(window);
    if (!context) return;
    SetDIBitsToDevice(context.get(), changed.left, changed.top,
                      static_cast<DWORD>(changed.Width()), static_cast<DWORD>(changed.Height()),
                      changed.left, frame.height - changed.bottom, 0,
                      static_cast<UINT>(frame.height), frame.pixels.data(), &format,
                      DIB_RGB_COLORS);
}

}  // namespace

std::unique_ptr<SoftwareDevice> MakeSoftwareDeviceFor(HWND window) {
    RECT client{};
    if (!GetClientRect(window, &client)) return nullptr;
    try {
        return std::make_unique<SoftwareDevice>(
            client.right - client.left, client.bottom - client.top,
            [window](const Image& frame, const PixelRegion& changed) {
                CopyToWindow(window, frame, changed);
            });
    } catch (const std::invalid_argument&) {
        return nullptr;
    }
}

}  // namespace vexaframe
