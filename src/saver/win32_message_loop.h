#pragma once
// The program's one message loop, which also draws the saver's frames between messages.

#include <windows.h>

namespace vexaframe {

class FrameSource {
public:
    virtual ~FrameSource() = default;
    // Draws a frame when one is due; returns how many milliseconds the loop may then wait for
    // messages (INFINITE when no frames run).
    virtual DWORD DrawDueFrame() = 0;
};

// Runs until WM_QUIT and returns its exit code. `frames` may be null.
int RunMessageLoop(FrameSource* frames);

}  // namespace vexaframe
