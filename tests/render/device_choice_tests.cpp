#include <gtest/gtest.h>

#include <map>
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

    std::string steps;
    std::map<const RenderDevice*, std::string> kinds;

private:
    bool Step(const std::string& name) {
        steps += (steps.empty() ? "" : " ") + name;
        return failing_.find(name) == std::string::npos;
    }
    std::string failing_;
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

TEST(DeviceChoice, OpenGlThenSoftwareUnlessSoftwareIsAsked) {
    using enum DevicePreference;
    const struct {
        const char* failing;
        DevicePreference preference;
        const char* steps;
        const char* chosen;
    } cases[] = {
        {"", Best, "opengl", "opengl"},
        {"opengl", Best, "opengl software", "software"},
        {"", Software, "software", "software"},
        {"opengl software", Best, "opengl software", ""},
    };
    for (const auto& c : cases) {
        FakeMaker maker(c.failing);
        const DeviceChoice choice =
            ChooseRenderDevice([&] { return maker.Device("opengl"); },
                               [&] { return maker.Device("software"); }, c.preference);
        EXPECT_EQ(maker.steps, c.steps) << c.failing;
        EXPECT_EQ(choice.device ? maker.kinds.at(choice.device.get()) : "", c.chosen) << c.failing;
        EXPECT_TRUE(choice.fatalError.empty());
    }
}

}  // namespace
}  // namespace vexaframe
