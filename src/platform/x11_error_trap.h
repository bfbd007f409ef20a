#pragma once
// X errors of the requests made while a trap lives are recorded rather than ending the program,
// as Xlib's own handler would: for requests that may fairly fail, such as drawing into a window
// another program names, or attaching shared memory to a server on another machine.

#include <X11/Xlib.h>

namespace vexaframe {

class X11ErrorTrap {
public:
    // Earlier requests are answered first, so that none of their errors is taken for ours.
    explicit X11ErrorTrap(Display* display)
        : display_(display), previous_((XSync(display, False), XSetErrorHandler(Record))) {
        failed_ = false;
    }
    // The trapped requests' errors are all in before Xlib's handler is back.
    ~X11ErrorTrap() {
        XSync(display_, False);
        XSetErrorHandler(previous_);
    }
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    // Waits for the server to answer every request so far.
    bool Failed() {
        XSync(display_, False);
        return failed_;
    }

private:
    static int Record(Display*, XErrorEvent*) {
        failed_ = true;
        return 0;
    }

    Display* display_;
    XErrorHandler previous_;
    static inline bool failed_ = false;  // Xlib calls the handler on the requesting thread
};

}  // namespace vexaframe
