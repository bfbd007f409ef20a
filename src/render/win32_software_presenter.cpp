#include "render/win32_software_presenter.h"

#include <stdexcept>

#include "pictures/win32_image_format.h"
#include "platform/win32_handles.h"

namespace vexaframe {
namespace {

// The changed rows alone make the bitmap handed over, exactly as tall as the region: which
// corner GDI counts source rows from depends on a bitmap's direction, and a bitmap taken
// from its first row to its last leaves none to count.
void CopyToWindow(HWND window, const Image& frame, const PixelRegion& changed) {
    if (changed.Empty()) return;
    const BITMAPINFO format = ImageFormat(frame.width, changed.Height());
    const WindowDC context(window);
    if (!context) return;
    const std::uint32_t* firstRow =
        frame.pixels.data() + static_cast<std::size_t>(changed.top) * frame.width;
    SetDIBitsToDevice(context.get(), changed.left, changed.top, static_cast<DWORD>(changed.Width()),
                      static_cast<DWORD>(changed.Height()), changed.left, 0, 0,
                      static_cast<UINT>(changed.Height()), firstRow, &format, DIB_RGB_COLORS);
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
