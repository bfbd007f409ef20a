#pragma once
// The black windows over the monitors besides the primary, while the saver runs; and the input
// of every saver window, as calls of SaverSession.

#include <windows.h>

#include <memory>
#include <vector>

#include "saver/monitor_covers.h"
#include "saver/saver_session.h"

namespace vexaframe {

// The display's monitors, in virtual-screen coordinates.
std::vector<Monitor> DesktopMonitors();

// Keys, buttons and mouse moves as calls of `session`; false for any other message. `origin`
// is the window's top-left corner on the virtual screen.
bool ForwardSaverInput(SaverSession& session, ScreenPoint origin, UINT message, WPARAM wParam,
                       LPARAM lParam);

class Win32CoverWindows {
public:
    explicit Win32CoverWindows(SaverSession& session);
    ~Win32CoverWindows();
    Win32CoverWindows(const Win32CoverWindows&) = delete;
    Win32CoverWindows& operator=(const Win32CoverWindows&) = delete;

    void Add(const ScreenRect& area);  // hidden until Show
    // Topmost, and never active, so that keys still go to the saver window. Show them before
    // the saver window: it goes above them where a cover overlaps the primary monitor.
    void Show();

private:
    class Cover;

    SaverSession& session_;
    std::vector<std::unique_ptr<Cover>> covers_;
};

}  // namespace vexaframe
