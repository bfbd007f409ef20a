#pragma once
// The software rendering path in an X window: frames drawn on the processor and put into the
// window through shared memory where the server offers it (MIT-SHM), else through the
// connection.

#include <memory>

#include "platform/x11_types.h"
#include "render/software_device.h"

namespace vexaframe {

// A software device of the window's size whose frames show in the window: one of a 24-bit
// TrueColor visual whose pixels hold 0x00RRGGBB in 32 bits, as the frames do. Nothing for any
// other (or no) window, or one of no drawable size.
std::unique_ptr<SoftwareDevice> MakeSoftwareDeviceFor(Display* display, Window window);

}  // namespace vexaframe
