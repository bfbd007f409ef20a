#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "render/device_choice.h"
#include "render/software_device.h"

namespace vexaframe {
namespace {

// Fails the steps named in `failing`; records the steps taken, and which kind each device is.
class FakeMaker : public Direct3DDeviceMaker {
public:
    explicit FakeMaker(std::string failing) : failing_(std::move(failing)) {}

    bool CreateRootObject() override { return Step("root"); }
    bool CreateDirect3DObject() override { return Step("object"); }
    bool HardwareDrawsInDisplayFormat() override { return Step("check"); }
    std::unique_ptr<RenderDevice> CreateDevice(Direct3DDeviceType type) override {
        return Device(type == Direct3DDeviceType::Hardware ? "hardware" : "reference");
    }
    std::unique_ptr<RenderDevice> Device(const std::string& kind) {
        if (!Step(kind)) return nullptr;
        auto device = std::make_unique<SoftwareDevice>(1, 1, nullptr);
        kinds[device.get()] = kind;
        return device;
    }

    bool Step(const std::string& name) {
        steps += (steps.empty() ? "" : " ") + name;
        return failing_.find(name) == std::string::npos;
    }

    std::string steps;
    std::map<const RenderDevice*, std::string> kinds;

private:
    std::string failing_;
};

// A context whose renderer is `renderer`, taking its steps and its failures from `maker`.
class FakeOpenGl : public OpenGlDeviceMaker {
public:
    FakeOpenGl(FakeMaker& maker, std::string renderer)
        : maker_(maker), renderer_(std::move(renderer)) {}

    std::optional<std::string> CreateContext() override {
        if (!maker_.Step("context")) return std::nullopt;
        return renderer_;
    }
    std::unique_ptr<RenderDevice> CreateDevice() override { return maker_.Device("opengl"); }
    void ReleaseContext() override { maker_.Step("release"); }

private:
    FakeMaker& maker_;
    std::string renderer_;
};

TEST(DeviceChoice, HardwareThenReferenceThenSoftwareAndTheRuntimeMissingEnds) {
    const struct {
        const char* failing;
        const char* steps;
        const char* chosen;  // empty: none
        std::wstring_view fatalError;
    } cases[] = {
        {"", "root object check hardware", "hardware", {}},
        {"check", "root object check reference", "reference", {}},
        {"hardware", "root object check hardware reference", "reference", {}},
        {"hardware reference", "root object check hardware reference software", "software", {}},
        {"check reference", "root object check reference software", "software", {}},
        {"check hardware reference software", "root object check reference software", "", {}},
        {"root", "root", "", kRootObjectError},
        {"object", "root object", "", kDirect3DObjectError},
    };
    for (const auto& c : cases) {
        FakeMaker maker(c.failing);
        const DeviceChoice choice =
            ChooseRenderDevice(maker, [&] { return maker.Device("software"); });
        EXPECT_EQ(maker.steps, c.steps) << c.failing;
        EXPECT_EQ(choice.device ? maker.kinds.at(choice.device.get()) : "", c.chosen) << c.failing;
        EXPECT_EQ(choice.fatalError, c.fatalError) << c.failing;
    }
}

TEST(DeviceChoice, SoftwareRasterisersAreNamedAsWordsInAnyCase) {
    for (const char* renderer : {"llvmpipe (LLVM 15.0.6, 256 bits)", "Gallium 0.4 on SoftPipe",
                                 "Mesa swrast", "Software Rasterizer"}) {
        EXPECT_TRUE(IsSoftwareRasteriser(renderer)) << renderer;
    }
    for (const char* renderer : {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", "AMD Radeon", "",
                                 "xswrast", "llvmpipes", "Software"}) {
        EXPECT_FALSE(IsSoftwareRasteriser(renderer)) << renderer;
    }
}

// A graphics processor's OpenGL unless the software device is asked for; a software
// rasteriser's only when OpenGL is; and a context not taken is let go before the software
// device takes the window.
TEST(DeviceChoice, OpenGlOfAGraphicsProcessorElseSoftware) {
    using enum DevicePreference;
    constexpr const char* kProcessor = "llvmpipe (LLVM 15.0.6, 256 bits)";
    constexpr const char* kGraphics = "Mesa Intel(R) UHD Graphics 620 (KBL GT2)";
    const struct {
        const char* failing;
        const char* renderer;
        DevicePreference preference;
        const char* steps;
        const char* chosen;
    } cases[] = {
        {"", kGraphics, Automatic, "context opengl", "opengl"},
        {"", "AMD Radeon RX 6600 (radeonsi, navi23)", Automatic, "context opengl", "opengl"},
        {"", "", Automatic, "context opengl", "opengl"},
        {"", kProcessor, Automatic, "context release software", "software"},
        {"", "softpipe", Automatic, "context release software", "software"},
        {"", "Software Rasterizer", Automatic, "context release software", "software"},
        {"", kProcessor, OpenGl, "context opengl", "opengl"},
        {"", kGraphics, Software, "software", "software"},
        {"opengl", kGraphics, Automatic, "context opengl release software", "software"},
        {"opengl", kProcessor, OpenGl, "context opengl release software", "software"},
        {"context", kGraphics, OpenGl, "context software", "software"},
        {"opengl software", kGraphics, Automatic, "context opengl release software", ""},
    };
    for (const auto& c : cases) {
        FakeMaker maker(c.failing);
        FakeOpenGl openGl(maker, c.renderer);
        const DeviceChoice choice = ChooseRenderDevice(
            openGl, [&] { return maker.Device("software"); }, c.preference);
        SCOPED_TRACE(std::string(c.failing) + " / " + c.renderer);
        EXPECT_EQ(maker.steps, c.steps);
        EXPECT_EQ(choice.device ? maker.kinds.at(choice.device.get()) : "", c.chosen);
        EXPECT_TRUE(choice.fatalError.empty());
    }
}

}  // namespace
}  // namespace vexaframe
