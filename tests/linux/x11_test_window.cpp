// A window of another program for the native saver to draw into, as XScreenSaver makes one:
//   x11_test_window WIDTH HEIGHT
// Prints the window's id once it is mapped, and keeps it until its standard input closes.

#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/x11_handles.h"

int main(int argc, char** argv) {
    using namespace vexaframe;
    if (argc != 3) return 2;
    const OwnedDisplay display(XOpenDisplay(nullptr));
    if (!display) return 1;
    const auto width = static_cast<unsigned>(std::atoi(argv[1]));
    const auto height = static_cast<unsigned>(std::atoi(argv[2]));
    const Window root = DefaultRootWindow(display.get());
    const OwnedXWindow window(
        display.get(), XCreateSimpleWindow(display.get(), root, 0, 0, width, height, 0, 0, 0));
    XSelectInput(display.get(), window.get(), StructureNotifyMask);
    XMapWindow(display.get(), window.get());
    for (XEvent event; XWindowEvent(display.get(), window.get(), StructureNotifyMask, &event),
                       event.type != MapNotify;) {
    }
    std::printf("0x%lx\n", window.get());
    std::fflush(stdout);
    pollfd input{STDIN_FILENO, POLLIN, 0};
    char ignored[64];
    while (poll(&input, 1, -1) > 0 && read(STDIN_FILENO, ignored, sizeof ignored) > 0) {
    }
    return 0;
}
