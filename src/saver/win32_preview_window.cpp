#include "saver/win32_preview_window.h"

#include "platform/win32_window_class.h"
#include "resource_ids.h"

namespace vexaframe {
namespace {

constexpr wchar_t kPreviewClass[] = L"VexaframePreview";
constexpr wchar_t kHostWatchClass[] = L"VexaframePreviewHostWatch";
constexpr wchar_t kPreviewCaption[] = L"Preview Window";
constexpr UINT_PTR kHostWatch = 1;
constexpr UINT kHostWatchMilliseconds = 250;

}  // namespace

Win32PreviewWindow::Win32PreviewWindow(HWND host)
    : host_(host), still_(LoadBitmapResource(VEXAFRAME_PREVIEW_STILL)) {
    RegisterWindowClass(kPreviewClass, Procedure);
    RegisterWindowClass(kHostWatchClass, HostWatchProcedure);
    // The whole host area, in pixels: no unit of the host's size limits it.
    RECT area{};
    GetWindowRect(host, &area);
    window_ = CreateWindowExW(0, kPreviewClass, kPreviewCaption, WS_CHILD | WS_VISIBLE, 0, 0,
                              area.right - area.left, area.bottom - area.top, host, nullptr,
                              GetModuleHandleW(nullptr), this);
    // A host process that is killed takes the preview window with it, without a WM_DESTROY
    // under Wine: a window of our own that no host can take watches for the host going.
    hostWatch_.reset(CreateWindowExW(0, kHostWatchClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     GetModuleHandleW(nullptr), this));
    const bool watching =
        hostWatch_ && SetTimer(hostWatch_.get(), kHostWatch, kHostWatchMilliseconds, nullptr) != 0;
    // Unwatched, the program might outlive its host: better no preview at all.
    if (window_ != nullptr && !watching) {
        DestroyWindow(window_);
        window_ = nullptr;
    }
}

LRESULT CALLBACK Win32PreviewWindow::HostWatchProcedure(HWND window, UINT message, WPARAM wParam,
                                                        LPARAM lParam) {
    const auto* preview = WindowOwner<const Win32PreviewWindow>(window, message, lParam);
    if (message == WM_TIMER && preview != nullptr && !IsWindow(preview->host_)) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK Win32PreviewWindow::Procedure(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    const auto* preview = WindowOwner<const Win32PreviewWindow>(window, message, lParam);
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            const HDC target = BeginPaint(window, &paint);
            if (preview != nullptr) preview->Paint(target);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_PRINTCLIENT:  // the same picture for whoever asks for a copy of the window
            if (preview != nullptr) preview->Paint(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_DESTROY:  // the host went, and with it the program's only window
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

void Win32PreviewWindow::Paint(HDC target) const {
    BITMAP size{};
    if (!still_ || GetObjectW(still_.get(), sizeof size, &size) == 0) return;
    const OwnedMemoryDC source(CreateCompatibleDC(target));
    if (!source) return;
    const Selection selected(source.get(), still_.get());
    BitBlt(target, 0, 0, size.bmWidth, size.bmHeight, source.get(), 0, 0, SRCCOPY);
}

}  // namespace vexaframe
