// The entry of Vexaframe.scr.

#include <objbase.h>
#include <windows.h>

#include "app/startup.h"
#include "app/win32_startup_services.h"
#include "pictures/picture_decoder.h"
#include "platform/random.h"
#include "platform/win32_file_system.h"
#include "saver/win32_message_loop.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace vexaframe;
    Win32FileSystem files;
    if (const std::optional<int> decoderExit = RunPictureDecoderIfAsked(files)) return *decoderExit;
    // The shell's folder browser works through OLE; the pictures are loaded in decoder
    // processes, which set up their own. Without it only the browser is missed.
    const bool oleReady = SUCCEEDED(OleInitialize(nullptr));
    const std::string argumentText = ArgumentText();
    RunState run(UniformRandom::FromTimeAndEntropy());
    Win32StartupServices services(argumentText, oleReady);
    if (Main(argumentText, run, services) == StartupOutcome::EndProgram) return 0;
    return RunMessageLoop(services.Frames());
}
