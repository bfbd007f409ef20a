#pragma once
// What the system keeps about this program and about screen savers.

#include <string>

namespace vexaframe {

// The full path of this program's file; empty when the system does not say.
std::wstring ProgramFile();

// The user's folder for temporary files, without a separator at its end; empty when the system
// does not say.
std::wstring TemporaryFolder();

// True only on the NT platform; the other platforms keep the saver password themselves.
bool IsWindowsNT();

// Tells the system whether a saver runs, which on the non-NT platforms locks the task keys.
void EnableSystemKeys(bool enable);

}  // namespace vexaframe
