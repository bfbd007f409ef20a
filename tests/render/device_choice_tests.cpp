#include <gtest/gtest.h>

#include <map>
#include <string>

#include "render/device_choice.h"
#include "render/software_device.h"

namespace vexaframe {
namespace {

// Says which steps succeed, and records the steps taken as one word each.
class FakeMaker : public Direct3DDeviceMaker {
public:
    bool root = true, object = true, hardwareDraws = true, hardware = true, reference = true;
    std::string steps;

    bool CreateRootObject() override { return Step("root", root); }
    bool CreateDirect3DObject() override { return Step("object", object); }
    bool HardwareDrawsInDisplayFormat() override { return Step("check", hardwareDraws); }
    std::unique_ptr<RenderDevice> CreateDevice(Direct3DDeviceType type) override {
        const bool isHardware = type == Direct3DDeviceType::Hardware;
        return Step(isHardware ? "hardware" : "reference", isHardware ? hardware : reference)
                   ? Device(isHardware ? "hardware" : "reference")
                   : nullptr;
    }

    // A device that remembers which kind it is.
    std::unique_ptr<RenderDevice> Device(const std::string& kind) {
        auto device = std::make_unique<SoftwareDevice>(1, 1, nullptr);
        kinds[device.get()] = kind;
        return device;
    }
    std::map<const RenderDevice*, std::string> kinds;

private:
    bool Step(const char* name, bool succeeds) {
        steps += steps.empty() ? name : std::string(" ") + name;
        return succeeds;
    }
};

TEST(DeviceChoice, HardwareThenReferenceThenSoftwareAndTheRuntimeMissingEnds) {
    const struct {
        bool root, object, hardwareDraws, hardware, reference, software;
        const char* steps;
        const char* chosen;  // empty: none
        std::wstring_view fatalError;
    } cases[] = {
        {1, 1, 1, 1, 1, 1, "root object check hardware", "hardware", {}},
        {1, 1, 0, 1, 1, 1, "root object check reference", "reference", {}},
        {1, 1, 1, 0, 1, 1, "root object check hardware reference", "reference", {}},
        {1, 1, 1, 0, 0, 1, "root object check hardware reference software", "software", {}},
        {1, 1, 0, 1, 0, 1, "root object check reference software", "software", {}},
        {1, 1, 0, 0, 0, 0, "root object check reference software", "", {}},
        {0, 1, 1, 1, 1, 1, "root", "", kRootObjectError},
        {1, 0, 1, 1, 1, 1, "root object", "", kDirect3DObjectError},
    };
    for (const auto& c : cases) {
        FakeMaker maker;
        maker.root = c.root, maker.object = c.object, maker.hardwareDraws = c.hardwareDraws;
        maker.hardware = c.hardware, maker.reference = c.reference;
        const DeviceChoice choice =
            ChooseRenderDevice(maker, [&]() -> std::unique_ptr<RenderDevice> {
                maker.steps += " software";
                return c.software ? maker.Device("software") : nullptr;
            });
        const std::string chosen = choice.device ? maker.kinds.at(choice.device.get()) : "";
        EXPECT_EQ(maker.steps, c.steps);
        EXPECT_EQ(chosen, c.chosen) << c.steps;
        EXPECT_EQ(choice.fatalError, c.fatalError) << c.steps;
    }
}

}  // namespace
}  // namespace vexaframe
