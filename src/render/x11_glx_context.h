#pragma once
// The GLX side of the OpenGL device: a context drawing into an X window, current on the thread
// that made it, its buffer swap, and swaps held to the display's vertical retrace where GLX
// lets them be. A window of the program's own takes ChooseGlVisual's visual; XScreenSaver makes
// the window of a GL module with such a visual. Then:
//   context = GlxContext::ForWindow(display, window);  // none: draw in software
//   device = GlDevice::Create(width, height, [&] { context->SwapBuffers(); });
//   on ConfigureNotify: device->Resize(width, height);

#include <GL/glx.h>
#include <X11/Xlib.h>

#include <memory>

#include "platform/x11_handles.h"

namespace vexaframe {

// The visual a window of our own needs for a context: RGBA with 8 bits a channel,
// double-buffered, with a depth buffer. Nothing where the screen has none.
XOwned<XVisualInfo> ChooseGlVisual(Display* display, int screen);

class GlxContext {
public:
    // A context for `window`, drawing through the window's own visual, made current on this
    // thread. Nothing where the display has no GLX, the visual is not RGBA, double-buffered and
    // with a depth buffer, or no context can be made: the caller then draws in software. The
    // display and the window must outlive the context.
    static std::unique_ptr<GlxContext> ForWindow(Display* display, Window window);

    // Not current any more, then gone.
    ~GlxContext();
    GlxContext(const GlxContext&) = delete;
    GlxContext& operator=(const GlxContext&) = delete;

    // Shows the back buffer.
    void SwapBuffers();
    // 1 when GLX said swaps now wait for the vertical retrace; 0 when it offers no way to ask
    // for that or did not take it.
    int SwapInterval() const { return swapInterval_; }

private:
    GlxContext(Display* display, Window window, GLXContext context);

    Display* display_;
    Window window_;
    GLXContext context_;
    int swapInterval_ = 0;
};

}  // namespace vexaframe
