// The Direct3D 8 device under Wine on a virtual X display: the same frames drawn through it
// and through the software device must agree, and its resources must behave as the software
// ones do. Needs a display: run it through run_on_virtual_display.sh.
#include <d3d8.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "pictures/bmp_file.h"
#include "render/frame.h"
#include "render/scene_resources.h"
#include "render/software_device.h"
#include "render/solid.h"
#include "render/win32_d3d8_device.h"

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

// Coloured quarters with a light border and a diagonal, so that a swapped channel, a flipped
// or turned picture shows; in blocks of 4 texels so that the devices' sampling may differ
// only along block edges.
Image TestPicture() {
    constexpr int kSide = 64;
    const std::uint32_t quarters[2][2] = {{0xFFE03030, 0xFF30C040}, {0xFF3050E0, 0xFFE0C020}};
    Image picture(kSide, kSide);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const bool marked = x < 4 || y < 4 || x >= kSide - 4 || y >= kSide - 4 ||
                                (x / 4 == y / 4 && x < kSide / 2);
            picture.At(x, y) = marked ? 0xFFF0F0F0 : quarters[y / 32][x / 32];
        }
    }
    return picture;
}

// The test picture stretched to several bands' height and to the software device's widest
// texture, upside down when asked, so that a band left over from another picture shows.
Image LargeTestPicture(bool upsideDown) {
    constexpr int kWidth = 4096, kHeight = 1024;
    const Image small = TestPicture();
    Image picture(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        const int row = y * small.height / kHeight;
        for (int x = 0; x < kWidth; ++x)
            picture.At(x, y) =
                small.At(x * small.width / kWidth, upsideDown ? small.height - 1 - row : row);
    }
    return picture;
}

struct Scene {
    const char* name;
    float seconds;
    std::int16_t pattern;
    std::int16_t transparency;
    std::int16_t patternAlpha;
};

// Two frames, as the first one after the device is made is drawn before the lights are set.
bool DrawTwice(RenderDevice& device, const Scene& scene, SceneResources& resources) {
    if (!CreateResources(device, EncodeBmp24(TestPicture()), resources,
                         [](ResourceProblem) { ADD_FAILURE() << "a resource is missing"; }))
        return false;
    const SceneState state{scene.pattern, scene.patternAlpha, scene.transparency,
                           resources.Texture.get()};
    StillClock clock(scene.seconds);
    return RenderFrame(device, clock, state) && RenderFrame(device, clock, state);
}

int LargestChannelDifference(std::uint32_t a, std::uint32_t b) {
    int largest = 0;
    for (int shift : {0, 8, 16}) {
        const int channelA = static_cast<int>((a >> shift) & 0xFF);
        const int channelB = static_cast<int>((b >> shift) & 0xFF);
        largest = std::max(largest, std::abs(channelA - channelB));
    }
    return largest;
}

// A triangle or texel edge falling on the other side of a pixel centre changes a pixel
// completely, while rounding in blending moves channels by a step or two: the tolerance passes
// the second and counts the first. Edge pixels come to 0.05% of the frame at most; a picture
// shifted by half a texel, flipped or with swapped channels changes several percent.
constexpr int kChannelTolerance = 8;
constexpr double kDifferingShare = 0.005;
// A scene must fill enough of the frame for the comparison to mean something.
constexpr double kDrawnShare = 0.10;

struct Agreement {
    int differing = 0;  // pixels with a channel off by more than kChannelTolerance
    int drawn = 0;      // pixels the software device did not leave black
};

Agreement Compare(const Image& direct3d, const Image& software) {
    Agreement agreement;
    for (std::size_t i = 0; i < software.pixels.size(); ++i) {
        if (LargestChannelDifference(direct3d.pixels[i], software.pixels[i]) > kChannelTolerance)
            ++agreement.differing;
        if ((software.pixels[i] & 0xFFFFFF) != 0) ++agreement.drawn;
    }
    return agreement;
}

constexpr int kFrameWidth = 320, kFrameHeight = 240;

// The reference frame: the scene drawn the same way by the software device.
Image DrawnBySoftware(const Scene& scene) {
    Image drawn;
    SoftwareDevice software(kFrameWidth, kFrameHeight, [&](const Image& frame) { drawn = frame; });
    SceneResources resources;
    EXPECT_TRUE(DrawTwice(software, scene, resources));
    return drawn;
}

void ExpectAgreement(const char* name, const Image& direct3d, const Image& software) {
    ASSERT_EQ(direct3d.pixels.size(), software.pixels.size());
    const Agreement agreement = Compare(direct3d, software);
    const double total = static_cast<double>(kFrameWidth) * kFrameHeight;
    std::printf("%-22s %5d of %d pixels differ (%.2f%%); %.1f%% of the frame drawn\n", name,
                agreement.differing, kFrameWidth * kFrameHeight, 100 * agreement.differing / total,
                100 * agreement.drawn / total);
    EXPECT_GE(agreement.drawn, kDrawnShare * total);
    EXPECT_LE(agreement.differing, kDifferingShare * total);
}

class DifferentialTest : public testing::TestWithParam<Scene> {};

TEST_P(DifferentialTest, FramesAgreeWithTheSoftwareDevice) {
    const Scene& scene = GetParam();
    TestWindow window(kFrameWidth, kFrameHeight);
    std::unique_ptr<D3D8Device> direct3d = CreateDevice(window.Surface());
    ASSERT_TRUE(direct3d);
    SceneResources direct3dResources;
    ASSERT_TRUE(DrawTwice(*direct3d, scene, direct3dResources));
    const Image drawnByDirect3D = ReadPresentedFrame(*direct3d->Native());
    // The back buffer takes the window's client area.
    ASSERT_EQ(drawnByDirect3D.width, kFrameWidth);
    ASSERT_EQ(drawnByDirect3D.height, kFrameHeight);

    ExpectAgreement(scene.name, drawnByDirect3D, DrawnBySoftware(scene));
}

INSTANTIATE_TEST_SUITE_P(Scenes, DifferentialTest,
                         testing::Values(Scene{"whole_solid_opaque", 0.5f, 10, 0, 0},
                                         Scene{"whole_solid_blended", 0.5f, 10, 1, 0},
                                         Scene{"turned_opaque", 2.2f, 10, 0, 0},
                                         Scene{"turned_blended", 2.2f, 10, 1, 0},
                                         Scene{"few_faces_blended", 4.0f, 5, 2, 1},
                                         Scene{"few_faces_opaque", 5.5f, 4, 2, 0}),
                         [](const testing::TestParamInfo<Scene>& scene) {
                             return std::string(scene.param.name);
                         });

// As the saver does once a lost device can be reset: the resources go, the device is reset for
// its window, and the resources made anew draw the frames as before.
TEST(D3D8DeviceReset, ResourcesMadeAnewAfterAResetDrawAsBefore) {
    const Scene scene{"after_reset", 2.2f, 10, 1, 0};
    TestWindow window(kFrameWidth, kFrameHeight);
    std::unique_ptr<D3D8Device> direct3d = CreateDevice(window.Surface());
    ASSERT_TRUE(direct3d);
    SceneResources direct3dResources;
    ASSERT_TRUE(DrawTwice(*direct3d, scene, direct3dResources));
    direct3dResources = SceneResources{};
    ASSERT_EQ(direct3d->Reset(), DeviceCondition::Ready);
    EXPECT_EQ(direct3d->Condition(), DeviceCondition::Ready);
    ASSERT_TRUE(DrawTwice(*direct3d, scene, direct3dResources));
    const Image drawnByDirect3D = ReadPresentedFrame(*direct3d->Native());

    ExpectAgreement(scene.name, drawnByDirect3D, DrawnBySoftware(scene));
}

// What the saver hands back as the retired texture when it starts an upload.
enum class Retired { None, SameSize, OtherSize, OtherDevice };

struct UploadCase {
    const char* name;
    Retired retired;
};

class UploadTest : public testing::TestWithParam<UploadCase> {};

// As the saver does it: one step per frame while the previous picture is drawn, then a frame
// with the new texture. Only a retired texture of this device and size is written over.
TEST_P(UploadTest, ATextureUploadedBetweenFramesDrawsAsTheSoftwareDevice) {
    const UploadCase& upload = GetParam();
    const Scene scene{upload.name, 2.2f, 10, 0, 0};
    TestWindow window(kFrameWidth, kFrameHeight);
    std::unique_ptr<D3D8Device> direct3d = CreateDevice(window.Surface());
    ASSERT_TRUE(direct3d);
    Image drawnBySoftware;
    SoftwareDevice software(kFrameWidth, kFrameHeight,
                            [&](const Image& frame) { drawnBySoftware = frame; });

    std::unique_ptr<DeviceTexture> retired;
    switch (upload.retired) {
        case Retired::None:
            break;
        case Retired::SameSize:
            retired = direct3d->CreateTexture(LargeTestPicture(true));
            break;
        case Retired::OtherSize:
            retired = direct3d->CreateTexture(TestPicture());
            break;
        case Retired::OtherDevice:
            retired = software.CreateTexture(LargeTestPicture(true));
            break;
    }
    const DeviceTexture* const retiredAddress = retired.get();
    SceneResources direct3dResources;
    ASSERT_TRUE(DrawTwice(*direct3d, scene, direct3dResources));
    const auto uploading = direct3d->BeginTextureUpload(
        std::make_shared<const Image>(LargeTestPicture(false)), std::move(retired));
    ASSERT_TRUE(uploading);
    StillClock clock(scene.seconds);
    SceneState state{scene.pattern, scene.patternAlpha, scene.transparency,
                     direct3dResources.Texture.get()};
    TextureUpload::State progress;
    while ((progress = uploading->Step()) == TextureUpload::State::Uploading)
        ASSERT_TRUE(RenderFrame(*direct3d, clock, state));
    ASSERT_EQ(progress, TextureUpload::State::Finished);
    const std::unique_ptr<DeviceTexture> texture = uploading->TakeTexture();
    ASSERT_TRUE(texture);
    if (upload.retired == Retired::SameSize) {
        EXPECT_EQ(texture.get(), retiredAddress);
    }
    state.Texture = texture.get();
    ASSERT_TRUE(RenderFrame(*direct3d, clock, state));
    const Image drawnByDirect3D = ReadPresentedFrame(*direct3d->Native());

    SceneResources softwareResources;
    ASSERT_TRUE(DrawTwice(software, scene, softwareResources));
    const std::unique_ptr<DeviceTexture> softwareTexture =
        software.CreateTexture(LargeTestPicture(false));
    state.Texture = softwareTexture.get();
    ASSERT_TRUE(RenderFrame(software, clock, state));
    ExpectAgreement(scene.name, drawnByDirect3D, drawnBySoftware);
}

INSTANTIATE_TEST_SUITE_P(Retired, UploadTest,
                         testing::Values(UploadCase{"upload_new", Retired::None},
                                         UploadCase{"upload_over_retired", Retired::SameSize},
                                         UploadCase{"upload_other_size", Retired::OtherSize},
                                         UploadCase{"upload_other_device", Retired::OtherDevice}),
                         [](const testing::TestParamInfo<UploadCase>& upload) {
                             return std::string(upload.param.name);
                         });

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

class D3D8ResourceTest : public testing::Test {
protected:
    TestWindow window_{64, 64};
    std::unique_ptr<D3D8Device> device_ = CreateDevice(window_.Surface());
};

constexpr std::size_t kSolidBytes = sizeof(SolidVertexList);

TEST_F(D3D8ResourceTest, VertexDataMustFitTheBuffer) {
    ASSERT_TRUE(device_);
    const std::unique_ptr<VertexBuffer> buffer =
        device_->CreateVertexBuffer(kSolidBytes, kSolidVertexFormat);
    ASSERT_TRUE(buffer);
    const std::vector<std::byte> data(kSolidBytes + 1);
    const struct {
        std::size_t offset, size;
        bool fits;
    } cases[] = {
        {0, kSolidBytes, true},      {kSolidBytes - 36, 36, true},  {kSolidBytes, 0, true},
        {0, kSolidBytes + 1, false}, {kSolidBytes - 35, 36, false}, {kSolidBytes + 1, 0, false},
        {SIZE_MAX, 1, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(buffer->SetData(c.offset, std::span(data).first(c.size)), c.fits)
            << c.offset << "+" << c.size;
}

TEST_F(D3D8ResourceTest, TexturesAreMadeOnlyFromWholePictures) {
    ASSERT_TRUE(device_);
    Image shortOfPixels(8, 8);
    shortOfPixels.pixels.pop_back();
    EXPECT_FALSE(device_->CreateTexture(shortOfPixels));
    EXPECT_FALSE(device_->CreateTexture(Image()));
    EXPECT_FALSE(device_->BeginTextureUpload(nullptr, nullptr));
    EXPECT_TRUE(device_->CreateTexture(Image(8, 8)));
}

TEST_F(D3D8ResourceTest, TakesTexturesAsLargeAsItsLimits) {
    ASSERT_TRUE(device_);
    const TextureLimits limits = device_->Limits();
    std::printf("%s device; largest texture side %d, powers of two only: %d\n",
                device_->Type() == Direct3DDeviceType::Hardware ? "hardware" : "reference",
                limits.maxTextureSize, limits.powerOfTwoOnly);
    ASSERT_GE(limits.maxTextureSize, 256);
    EXPECT_TRUE(device_->CreateTexture(Image(limits.maxTextureSize, 1)));
}

TEST_F(D3D8ResourceTest, RefusesResourcesOfAnotherDevice) {
    ASSERT_TRUE(device_);
    SoftwareDevice software(8, 8, nullptr);
    const auto foreignTexture = software.CreateTexture(Image(8, 8));
    const auto foreignBuffer = software.CreateVertexBuffer(kSolidBytes, kSolidVertexFormat);
    EXPECT_FALSE(device_->SetTexture(0, foreignTexture.get()));
    EXPECT_FALSE(device_->SetStreamSource(0, foreignBuffer.get(), 36));
    EXPECT_TRUE(device_->SetTexture(0, nullptr));
    EXPECT_TRUE(device_->SetStreamSource(0, nullptr, 36));
}

// Releasing a resource calls into d3d8.dll, so each one alone keeps it loaded once the device
// is gone, and the library goes with the last of them.
template <typename Make>
void ExpectTheRuntimeKeptLoadedBy(Make make) {
    TestWindow window(64, 64);
    std::unique_ptr<D3D8Device> device = CreateDevice(window.Surface());
    ASSERT_TRUE(device);
    auto resource = make(*device);
    ASSERT_TRUE(resource);
    device.reset();
    EXPECT_TRUE(GetModuleHandleW(L"d3d8.dll"));
    resource.reset();
    EXPECT_FALSE(GetModuleHandleW(L"d3d8.dll"));
}

TEST(D3D8DeviceLifetime, ATextureKeepsTheRuntimeLoaded) {
    ExpectTheRuntimeKeptLoadedBy(
        [](D3D8Device& device) { return device.CreateTexture(Image(8, 8)); });
}

// The upload holds the device it copies through, so it can finish after the device object goes.
TEST(D3D8DeviceLifetime, AnUploadFinishesAfterItsDeviceAndKeepsTheRuntimeLoaded) {
    ExpectTheRuntimeKeptLoadedBy([](D3D8Device& device) {
        return device.BeginTextureUpload(std::make_shared<const Image>(8, 8), nullptr);
    });
    TestWindow window(64, 64);
    std::unique_ptr<D3D8Device> device = CreateDevice(window.Surface());
    ASSERT_TRUE(device);
    const auto upload = device->BeginTextureUpload(std::make_shared<const Image>(8, 8), nullptr);
    ASSERT_TRUE(upload);
    device.reset();
    EXPECT_EQ(upload->Step(), TextureUpload::State::Finished);
    EXPECT_TRUE(upload->TakeTexture());
}

TEST(D3D8DeviceLifetime, AVertexBufferKeepsTheRuntimeLoaded) {
    ExpectTheRuntimeKeptLoadedBy([](D3D8Device& device) {
        return device.CreateVertexBuffer(kSolidBytes, kSolidVertexFormat);
    });
}

}  // namespace
}  // namespace vexaframe
