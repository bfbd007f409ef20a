// The preview window inside a host area, drawn into a bitmap as the window draws itself; its
// place in the host is the preview's end-to-end test's.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "pictures/bmp_file.h"
#include "pictures/win32_image_format.h"
#include "platform/win32_file_system.h"
#include "saver/win32_preview_window.h"

namespace vexaframe {
namespace {

constexpr std::uint32_t kBlack = 0xFF000000;

// What the window draws for a copy of itself: its background, then its picture.
Image DrawingOf(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    const BITMAPINFO format = ImageFormat(client.right, client.bottom);
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HDC memory = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
    Image drawing(client.right, client.bottom);
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    for (std::uint32_t& pixel : drawing.pixels) pixel = 0xFF000000 | *pixels++;
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(bitmap);
    return drawing;
}

struct Host {
    explicit Host(int width, int height)
        : window(CreateWindowExW(0, L"Static", L"", WS_POPUP | WS_CLIPCHILDREN, 0, 0, width, height,
                                 nullptr, nullptr, nullptr, nullptr)) {}
    ~Host() { DestroyWindow(window); }
    HWND window;
};

TEST(PreviewWindowTest, ShowsTheStillUnstretchedAtTheTopLeftOfAnyAreaOnBlack) {
    const Image still =
        DecodeBmp(Win32FileSystem().ReadFile(VEXAFRAME_PREVIEW_STILL_FILE).value()).value();
    ASSERT_EQ(std::pair(still.width, still.height), std::pair(152, 112));
    for (const auto& [width, height] : {std::pair{152, 112}, {200, 150}, {100, 80}}) {
        const Host host(width, height);
        const Win32PreviewWindow preview(host.window);
        const HWND window = FindWindowExW(host.window, nullptr, nullptr, L"Preview Window");
        ASSERT_NE(window, nullptr);
        Image expected(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                expected.At(x, y) = x < still.width && y < still.height ? still.At(x, y) : kBlack;
        EXPECT_EQ(DrawingOf(window).pixels, expected.pixels) << width << " x " << height;
    }
}

TEST(PreviewWindowTest, TheProgramEndsWhenTheHostDestroysThePreview) {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    {
        const Host host(152, 112);
        const Win32PreviewWindow preview(host.window);
    }
    bool quit = false;
    while (!quit && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        quit = message.message == WM_QUIT;
    EXPECT_TRUE(quit);
}

}  // namespace
}  // namespace vexaframe
