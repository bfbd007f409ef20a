#pragma once
// The software rendering path in a window: frames drawn on the processor and copied into the
// window's client area through GDI.

#include <windows.h>

#include <memory>

#include "render/software_device.h"

namespace vexaframe {

// A device of the window's client size; nothing when that size is no drawable size.
std::unique_ptr<SoftwareDevice> MakeSoftwareDeviceFor(HWND window);

}  // namespace vexaframe
