#include "render/device_choice.h"

namespace vexaframe {

// The reference device exists only where the developer kit is installed, so a hardware device
// that cannot be made falls back to it and then to drawing on the processor.
DeviceChoice ChooseRenderDevice(Direct3DDeviceMaker& direct3d,
                                const SoftwareDeviceMaker& makeSoftwareDevice) {
    if (!direct3d.CreateRootObject()) return {nullptr, kRootObjectError};
    if (!direct3d.CreateDirect3DObject()) return {nullptr, kDirect3DObjectError};
    std::unique_ptr<RenderDevice> device;
    if (direct3d.HardwareDrawsInDisplayFormat())
        device = direct3d.CreateDevice(Direct3DDeviceType::Hardware);
    if (!device) device = direct3d.CreateDevice(Direct3DDeviceType::Reference);
    if (!device && makeSoftwareDevice) device = makeSoftwareDevice();
    return {std::move(device), {}};
}

DeviceChoice ChooseRenderDevice(const OpenGlDeviceMaker& makeOpenGlDevice,
                                const SoftwareDeviceMaker& makeSoftwareDevice,
                                DevicePreference preference) {
    std::unique_ptr<RenderDevice> device;
    if (preference == DevicePreference::Best) device = makeOpenGlDevice();
    if (!device) device = makeSoftwareDevice();
    return {std::move(device), {}};
}

}  // namespace vexaframe
