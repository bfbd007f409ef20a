#pragma once
// Owners of X handles: one for each kind, each giving its handle back the one right way when it
// goes, whichever way the code leaves.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <cstddef>
#include <memory>
#include <utility>

namespace vexaframe {

// --- The saver's windows, pointer and software frames ---

namespace release {
struct CloseDisplay {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
struct DestroyImage {
    void operator()(XImage* image) const { XDestroyImage(image); }
};
}  // namespace release

using OwnedDisplay = std::unique_ptr<Display, release::CloseDisplay>;
// Also frees the pixels the image points at (allocated with malloc, or null for a shared one).
using OwnedImage = std::unique_ptr<XImage, release::DestroyImage>;

// A resource the server made for one display, named by its XID, and freed by `Free`.
template <auto Free>
class OwnedXResource {
public:
    OwnedXResource() = default;
    OwnedXResource(Display* display, XID id) : display_(display), id_(id) {}
    ~OwnedXResource() { Reset(); }
    OwnedXResource(OwnedXResource&& other) noexcept
        : display_(other.display_), id_(std::exchange(other.id_, 0)) {}
    OwnedXResource& operator=(OwnedXResource&& other) noexcept {
        if (this != &other) {
            Reset();
            display_ = other.display_;
            id_ = std::exchange(other.id_, 0);
        }
        return *this;
    }

    XID get() const { return id_; }
    explicit operator bool() const { return id_ != 0; }

private:
    void Reset() {
        if (id_ != 0) Free(display_, std::exchange(id_, 0));
    }

    Display* display_ = nullptr;
    XID id_ = 0;
};

using OwnedWindow = OwnedXResource<XDestroyWindow>;
using OwnedPixmap = OwnedXResource<XFreePixmap>;
using OwnedCursor = OwnedXResource<XFreeCursor>;
using OwnedColormap = OwnedXResource<XFreeColormap>;

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
// copy through the connection (MIT-SHM). Marked for removal as soon as it is attached, so that
// it goes with the process however it ends.
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
