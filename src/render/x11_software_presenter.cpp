#include "render/x11_software_presenter.h"

#include <bit>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

// Xlib last: its macros clash with names of ours.
#include "platform/x11_handles.h"

namespace vexaframe {
namespace {

constexpr int kDepth = 24;
constexpr int kBitsPerPixel = 32;
constexpr int kNativeByteOrder = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;

bool HoldsFramePixels(const XWindowAttributes& attributes) {
    const Visual* visual = attributes.visual;
    return attributes.depth == kDepth && visual != nullptr && visual->c_class == TrueColor &&
           visual->red_mask == 0xFF0000 && visual->green_mask == 0x00FF00 &&
           visual->blue_mask == 0x0000FF;
}

class X11SoftwarePresenter {
public:
    // For a window of the frames' pixel layout; nothing for any other (or no) window.
    static std::unique_ptr<X11SoftwarePresenter> For(Display* display, Window window);

    // Puts the frame's changed region at its place in the window, whose top left the frame's
    // is; the rest of the window is taken to show the frame already. A frame of another size
    // than the last one gets an image of its size first, and goes whole. The server has read
    // the frame when this returns.
    void Show(const Image& frame, PixelRegion changed);

private:
    X11SoftwarePresenter(Display* display, Window window, Visual* visual);
    bool MakeImage(int width, int height);
    bool MakeSharedImage(int width, int height);
    bool MakeOwnImage(int width, int height);

    Display* display_;
    Window window_;
    Visual* visual_;
    OwnedGC context_;
    bool sharesMemory_;
    std::unique_ptr<SharedImageSegment> segment_;
    OwnedImage image_;  // before the segment goes: a shared image points into it
};

}  // namespace

std::unique_ptr<X11SoftwarePresenter> X11SoftwarePresenter::For(Display* display, Window window) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) == 0 || !HoldsFramePixels(attributes))
        return nullptr;
    return std::unique_ptr<X11SoftwarePresenter>(
        new X11SoftwarePresenter(display, window, attributes.visual));
}

// Shared images go without conversion, so the server must read pixels in our byte order.
X11SoftwarePresenter::X11SoftwarePresenter(Display* display, Window window, Visual* visual)
    : display_(display),
      window_(window),
      visual_(visual),
      context_(display, XCreateGC(display, window, 0, nullptr)),
      sharesMemory_(XShmQueryExtension(display) && ImageByteOrder(display) == kNativeByteOrder) {}

void X11SoftwarePresenter::Show(const Image& frame, PixelRegion changed) {
    if (!image_ || image_->width != frame.width || image_->height != frame.height) {
        if (!MakeImage(frame.width, frame.height)) return;
        changed = {0, 0, frame.width, frame.height};
    }
    if (changed.Empty()) return;
    const auto rowPixels = static_cast<std::size_t>(frame.width);
    const auto rowBytes = static_cast<std::size_t>(changed.Width()) * sizeof(std::uint32_t);
    for (int y = changed.top; y < changed.bottom; ++y) {
        std::memcpy(image_->data + static_cast<std::ptrdiff_t>(y) * image_->bytes_per_line +
                        static_cast<std::ptrdiff_t>(changed.left) * sizeof(std::uint32_t),
                    frame.pixels.data() + static_cast<std::size_t>(y) * rowPixels + changed.left,
                    rowBytes);
    }
    const int x = changed.left, y = changed.top;
    const auto width = static_cast<unsigned>(changed.Width());
    const auto height = static_cast<unsigned>(changed.Height());
    if (sharesMemory_) {
        XShmPutImage(display_, window_, context_.get(), image_.get(), x, y, x, y, width, height,
                     False);
    } else {
        XPutImage(display_, window_, context_.get(), image_.get(), x, y, x, y, width, height);
    }
    // A shared image must not change before the server has read it; and waiting keeps the frames
    // from queueing up in a busy server either way.
    XSync(display_, False);
}

bool X11SoftwarePresenter::MakeImage(int width, int height) {
    image_.reset();
    segment_.reset();
    if (sharesMemory_ && MakeSharedImage(width, height)) return true;
    // A server that takes no shared memory from us takes none later either.
    sharesMemory_ = false;
    return MakeOwnImage(width, height);
}

bool X11SoftwarePresenter::MakeSharedImage(int width, int height) {
    // The image says how many bytes its rows take; the segment of that size comes after it.
    XShmSegmentInfo none{};
    OwnedImage image(XShmCreateImage(display_, visual_, kDepth, ZPixmap, nullptr, &none,
                                     static_cast<unsigned>(width), static_cast<unsigned>(height)));
    if (!image || image->bits_per_pixel != kBitsPerPixel) return false;
    auto segment = std::make_unique<SharedImageSegment>(
        display_, static_cast<std::size_t>(image->bytes_per_line) * image->height);
    if (!*segment) return false;
    image->obdata = reinterpret_cast<char*>(segment->Info());
    image->data = segment->Info()->shmaddr;
    segment_ = std::move(segment);
    image_ = std::move(image);
    return true;
}

bool X11SoftwarePresenter::MakeOwnImage(int width, int height) {
    OwnedImage image(XCreateImage(display_, visual_, kDepth, ZPixmap, 0, nullptr,
                                  static_cast<unsigned>(width), static_cast<unsigned>(height),
                                  kBitsPerPixel, 0));
    if (!image || image->bits_per_pixel != kBitsPerPixel) return false;
    // Xlib turns the bytes into the server's order as it sends them.
    image->byte_order = kNativeByteOrder;
    image->data = static_cast<char*>(
        std::malloc(static_cast<std::size_t>(image->bytes_per_line) * image->height));
    if (image->data == nullptr) return false;
    image_ = std::move(image);
    return true;
}

std::unique_ptr<SoftwareDevice> MakeSoftwareDeviceFor(Display* display, Window window) {
    std::shared_ptr<X11SoftwarePresenter> presenter = X11SoftwarePresenter::For(display, window);
    XWindowAttributes attributes{};
    if (!presenter || XGetWindowAttributes(display, window, &attributes) == 0) return nullptr;
    try {
        return std::make_unique<SoftwareDevice>(
            attributes.width, attributes.height,
            [presenter](const Image& frame, const PixelRegion& changed) {
                presenter->Show(frame, changed);
            });
    } catch (const std::invalid_argument&) {
        return nullptr;
    }
}

}  // namespace vexaframe
