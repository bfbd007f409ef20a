#pragma once
// Owners of Xlib's handles: one for each kind, each giving its handle back the one right way
// when it goes, whichever way the code leaves.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <cstddef>
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

// --- The saver's window, pointer and software frames ---

namespace release {
struct FreePixmap {
    void operator()(Display* display, XID pixmap) const { XFreePixmap(display, pixmap); }
};
struct FreeCursor {
    void operator()(Display* display, XID cursor) const { XFreeCursor(display, cursor); }
};
struct DestroyImage {
    void operator()(XImage* image) const { XDestroyImage(image); }
};
}  // namespace release

using OwnedPixmap = XResource<release::FreePixmap>;
using OwnedCursor = XResource<release::FreeCursor>;
// Also frees the pixels it points at: malloc'ed ones, or none for an image in shared memory.
using OwnedImage = std::unique_ptr<XImage, release::DestroyImage>;

// A graphics context of one display.
class OwnedGC {
public:
    OwnedGC(Display* display, GC context) : display_(display), context_(context) {}
    ~OwnedGC() {
        if (context_ != nullptr) XFreeGC(display_, context_);
    }
    OwnedGC(const OwnedGC&) = delete;
    OwnedGC& operator=(const OwnedGC&) = delete;

    GC get() const { return context_; }

private:
    Display* display_;
    GC context_;
};

// A shared memory segment the process and the X server both see, for images sent without a
// copy through the connection (MIT-SHM). Marked for removal as soon as both sides hold it, so
// that it goes with the process however it ends.
class SharedImageSegment {
public:
    // New shared memory of `bytes`, attached here and to the server; false when either side
    // cannot.
    SharedImageSegment(Display* display, std::size_t bytes);
    ~SharedImageSegment();
    SharedImageSegment(const SharedImageSegment&) = delete;
    SharedImageSegment& operator=(const SharedImageSegment&) = delete;

    explicit operator bool() const { return attached_; }
    XShmSegmentInfo* Info() { return &info_; }

private:
    Display* display_;
    XShmSegmentInfo info_{};
    bool attached_ = false;
};

}  // namespace vexaframe
