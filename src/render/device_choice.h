#pragma once
// Which device the saver draws with. On Windows: Direct3D's hardware device where the adapter
// draws in the display's format in a window, else its reference device, else the software device;
// where the Direct3D runtime itself is missing the program cannot go on. Elsewhere: OpenGL where a
// graphics processor draws it, else the software device: where OpenGL too would draw on the
// processor, the saver's own device does, unless OpenGL is asked for.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "render/render_device.h"
#include "settings/device_preference.h"

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

// Gives nothing when it cannot make its device.
using SoftwareDeviceMaker = std::function<std::unique_ptr<RenderDevice>()>;

// The steps of making the OpenGL device: a context current on this thread, whose renderer
// tells whether a graphics processor draws, then the device drawing into it.
class OpenGlDeviceMaker {
public:
    virtual ~OpenGlDeviceMaker() = default;
    // The renderer as GL_RENDERER names it; nothing when no context can be made.
    virtual std::optional<std::string> CreateContext() = 0;
    // Nothing when the device cannot be made in the context.
    virtual std::unique_ptr<RenderDevice> CreateDevice() = 0;
    // Lets the context go, so that the software device can take the window.
    virtual void ReleaseContext() = 0;
};

// Mesa's rasterisers that draw on the processor: llvmpipe, softpipe, swrast ("Software
// Rasterizer" is swrast's own name), found as words in any case.
bool IsSoftwareRasteriser(std::string_view renderer);

struct DeviceChoice {
    std::unique_ptr<RenderDevice> device;  // none when not even the software device was made
    std::wstring_view fatalError;          // not empty: show it and end the program
};

DeviceChoice ChooseRenderDevice(Direct3DDeviceMaker& direct3d,
                                const SoftwareDeviceMaker& makeSoftwareDevice);
DeviceChoice ChooseRenderDevice(OpenGlDeviceMaker& openGl,
                                const SoftwareDeviceMaker& makeSoftwareDevice,
                                DevicePreference preference);

}  // namespace vexaframe
