// The software device's frames in a window through GDI under Wine, read back from the window:
// only changed regions go after the first frame, and they must land where they belong. Needs a
// display: run it through run_on_virtual_display.sh.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <numeric>
#include <span>
#include <vector>

#include "render/solid.h"
#include "render/win32_software_presenter.h"

namespace vexaframe {
namespace {

constexpr int kWidth = 320, kHeight = 240;

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// What the window shows, as 0x00RRGGBB.
Image ReadWindow(HWND window) {
    Image shown(kWidth, kHeight);
    const HDC windowContext = GetDC(window);
    const HDC memory = CreateCompatibleDC(windowContext);
    BITMAPINFO format{};
    format.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(memory, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, kWidth, kHeight, windowContext, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    for (std::size_t i = 0; i < shown.pixels.size(); ++i) shown.pixels[i] = pixels[i] & 0xFFFFFF;
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, windowContext);
    return shown;
}

// A rectangle between window corners, a different colour at each, so that a region put a row or
// a column off shows.
bool DrawRectangle(RenderDevice& device, float left, float top, float right, float bottom) {
    const auto vertex = [](float column, float row, std::uint32_t colour) {
        return SolidVertex{
            column * 2 / kWidth - 1, 1 - row * 2 / kHeight, 0.5f, 0, 0, -1, colour, 0, 0};
    };
    const SolidVertex a = vertex(left, top, 0xFFFF0000), b = vertex(right, top, 0xFF00FF00);
    const SolidVertex c = vertex(left, bottom, 0xFF0000FF), d = vertex(right, bottom, 0xFFFFFFFF);
    const std::vector<SolidVertex> vertices{a, b, c, c, b, d};
    const auto buffer =
        device.CreateVertexBuffer(std::span(vertices).size_bytes(), kSolidVertexFormat);
    return buffer && buffer->SetData(0, std::as_bytes(std::span(vertices))) &&
           device.SetVertexShader(kSolidVertexFormat) &&
           device.SetStreamSource(0, buffer.get(), sizeof(SolidVertex)) &&
           device.SetRenderState(RenderState::Lighting, 0) && device.Clear(0, 1) &&
           device.BeginScene() && device.DrawPrimitive(PrimitiveType::TriangleList, 0, 2) &&
           device.EndScene() && device.Present();
}

TEST(GdiPresenter, TheWindowShowsEachFrameThoughOnlyItsChangedRegionWent) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"VexaframeGdiPresenterTest";
    RegisterClassW(&windowClass);
    const HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, kWidth,
                                        kHeight, nullptr, nullptr, instance, nullptr);
    ASSERT_NE(window, nullptr);
    // Never active: without a window manager Wine waits 2 s to destroy an active window.
    ShowWindow(window, SW_SHOWNOACTIVATE);
    PumpMessages();

    const auto device = MakeSoftwareDeviceFor(window);
    ASSERT_NE(device, nullptr);
    Image expected;
    int partial = 0;
    SoftwareDevice reference(kWidth, kHeight, [&](const Image& frame, const PixelRegion& changed) {
        expected = frame;
        for (std::uint32_t& pixel : expected.pixels) pixel &= 0xFFFFFF;
        partial += changed.Width() * changed.Height() < kWidth * kHeight;
    });
    const float rectangles[][4] = {
        {10, 10, 60, 50},  {200, 150, 260, 230}, {100, 90, 140, 120},
        {280, 5, 318, 40}, {5, 200, 30, 238},
    };
    for (const auto& [left, top, right, bottom] : rectangles) {
        ASSERT_TRUE(DrawRectangle(*device, left, top, right, bottom));
        ASSERT_TRUE(DrawRectangle(reference, left, top, right, bottom));
        PumpMessages();
        const Image shown = ReadWindow(window);
        const auto differing =
            std::inner_product(shown.pixels.begin(), shown.pixels.end(), expected.pixels.begin(), 0,
                               std::plus<>(), std::not_equal_to<>());
        EXPECT_EQ(differing, 0) << left << ", " << top;
    }
    EXPECT_EQ(partial, 4);
    DestroyWindow(window);
}

}  // namespace
}  // namespace vexaframe
