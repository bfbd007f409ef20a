#include "app/win32_preview_window.h"

#include "resource_ids.h"

namespace vexaframe {
namespace {

constexpr wchar_t kPreviewClass[] = L"VexaframePreview";
constexpr wchar_t kPreviewCaption[] = L"Preview Window";
constexpr UINT_PTR kHostWatch = 1;
constexpr UINT kHostWatchMilliseconds = 250;

void RegisterPreviewClass(WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kPreviewClass;
    RegisterClassExW(&windowClass);
}

}  // namespace

Win32PreviewWindow::Win32PreviewWindow(HWND host)
    : still_(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr),
                                             MAKEINTRESOURCEW(VEXAFRAME_PREVIEW_STILL),
                                             IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))) {
    RegisterPreviewClass(Procedure);
    // The whole host area, in pixels: no unit of the host's size limits it.
    RECT area{};
    GetWindowRect(host, &area);
    const HWND window = CreateWindowExW(0, kPreviewClass, kPreviewCaption, WS_CHILD | WS_VISIBLE, 0,
                                        0, area.right - area.left, area.bottom - area.top, host,
                                        nullptr, GetModuleHandleW(nullptr), this);
    // A host that ends without destroying its windows first (a process that is killed, or
    // Wine's way of ending one) never sends the preview WM_DESTROY: watch for it going.
    SetTimer(window, kHostWatch, kHostWatchMilliseconds, nullptr);
}

Win32PreviewWindow::~Win32PreviewWindow() {
    if (still_ != nullptr) DeleteObject(still_);
}

LRESULT CALLBACK Win32PreviewWindow::Procedure(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    const auto* preview =
        reinterpret_cast<const Win32PreviewWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
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
        case WM_TIMER:
            if (!IsWindow(GetParent(window))) PostQuitMessage(0);
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
    if (still_ != nullptr && GetObjectW(still_, sizeof size, &size) != 0) {
        const HDC source = CreateCompatibleDC(target);
        const HGDIOBJ previous = SelectObject(source, still_);
        BitBlt(target, 0, 0, size.bmWidth, size.bmHeight, source, 0, 0, SRCCOPY);
        SelectObject(source, previous);
        DeleteDC(source);
    }
}

}  // namespace vexaframe
