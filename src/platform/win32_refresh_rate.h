#pragma once
// The refresh rate the display reports.

#include <windows.h>

namespace vexaframe {

// In hertz, for the display `window` shows on; 0 or 1 where the hardware's default applies.
int DisplayRefreshHertz(HWND window);

}  // namespace vexaframe
