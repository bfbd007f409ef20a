// The Direct3D 8 device under Wine on a virtual X display, through the suite every device passes
// and in what only Direct3D shows. Needs a display: run it through run_on_virtual_display.sh.
#include <d3d8.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "render/solid.h"
#include "render/win32_d3d8_device.h"
#include "support/device_suite.h"

namespace vexaframe {
namespace {

// A child window inside a top-level one: Wine does not show Direct3D frames drawn into a child
// window on the screen, but they are read back from the device all the same.
class TestWindow {
public:
    TestWindow(int width, int height) {
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = kClassName;
        RegisterClassW(&windowClass);  // fails harmlessly when an earlier test registered it
        top_ = CreateWindowExW(0, kClassName, L"d3d8 test", WS_POPUP, 0, 0, width, height, nullptr,
                               nullptr, instance, nullptr);
        child_ = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, width, height,
                                 top_, nullptr, instance, nullptr);
        // Never active: without a window manager Wine waits 2 s to destroy an active window.
        ShowWindow(top_, SW_SHOWNOACTIVATE);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    ~TestWindow() { DestroyWindow(top_); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND Surface() const { return child_; }

private:
    static constexpr const wchar_t* kClassName = L"VexaframeD3D8Test";
    HWND top_ = nullptr;
    HWND child_ = nullptr;
};

// The device the saver would choose, which must be a Direct3D one here.
std::unique_ptr<D3D8Device> CreateDevice(HWND window) {
    const auto maker = MakeD3D8DeviceMaker(window);
    DeviceChoice choice = ChooseRenderDevice(*maker, nullptr);
    if (!dynamic_cast<D3D8Device*>(choice.device.get())) {
        ADD_FAILURE() << "no Direct3D 8 device";
        return nullptr;
    }
    return std::unique_ptr<D3D8Device>(static_cast<D3D8Device*>(choice.device.release()));
}

using SurfacePtr = ComOwned<IDirect3DSurface8>;

// The frame last presented, as the software device hands it on. The back buffer cannot be
// locked, and Wine gives the front buffer back black, so the back buffer is copied out: a
// copying swap effect leaves it as it was presented.
Image ReadPresentedFrame(IDirect3DDevice8& device) {
    IDirect3DSurface8* made = nullptr;
    if (FAILED(device.GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &made))) return {};
    const SurfacePtr backBuffer(made);
    D3DSURFACE_DESC description{};
    backBuffer->GetDesc(&description);
    if (description.Format != D3DFMT_X8R8G8B8 && description.Format != D3DFMT_A8R8G8B8) {
        ADD_FAILURE() << "back buffer format " << description.Format << " is not read here";
        return {};
    }
    if (FAILED(device.CreateImageSurface(description.Width, description.Height, description.Format,
                                         &made)))
        return {};
    const SurfacePtr copy(made);
    D3DLOCKED_RECT locked{};
    if (FAILED(device.CopyRects(backBuffer.get(), nullptr, 0, copy.get(), nullptr)) ||
        FAILED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY)))
        return {};
    Image frame(static_cast<int>(description.Width), static_cast<int>(description.Height));
    for (int y = 0; y < frame.height; ++y) {
        const auto* row = static_cast<const std::byte*>(locked.pBits) + y * locked.Pitch;
        std::memcpy(&frame.pixels[static_cast<std::size_t>(y) * frame.width], row,
                    frame.width * sizeof(std::uint32_t));
    }
    copy->UnlockRect();
    return frame;
}

// A triangle or texel edge falling on the other side of a pixel centre changes a pixel
// completely, while rounding in blending moves channels by a step or two: the tolerance passes
// the second and counts the first. Edge pixels come to 0.05% of the frame at most; a picture
// shifted by half a texel, flipped or with swapped channels changes several percent.
constexpr Tolerance kTolerance{8, 0.005};

class D3D8DeviceUnderTest final : public DeviceUnderTest {
public:
    D3D8DeviceUnderTest(int width, int height) : window_(width, height) {}
    bool Made() const { return device_ != nullptr; }
    RenderDevice& Device() override { return *device_; }
    // The back buffer takes the window's client area.
    Image Presented() override { return ReadPresentedFrame(*device_->Native()); }

private:
    TestWindow window_;
    std::unique_ptr<D3D8Device> device_ = CreateDevice(window_.Surface());
};

INSTANTIATE_TEST_SUITE_P(Direct3D8, DeviceSuite,
                         testing::Values(DeviceKind{"direct3d8", MakeIfMade<D3D8DeviceUnderTest>,
                                                    kTolerance}),
                         DeviceKindName);

// As the saver does once a lost device can be reset: the resources go, the overlay's texture
// among them, the device is reset for its window, and the resources made anew draw the frames
// as before.
TEST(D3D8DeviceReset, ResourcesMadeAnewAfterAResetDrawAsBefore) {
    const Scene scene{"after_reset", 2.2f, 10, 1, 0};
    const OverlayCase& overlay = kOverlayCases[1];
    TestWindow window(kFrameWidth, kFrameHeight);
    std::unique_ptr<D3D8Device> direct3d = CreateDevice(window.Surface());
    ASSERT_TRUE(direct3d);
    SceneResources direct3dResources;
    ASSERT_TRUE(DrawTwice(*direct3d, scene, direct3dResources, &overlay));
    direct3dResources = SceneResources{};
    ASSERT_EQ(direct3d->Reset(), DeviceCondition::Ready);
    EXPECT_EQ(direct3d->Condition(), DeviceCondition::Ready);
    ASSERT_TRUE(DrawTwice(*direct3d, scene, direct3dResources, &overlay));
    const Image drawnByDirect3D = ReadPresentedFrame(*direct3d->Native());

    ExpectAgreement(scene.name, drawnByDirect3D, DrawnBySoftware(scene, false, &overlay),
                    kTolerance);
}

// Each step of making a device against the real runtime, and what the saver then does.
struct CreationCase {
    const char* name;
    const wchar_t* runtimeFile;
    bool onWindow;
    const char* steps;  // the steps that succeed
    std::wstring_view fatalError;
};

class CreationTest : public testing::TestWithParam<CreationCase> {};

TEST_P(CreationTest, StepsThatSucceedAndWhatTheSaverMakesOfThem) {
    const CreationCase& creation = GetParam();
    TestWindow window(64, 64);
    const HWND target = creation.onWindow ? window.Surface() : nullptr;
    std::string steps;
    const auto step = [&](const char* name, bool succeeded) {
        if (succeeded) steps += steps.empty() ? name : std::string(" ") + name;
    };
    {
        const auto maker = MakeD3D8DeviceMaker(target, creation.runtimeFile);
        step("root", maker->CreateRootObject());
        step("object", maker->CreateDirect3DObject());
        step("check", maker->HardwareDrawsInDisplayFormat());
        step("hardware", maker->CreateDevice(Direct3DDeviceType::Hardware) != nullptr);
    }
    EXPECT_EQ(steps, creation.steps);

    bool softwareAsked = false;
    const auto maker = MakeD3D8DeviceMaker(target, creation.runtimeFile);
    const DeviceChoice choice = ChooseRenderDevice(*maker, [&] {
        softwareAsked = true;
        return std::unique_ptr<RenderDevice>();
    });
    EXPECT_EQ(choice.fatalError, creation.fatalError);
    EXPECT_EQ(softwareAsked, creation.fatalError.empty() && !choice.device);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, CreationTest,
    testing::Values(
        CreationCase{"on_a_window", L"d3d8.dll", true, "root object check hardware", {}},
        CreationCase{"runtime_missing", L"vexaframe_no_such_runtime.dll", true, "",
                     kRootObjectError},
        CreationCase{"entry_point_missing", L"kernel32.dll", true, "", kRootObjectError},
        CreationCase{"no_window", L"d3d8.dll", false, "root object check", {}}),
    [](const testing::TestParamInfo<CreationCase>& creation) {
        return std::string(creation.param.name);
    });

// Releasing a resource calls into d3d8.dll, so each one alone keeps it loaded once the device
// is gone, and the library goes with the last of them.
template <typename Make, typename Use>
void ExpectTheRuntimeKeptLoadedBy(Make make, Use useAfterTheDevice) {
    TestWindow window(64, 64);
    std::unique_ptr<D3D8Device> device = CreateDevice(window.Surface());
    ASSERT_TRUE(device);
    auto resource = make(*device);
    ASSERT_TRUE(resource);
    device.reset();
    EXPECT_TRUE(GetModuleHandleW(L"d3d8.dll"));
    useAfterTheDevice(*resource);
    resource.reset();
    EXPECT_FALSE(GetModuleHandleW(L"d3d8.dll"));
}

// The upload holds the device it copies through, so it can finish after the device object goes.
TEST(D3D8DeviceLifetime, EachResourceKeepsTheRuntimeLoadedAndAnUploadFinishes) {
    const auto nothing = [](auto&) {};
    ExpectTheRuntimeKeptLoadedBy(
        [](D3D8Device& device) { return device.CreateTexture(Image(8, 8)); }, nothing);
    ExpectTheRuntimeKeptLoadedBy(
        [](D3D8Device& device) {
            return device.CreateVertexBuffer(kSolidBytes, kSolidVertexFormat);
        },
        nothing);
    ExpectTheRuntimeKeptLoadedBy(
        [](D3D8Device& device) { return device.CreateOverlayTexture(TestOverlay()); }, nothing);
    ExpectTheRuntimeKeptLoadedBy(
        [](D3D8Device& device) {
            return device.BeginTextureUpload(std::make_shared<const Image>(8, 8), nullptr);
        },
        [](TextureUpload& upload) {
            EXPECT_EQ(upload.Step(), TextureUpload::State::Finished);
            EXPECT_TRUE(upload.TakeTexture());
        });
}

}  // namespace
}  // namespace vexaframe
