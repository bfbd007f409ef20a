#pragma once
// Which device the saver draws with. On Windows: Direct3D's hardware device where the adapter
// draws in the display's format in a window, else its reference device, else the software device;
// where the Direct3D runtime itself is missing the program cannot go on. Elsewhere: OpenGL, else
// the software device.

#include <functional>
#include <memory>
#include <string_view>

#include "render/render_device.h"

namespace vexaframe {

// The messages that end the program, shown with the program's title as caption.
inline constexpr std::wstring_view kRootObjectError = L"DirectX8 Object Error!";
inline constexpr std::wstring_view kDirect3DObjectError =
    L"Error! Could not create a Direct3d Object.";

enum class Direct3DDeviceType { Hardware, Reference };

// The steps of making a Direct3D device, in the order they are taken; each may fail.
class Direct3DDeviceMaker {
public:
    virtual ~Direct3DDeviceMaker() = default;
    virtual bool CreateRootObject() = 0;  // false: the runtime is missing
    virtual bool CreateDirect3DObject() = 0;
    // True when the hardware device draws in a window in the display's format.
    virtual bool HardwareDrawsInDisplayFormat() = 0;
    // Nothing when the device cannot be made.
    virtual std::unique_ptr<RenderDevice> CreateDevice(Direct3DDeviceType type) = 0;
};

// Each gives nothing when it cannot make its device.
using SoftwareDeviceMaker = std::function<std::unique_ptr<RenderDevice>()>;
using OpenGlDeviceMaker = std::function<std::unique_ptr<RenderDevice>()>;

enum class DevicePreference {
    Best,      // the best the platform has
    Software,  // the software device even where another would draw
};

struct DeviceChoice {
    std::unique_ptr<RenderDevice> device;  // none when not even the software device was made
    std::wstring_view fatalError;          // not empty: show it and end the program
};

DeviceChoice ChooseRenderDevice(Direct3DDeviceMaker& direct3d,
                                const SoftwareDeviceMaker& makeSoftwareDevice);
DeviceChoice ChooseRenderDevice(const OpenGlDeviceMaker& makeOpenGlDevice,
                                const SoftwareDeviceMaker& makeSoftwareDevice,
                                DevicePreference preference);

}  // namespace vexaframe
