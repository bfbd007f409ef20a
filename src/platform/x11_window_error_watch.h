#pragma once
// The drawing into a window another program made: that program may destroy the window at any
// moment, and the drawing already sent to it then fails. While a watch lives, the X errors about
// that window are recorded rather than ending the program as Xlib's own handler would; every
// other error still goes to the handler that was there before. One watch at a time.

#include <X11/Xlib.h>

namespace vexaframe {

class X11WindowErrorWatch {
public:
    explicit X11WindowErrorWatch(Window window)
        : window_(window), previous_(XSetErrorHandler(Record)) {
        watching_ = this;
    }
    ~X11WindowErrorWatch() {
        XSetErrorHandler(previous_);
        watching_ = nullptr;
    }
    X11WindowErrorWatch(const X11WindowErrorWatch&) = delete;
    X11WindowErrorWatch& operator=(const X11WindowErrorWatch&) = delete;

    Window Watched() const { return window_; }
    // Whether a request about the window failed, of those whose answers have come.
    bool WindowFailed() const { return failed_; }

private:
    static int Record(Display* display, XErrorEvent* error) {
        X11WindowErrorWatch* watch = watching_;
        if (watch->window_ == error->resourceid) {
            watch->failed_ = true;
            return 0;
        }
        return watch->previous_(display, error);
    }

    Window window_;
    XErrorHandler previous_;
    bool failed_ = false;
    // Xlib's handler takes no context of ours; it is called on the requesting thread.
    static inline X11WindowErrorWatch* watching_ = nullptr;
};

}  // namespace vexaframe
