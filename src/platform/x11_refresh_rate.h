#pragma once
// The refresh rate the display reports.

#include <X11/Xlib.h>

namespace vexaframe {

// In hertz, as XRandR gives it for the screen of `root`; 0 where it says nothing.
int DisplayRefreshHertz(Display* display, Window root);

}  // namespace vexaframe
