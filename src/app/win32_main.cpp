// The entry of Vexaframe.scr.

#include <objbase.h>
#include <windows.h>

#include "app/startup.h"
#include "pictures/win32_picture_decoder.h"
#include "saver/win32_message_loop.h"
#include "app/win32_startup_services.h"
#include "platform/random.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace vexaframe;
    if (const std::optional<int> decoderExit = RunPictureDecoderIfAsked()) return *decoderExit;
    // The shell's folder browser works through OLE; the pictures are loaded in decoder
    // processes, which set up their own. Without it only the browser is missed.
    const bool oleReady = SUCCEEDED(OleInitialize(nullptr));
    RunState run(ArgumentText(), UniformRandom::FromTimeAndEntropy());
    Win32StartupServices services(oleReady);
    if (Main(run, services) == StartupOutcome::EndProgram) return 0;
    return RunMessageLoop(services.Frames());
}
