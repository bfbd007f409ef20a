#include "platform/x11_handles.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include "platform/x11_error_trap.h"

namespace vexaframe {

SharedImageSegment::SharedImageSegment(Display* display, std::size_t bytes) : display_(display) {
    info_.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (info_.shmid < 0) return;
    void* address = shmat(info_.shmid, nullptr, 0);
    if (address != reinterpret_cast<void*>(-1)) {
        info_.shmaddr = static_cast<char*>(address);
        info_.readOnly = False;
        // A server on another machine, or one that may not read our memory, refuses.
        X11ErrorTrap trap(display);
        attached_ = XShmAttach(display, &info_) && !trap.Failed();
    }
    // Both sides hold it now (or never will): it goes once they let it go.
    shmctl(info_.shmid, IPC_RMID, nullptr);
}

SharedImageSegment::~SharedImageSegment() {
    if (attached_) {
        XShmDetach(display_, &info_);
        XSync(display_, False);  // the server lets go before the memory does
    }
    if (info_.shmaddr != nullptr) shmdt(info_.shmaddr);
}

}  // namespace vexaframe
