#pragma once
// The suite every device besides the software one passes: the saver's scenes and its uploads
// between frames drawn as the software device draws them, and the rules every device keeps for
// its resources. A test program includes it once and instantiates it with its device:
//   INSTANTIATE_TEST_SUITE_P(OpenGl, DeviceSuite, testing::Values(DeviceKind{...}));

#include <memory>

#include "support/device_differential.h"

namespace vexaframe {

// A device drawing into a surface of its platform, and the frame it presented last.
class DeviceUnderTest {
public:
    virtual ~DeviceUnderTest() = default;
    virtual RenderDevice& Device() = 0;
    virtual Image Presented() = 0;
};

struct DeviceKind {
    const char* name;
    // Nothing, after a failure saying why, when the platform makes no such device.
    std::unique_ptr<DeviceUnderTest> (*make)(int width, int height);
    Tolerance tolerance;
};

// DeviceKind's `make` for a DeviceUnderTest that says whether it Made its device.
template <typename Made>
std::unique_ptr<DeviceUnderTest> MakeIfMade(int width, int height) {
    auto made = std::make_unique<Made>(width, height);
    return made->Made() ? std::move(made) : nullptr;
}

class DeviceSuite : public testing::TestWithParam<DeviceKind> {
protected:
    std::unique_ptr<DeviceUnderTest> Make(int width = kFrameWidth, int height = kFrameHeight) {
        return GetParam().make(width, height);
    }
};

inline std::string DeviceKindName(const testing::TestParamInfo<DeviceKind>& kind) {
    return kind.param.name;
}

TEST_P(DeviceSuite, FramesAgreeWithTheSoftwareDevice) {
    for (const Scene& scene : kDifferentialScenes) {
        const std::unique_ptr<DeviceUnderTest> made = Make();
        ASSERT_TRUE(made);
        SceneResources resources;
        ASSERT_TRUE(DrawTwice(made->Device(), scene, resources)) << scene.name;
        ExpectAgreement(scene.name, made->Presented(), DrawnBySoftware(scene),
                        GetParam().tolerance);
    }
}

TEST_P(DeviceSuite, OverlaysDrawAsTheSoftwareDevice) {
    const Scene& scene = kDifferentialScenes[1];
    for (const OverlayCase& overlay : kOverlayCases) {
        const std::unique_ptr<DeviceUnderTest> made = Make();
        ASSERT_TRUE(made);
        SceneResources resources;
        ASSERT_TRUE(DrawTwice(made->Device(), scene, resources, &overlay)) << overlay.name;
        ExpectAgreement(overlay.name, made->Presented(), DrawnBySoftware(scene, false, &overlay),
                        GetParam().tolerance);
    }
}

// The frames after an overlay are those of a device that never drew one, pixel for pixel, in
// every one of the saver's scenes: the overlay set back every state it changed.
TEST_P(DeviceSuite, AFrameAfterAnOverlayIsAsIfThereHadBeenNone) {
    for (const Scene& scene : kDifferentialScenes) {
        const std::unique_ptr<DeviceUnderTest> plain = Make(), overlaid = Make();
        ASSERT_TRUE(plain && overlaid);
        SceneResources plainResources, resources;
        ASSERT_TRUE(DrawTwice(plain->Device(), scene, plainResources));
        ASSERT_TRUE(DrawTwice(overlaid->Device(), scene, resources, &kOverlayCases[0]));
        ASSERT_TRUE(DrawTwice(overlaid->Device(), scene, resources));
        EXPECT_TRUE(plain->Presented().pixels == overlaid->Presented().pixels) << scene.name;
    }
}

// Only a retired texture of this device and size is written over.
TEST_P(DeviceSuite, ATextureUploadedBetweenFramesDrawsAsTheSoftwareDevice) {
    for (const UploadCase& upload : kUploadCases) {
        const Scene scene{upload.name, 2.2f, 10, 0, 0};
        const std::unique_ptr<DeviceUnderTest> made = Make();
        ASSERT_TRUE(made);
        std::unique_ptr<DeviceTexture> retired = RetiredTexture(made->Device(), upload.retired);
        const DeviceTexture* const retiredAddress = retired.get();
        const std::unique_ptr<DeviceTexture> texture =
            UploadBetweenFrames(made->Device(), scene, std::move(retired));
        ASSERT_TRUE(texture) << upload.name;
        if (upload.retired == Retired::SameSize) {
            EXPECT_EQ(texture.get(), retiredAddress);
        }
        ExpectAgreement(scene.name, made->Presented(), DrawnBySoftware(scene, true),
                        GetParam().tolerance);
    }
}

TEST_P(DeviceSuite, KeepsTheResourceRules) {
    const std::unique_ptr<DeviceUnderTest> made = Make(64, 64);
    ASSERT_TRUE(made);
    RenderDevice& device = made->Device();
    ExpectResourceRules(device);
    // Another device's: those of a software device, which only software devices share.
    SoftwareDevice other(8, 8, nullptr);
    const auto foreignTexture = other.CreateTexture(Image(8, 8));
    const auto foreignBuffer = other.CreateVertexBuffer(kSolidBytes, kSolidVertexFormat);
    EXPECT_FALSE(device.SetTexture(0, foreignTexture.get()));
    EXPECT_FALSE(device.SetStreamSource(0, foreignBuffer.get(), 36));
    EXPECT_TRUE(device.SetTexture(0, nullptr));
    EXPECT_TRUE(device.SetStreamSource(0, nullptr, 36));
}

}  // namespace vexaframe
