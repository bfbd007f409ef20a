#pragma once
// What the saver asks of the platform it runs on: a shell of windows over the screens, its
// devices, its pointer, its messages and its end. Everything the saver decides is in the core.

#include <chrono>
#include <span>
#include <string_view>
#include <vector>

#include "render/device_choice.h"
#include "saver/monitor_covers.h"

namespace vexaframe {

class SaverPlatform {
public:
    virtual ~SaverPlatform() = default;

    virtual std::vector<Monitor> Monitors() = 0;
    // The saver window and its drawing surface over the primary screen, at 0,0, and a black
    // window over each of `otherAreas`, whose input reaches the session as the surface's does
    // (positions on the virtual screen). Nothing shows before ShowTopmost.
    virtual void CoverScreens(std::span<const ScreenRect> otherAreas) = 0;
    virtual void ShowTopmost() = 0;
    virtual void ShowPointer(bool shown) = 0;

    // The device the frames draw with, chosen among the platform's by ChooseRenderDevice.
    virtual DeviceChoice MakeRenderDevice() = 0;
    // The refresh rate the display reports, in hertz; 0 when it says nothing.
    virtual int RefreshHertz() = 0;

    // Shows the message to the user (modal, OK only, the program's title as caption, where the
    // platform has message boxes) and returns once it is seen.
    virtual void ShowMessage(std::wstring_view text) = 0;
    // Ends the process at once, with its windows, running nothing more.
    virtual void EndProcess(int exitCode) = 0;
};

// Where the system runs screen savers itself, what it keeps of the one that runs.
class SystemSaverState {
public:
    virtual ~SystemSaverState() = default;

    // The saver password the system keeps, where the saver's mode asks for it; true: the saver
    // may end.
    virtual bool VerifyPassword() = 0;
    // As the saver ends: the system's saver flags set back.
    virtual void RestoreFlags() = 0;
};

// How one run of the saver behaves; each program's start-up makes it for its platform.
struct SaverMode {
    bool endsOnMouseMove = false;             // a real movement of the mouse ends it
    bool hidesPointer = false;                // hidden while it runs
    bool asksPassword = false;                // the system's saver password, before it ends
    std::chrono::microseconds framePause{0};  // the least time between frames
};

}  // namespace vexaframe
