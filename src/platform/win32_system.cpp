#include "platform/win32_system.h"

#include <windows.h>

namespace vexaframe {

bool IsWindowsNT() {
    static_assert(sizeof(OSVERSIONINFOA) == 148, "the ANSI version record");
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) == 1 && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

void EnableSystemKeys(bool enable) {
    // The flag is the 16-bit negation of the Boolean, sign-extended: 0 or all ones.
    const UINT saverRunning = enable ? 0 : ~0u;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, saverRunning, nullptr, 0);
}

}  // namespace vexaframe
