#include "platform/win32_refresh_rate.h"

#include "platform/win32_handles.h"

namespace vexaframe {

int DisplayRefreshHertz(HWND window) {
    const WindowDC context(window);
    return context ? GetDeviceCaps(context.get(), VREFRESH) : 0;
}

}  // namespace vexaframe
