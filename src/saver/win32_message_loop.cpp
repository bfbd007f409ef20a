#include "saver/win32_message_loop.h"

namespace vexaframe {

int RunMessageLoop(FrameSource* frames) {
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        const DWORD wait = frames != nullptr ? frames->DrawDueFrame() : INFINITE;
        // Sleeps until the next frame is due or a message arrives: never a busy loop.
        MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

}  // namespace vexaframe
