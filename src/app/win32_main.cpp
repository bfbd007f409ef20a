// The entry of Vexaframe.scr.

#include <windows.h>

#include "app/startup.h"
#include "app/win32_startup_services.h"
#include "platform/random.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace vexaframe;
    RunState run(ArgumentText(), UniformRandom::FromTimeAndEntropy());
    Win32StartupServices services;
    if (Main(run, services) == StartupOutcome::EndProgram) return 0;

    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
