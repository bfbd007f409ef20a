#pragma once
// What the system keeps about screen savers.

namespace vexaframe {

// True only on the NT platform; the other platforms keep the saver password themselves.
bool IsWindowsNT();

// Tells the system whether a saver runs, which on the non-NT platforms locks the task keys.
void EnableSystemKeys(bool enable);

}  // namespace vexaframe
