#include "platform/win32_system.h"

#include <windows.h>

namespace vexaframe {

std::wstring ProgramFile() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return path.substr(0, length);
        path.resize(path.size() * 2);
    }
}

std::wstring TemporaryFolder() {
    std::wstring path(MAX_PATH + 1, L'\0');
    const DWORD length = GetTempPathW(static_cast<DWORD>(path.size()), path.data());
    if (length == 0 || length >= path.size()) return {};
    path.resize(length);
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    return path;
}

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
