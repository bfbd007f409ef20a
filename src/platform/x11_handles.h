#pragma once
// Owners of Xlib's handles: one for each kind, each giving its handle back the one right way
// when it goes, whichever way the code leaves.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>
#include <utility>

namespace vexaframe {

namespace release {
struct CloseDisplay {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
struct FreeXMemory {
    void operator()(void* memory) const { XFree(memory); }
};
struct DestroyXWindow {
    void operator()(Display* display, XID window) const { XDestroyWindow(display, window); }
};
struct FreeColormap {
    void operator()(Display* display, XID colormap) const { XFreeColormap(display, colormap); }
};
}  // namespace release

// A connection opened with XOpenDisplay.
using OwnedDisplay = std::unique_ptr<Display, release::CloseDisplay>;

// Memory Xlib handed out, such as the visuals XGetVisualInfo lists.
template <typename T>
using XOwned = std::unique_ptr<T, release::FreeXMemory>;

// A resource of the X server, named by an XID on a display that must outlive it; 0 is none.
template <typename Release>
class XResource {
public:
    XResource() = default;
    XResource(Display* display, XID id) : display_(display), id_(id) {}
    ~XResource() { reset(); }
    XResource(XResource&& other) noexcept
        : display_(other.display_), id_(std::exchange(other.id_, 0)) {}
    XResource& operator=(XResource&& other) noexcept {
        if (this != &other) {
            reset();
            display_ = other.display_;
            id_ = std::exchange(other.id_, 0);
        }
        return *this;
    }

    XID get() const { return id_; }
    explicit operator bool() const { return id_ != 0; }
    void reset() {
        if (id_ != 0) Release{}(display_, std::exchange(id_, 0));
    }

private:
    Display* display_ = nullptr;
    XID id_ = 0;
};

using OwnedXWindow = XResource<release::DestroyXWindow>;
using OwnedColormap = XResource<release::FreeColormap>;

}  // namespace vexaframe
