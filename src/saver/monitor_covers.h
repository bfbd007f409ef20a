#pragma once
// Which monitors the full-screen saver covers with black windows, and the one frame its windows
// report mouse positions in. The saver window shows on the primary monitor; every other monitor
// gets a black cover, so that no other window shows while the saver runs.

#include <span>
#include <vector>

namespace vexaframe {

// A rectangle on the virtual screen, whose origin is the primary monitor's top-left corner:
// monitors left of or above the primary have negative coordinates. Right and bottom lie outside.
struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;

    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(const ScreenRect& other) const;
    bool operator==(const ScreenRect&) const = default;
};

struct ScreenPoint {
    int x = 0, y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

struct Monitor {
    ScreenRect area;
    bool isPrimary = false;
};

// The areas to cover black: each monitor that shows anything the saver window and the covers
// before it do not already hide. A monitor that mirrors the primary (or lies within it or within
// a larger monitor's cover), a second report of the same monitor and an empty one get none.
std::vector<ScreenRect> CoverAreas(std::span<const Monitor> monitors);

// A position in a window whose top-left corner is at `origin`, on the virtual screen. The
// mouse rule compares positions from all the saver's windows in this one frame, so that moving
// from one monitor to another is measured as the move it is.
ScreenPoint OnVirtualScreen(ScreenPoint origin, ScreenPoint inWindow);

}  // namespace vexaframe
