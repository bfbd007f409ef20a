#include "platform/x11_refresh_rate.h"

#include <dlfcn.h>

namespace vexaframe {
namespace {

// libXrandr is loaded when asked: the rate only tunes the frame pacing, so a system without the
// library (or a server without the extension) still runs, at the default rate. Its three calls
// are declared here as the library's stable interface has them.
struct ScreenConfiguration;
using GetScreenInfo = ScreenConfiguration* (*)(Display*, Window);
using ConfigCurrentRate = short (*)(ScreenConfiguration*);
using FreeScreenConfigInfo = void (*)(ScreenConfiguration*);

template <typename Function>
Function Find(void* library, const char* name) {
    return reinterpret_cast<Function>(dlsym(library, name));
}

}  // namespace

int DisplayRefreshHertz(Display* display, Window root) {
    // Never unloaded: the library hooks the closing of every display it has served.
    static void* const library = dlopen("libXrandr.so.2", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return 0;
    const auto getInfo = Find<GetScreenInfo>(library, "XRRGetScreenInfo");
    const auto currentRate = Find<ConfigCurrentRate>(library, "XRRConfigCurrentRate");
    const auto freeInfo = Find<FreeScreenConfigInfo>(library, "XRRFreeScreenConfigInfo");
    if (getInfo == nullptr || currentRate == nullptr || freeInfo == nullptr) return 0;
    ScreenConfiguration* configuration = getInfo(display, root);
    if (configuration == nullptr) return 0;
    const int hertz = currentRate(configuration);
    freeInfo(configuration);
    return hertz;
}

}  // namespace vexaframe
