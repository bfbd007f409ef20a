#include "saver/x11_saver_window.h"

#include <X11/keysym.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "render/device_choice.h"
#include "render/gl_device.h"
#include "render/x11_software_presenter.h"

// Xlib last: its macros clash with names of ours.
#include "platform/wide_text.h"
#include "platform/x11_error_trap.h"
#include "platform/x11_handles.h"
#include "platform/x11_refresh_rate.h"
#include "platform/x11_window_error_watch.h"
#include "render/x11_glx_context.h"

namespace vexaframe {

struct X11SaverWindow::XState {
    OwnedDisplay display;
    Window window = 0;  // drawn into
    OwnedXWindow ownWindow;
    OwnedColormap colormap;
    OwnedCursor blankCursor;
    Atom protocols = 0, deleteWindow = 0;
    int width = 0, height = 0;
    std::unique_ptr<X11WindowErrorWatch> borrowed;  // for a window another program made
    std::unique_ptr<GlxContext> glx;                // outlives the device, which draws through it
};

namespace {

constexpr char kWindowTitle[] = "Vexaframe";
constexpr unsigned kOwnWindowWidth = 800;
constexpr unsigned kOwnWindowHeight = 600;
constexpr int kColourDepth = 24;
constexpr long kCoverInput = KeyPressMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
constexpr unsigned kPointerInput = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
constexpr int kEndingSignals[] = {SIGTERM, SIGINT, SIGHUP};

std::optional<MouseButton> ButtonOf(unsigned button) {
    switch (button) {
        case Button1:
            return MouseButton::Left;
        case Button2:
            return MouseButton::Middle;
        case Button3:
            return MouseButton::Right;
        default:
            return std::nullopt;  // wheels and extra buttons
    }
}

// The arrows, on the keypad too, and Pause.
std::optional<ShowKey> ShowKeyOf(KeySym symbol) {
    switch (symbol) {
        case XK_Right:
        case XK_KP_Right:
            return ShowKey::Next;
        case XK_Left:
        case XK_KP_Left:
            return ShowKey::Previous;
        case XK_Pause:
        case XK_Down:
        case XK_KP_Down:
            return ShowKey::Hold;
        case XK_Up:
        case XK_KP_Up:
            return ShowKey::Caption;
        default:
            return std::nullopt;
    }
}

// The OpenGL device through a GLX context of the window, which `context` keeps past the device.
class WindowOpenGl final : public OpenGlDeviceMaker {
public:
    WindowOpenGl(Display* display, Window window, int width, int height,
                 std::unique_ptr<GlxContext>& context)
        : display_(display), window_(window), width_(width), height_(height), context_(context) {}

    std::optional<std::string> CreateContext() override {
        context_ = GlxContext::ForWindow(display_, window_);
        if (!context_) return std::nullopt;
        return CurrentGlRenderer();
    }
    std::unique_ptr<RenderDevice> CreateDevice() override {
        GlxContext* glx = context_.get();
        return GlDevice::Create(width_, height_, [glx] { glx->SwapBuffers(); });
    }
    void ReleaseContext() override { context_.reset(); }

private:
    Display* display_;
    Window window_;
    int width_, height_;
    std::unique_ptr<GlxContext>& context_;
};

}  // namespace

X11SaverWindow::X11SaverWindow(RunState& run, const ModuleOptions& options, const SaverMode& mode,
                               SaverPictures pictures)
    : options_(options),
      x_(std::make_unique<XState>()),
      session_(run, mode, *this, std::move(pictures)) {}

X11SaverWindow::~X11SaverWindow() = default;

bool X11SaverWindow::Open() {
    x_->display.reset(XOpenDisplay(nullptr));
    if (!x_->display) {
        std::fprintf(stderr, "vexaframe: cannot open the display %s\n", XDisplayName(nullptr));
        return false;
    }
    Display* display = x_->display.get();
    bool windowReady = false;
    switch (options_.window) {
        case WindowTarget::CoverScreen:
        case WindowTarget::OwnWindow:
            windowReady = MakeOwnWindow();
            break;
        case WindowTarget::Root:
            windowReady = TakeWindow(DefaultRootWindow(display));
            break;
        case WindowTarget::GivenWindow:
            windowReady = TakeWindow(options_.windowId);
            break;
    }
    // The signals are watched before any thread starts, so that every thread leaves them to
    // the watch.
    if (!windowReady || !WatchSignalsAndSeconds()) return false;
    session_.Start();
    if (options_.showFrameRate) frameRate_.emplace(FrameRateMeter::Clock::now());
    if (options_.window == WindowTarget::CoverScreen) StartMouseRuleAtPointer();
    return true;
}

bool X11SaverWindow::MakeOwnWindow() {
    Display* display = x_->display.get();
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    XVisualInfo visual{};
    const XOwned<XVisualInfo> glVisual =
        options_.device == DevicePreference::Software ? nullptr : ChooseGlVisual(display, screen);
    if (glVisual) {
        visual = *glVisual;
    } else if (!XMatchVisualInfo(display, screen, kColourDepth, TrueColor, &visual)) {
        std::fprintf(stderr, "vexaframe: the display has no 24-bit TrueColor visual\n");
        return false;
    }
    const bool covers = options_.window == WindowTarget::CoverScreen;
    x_->colormap = OwnedColormap(display, XCreateColormap(display, root, visual.visual, AllocNone));
    XSetWindowAttributes attributes{};
    attributes.colormap = x_->colormap.get();
    attributes.background_pixel = 0;  // black in a TrueColor visual
    attributes.border_pixel = 0;
    // Over everything, and no window manager's frame or placement.
    attributes.override_redirect = covers ? True : False;
    attributes.event_mask = StructureNotifyMask | (covers ? kCoverInput : NoEventMask);
    x_->width = covers ? DisplayWidth(display, screen) : static_cast<int>(kOwnWindowWidth);
    x_->height = covers ? DisplayHeight(display, screen) : static_cast<int>(kOwnWindowHeight);
    x_->ownWindow = OwnedXWindow(
        display, XCreateWindow(
                     display, root, 0, 0, static_cast<unsigned>(x_->width),
                     static_cast<unsigned>(x_->height), 0, visual.depth, InputOutput, visual.visual,
                     CWColormap | CWBackPixel | CWBorderPixel | CWOverrideRedirect | CWEventMask,
                     &attributes));
    if (!x_->ownWindow) return false;
    x_->window = x_->ownWindow.get();
    XStoreName(display, x_->window, kWindowTitle);
    if (covers) {
        static const char kNoPixels[1] = {0};
        const OwnedPixmap empty(display,
                                XCreateBitmapFromData(display, x_->window, kNoPixels, 1, 1));
        XColor black{};
        x_->blankCursor = OwnedCursor(
            display, XCreatePixmapCursor(display, empty.get(), empty.get(), &black, &black, 0, 0));
    } else {
        x_->protocols = XInternAtom(display, "WM_PROTOCOLS", False);
        x_->deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display, x_->window, &x_->deleteWindow, 1);
    }
    return true;
}

// Only its size changes and its end are asked for: its input belongs to whoever made it.
bool X11SaverWindow::TakeWindow(Window window) {
    Display* display = x_->display.get();
    {
        X11ErrorTrap trap(display);
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, window, &attributes) == 0 || trap.Failed()) {
            std::fprintf(stderr, "vexaframe: there is no window 0x%lx to draw into\n", window);
            return false;
        }
        XSelectInput(display, window, StructureNotifyMask);
        x_->window = window;
        x_->width = attributes.width;
        x_->height = attributes.height;
    }
    x_->borrowed = std::make_unique<X11WindowErrorWatch>(window);
    return true;
}

bool X11SaverWindow::WindowExists() {
    X11ErrorTrap trap(x_->display.get());
    XWindowAttributes attributes{};
    return XGetWindowAttributes(x_->display.get(), x_->window, &attributes) != 0 && !trap.Failed();
}

// Drawing into a window its owner has destroyed ends the saver as that owner's end does; the
// device may see the window go before the X error arrives. Any other failure to draw is a
// rendering error.
void X11SaverWindow::EndAfterFailedDrawing() {
    if (x_->borrowed && !WindowExists()) session_.EndSaver();
    session_.EndWithMessage(kRenderingError);
}

// The ending signals are read from a descriptor rather than caught, so that no handler has to
// reach the saver.
bool X11SaverWindow::WatchSignalsAndSeconds() {
    sigset_t ending;
    sigemptyset(&ending);
    for (int signal : kEndingSignals) sigaddset(&ending, signal);
    if (pthread_sigmask(SIG_BLOCK, &ending, nullptr) != 0) return false;
    signals_ = Descriptor(signalfd(-1, &ending, SFD_CLOEXEC | SFD_NONBLOCK));

    secondTick_ = Descriptor(timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK));
    const itimerspec everySecond{{1, 0}, {1, 0}};
    // Without the timer the picture would never change.
    return signals_.Valid() && secondTick_.Valid() &&
           timerfd_settime(secondTick_.Get(), 0, &everySecond, nullptr) == 0;
}

// A window that appears under the pointer tells Windows' saver where the pointer is; here the
// server says nothing until it moves, so the saver asks.
void X11SaverWindow::StartMouseRuleAtPointer() {
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned buttons = 0;
    if (XQueryPointer(x_->display.get(), x_->window, &root, &child, &rootX, &rootY, &windowX,
                      &windowY, &buttons)) {
        session_.OnMouseMove(static_cast<float>(rootX), static_cast<float>(rootY));
    }
}

void X11SaverWindow::Run() {
    Display* display = x_->display.get();
    pollfd watched[] = {{ConnectionNumber(display), POLLIN, 0},
                        {signals_.Get(), POLLIN, 0},
                        {secondTick_.Get(), POLLIN, 0}};
    for (;;) {
        HandlePendingEvents();
        if (x_->borrowed && x_->borrowed->WindowFailed()) EndAfterFailedDrawing();
        const int wait = DrawDueFrame();
        // Events read while drawing wait in Xlib's queue, where poll does not see them.
        if (XPending(display) > 0) continue;
        if (poll(watched, std::size(watched), wait) < 0) continue;
        if ((watched[1].revents & POLLIN) != 0) session_.EndSaver();
        std::uint64_t expirations = 0;
        if ((watched[2].revents & POLLIN) != 0 &&
            read(secondTick_.Get(), &expirations, sizeof expirations) > 0) {
            // Seconds missed while busy are not made up, as Windows' timer does not.
            session_.OnSecondTick();
        }
    }
}

void X11SaverWindow::HandlePendingEvents() {
    Display* display = x_->display.get();
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        HandleEvent(event);
    }
}

void X11SaverWindow::HandleEvent(const XEvent& event) {
    switch (event.type) {
        case KeyPress: {
            XKeyEvent key = event.xkey;
            char text[8];
            KeySym symbol = NoSymbol;
            // Only keys that type a character end it: Shift, Ctrl or an arrow alone type none.
            if (XLookupString(&key, text, sizeof text, &symbol, nullptr) > 0)
                session_.OnCharacterKey();
            else if (const std::optional<ShowKey> shown = ShowKeyOf(symbol))
                session_.OnShowKey(*shown);
            break;
        }
        case ButtonPress:
            if (const std::optional<MouseButton> button = ButtonOf(event.xbutton.button))
                session_.OnButtonDown(*button);
            break;
        case ButtonRelease:
            if (const std::optional<MouseButton> button = ButtonOf(event.xbutton.button))
                session_.OnButtonUp(*button);
            break;
        case MotionNotify:
            session_.OnMouseMove(static_cast<float>(event.xmotion.x_root),
                                 static_cast<float>(event.xmotion.y_root));
            break;
        case ConfigureNotify: {
            const XConfigureEvent& configure = event.xconfigure;
            if (configure.window != x_->window ||
                (configure.width == x_->width && configure.height == x_->height))
                break;
            x_->width = configure.width;
            x_->height = configure.height;
            session_.OnSurfaceResized(configure.width, configure.height);
            break;
        }
        case DestroyNotify:
            // Its owner's end is the saver's.
            if (event.xdestroywindow.window == x_->window) session_.EndSaver();
            break;
        case ClientMessage:
            // Closed: leave the way every other way out does.
            if (event.xclient.message_type == x_->protocols &&
                static_cast<Atom>(event.xclient.data.l[0]) == x_->deleteWindow)
                session_.EndSaver();
            break;
        default:
            break;
    }
}

int X11SaverWindow::DrawDueFrame() {
    const PictureShow::DueFrame frame = session_.DrawDueFrame();
    if (frame.drawn == FrameOutcome::Failed) EndAfterFailedDrawing();
    if (frameRate_ && frame.drawn == FrameOutcome::Drawn) ShowFrameRate();
    return frame.wait ? static_cast<int>(frame.wait->count()) : -1;
}

void X11SaverWindow::ShowFrameRate() {
    if (const std::optional<double> rate = frameRate_->FrameShown(FrameRateMeter::Clock::now())) {
        std::printf("fps: %.1f\n", *rate);
        std::fflush(stdout);
    }
}

// One window covers the whole screen, every monitor of it.
std::vector<Monitor> X11SaverWindow::Monitors() {
    return {Monitor{ScreenRect{0, 0, x_->width, x_->height}, true}};
}

// The window is made at the screen's size, so no other monitor needs a cover.
void X11SaverWindow::CoverScreens(std::span<const ScreenRect>) {}

void X11SaverWindow::ShowTopmost() {
    Display* display = x_->display.get();
    if (options_.window == WindowTarget::CoverScreen) {
        XMapRaised(display, x_->window);
        HoldInput();
    } else if (options_.window == WindowTarget::OwnWindow) {
        XMapWindow(display, x_->window);
    }
    XFlush(display);
}

// Keys and the pointer come to the saver wherever they are: nothing else may take them while
// it covers the screen. Only a mapped window takes a grab, so the map goes to the server first.
void X11SaverWindow::HoldInput() {
    Display* display = x_->display.get();
    XSync(display, False);
    if (XGrabKeyboard(display, x_->window, True, GrabModeAsync, GrabModeAsync, CurrentTime) !=
        GrabSuccess) {
        XSetInputFocus(display, x_->window, RevertToParent, CurrentTime);
    }
    XGrabPointer(display, x_->window, True, kPointerInput, GrabModeAsync, GrabModeAsync, None, None,
                 CurrentTime);
}

// Only the window over the screen has a pointer of its own to hide.
void X11SaverWindow::ShowPointer(bool shown) {
    if (!x_->blankCursor) return;
    Display* display = x_->display.get();
    if (shown) {
        XUndefineCursor(display, x_->window);
    } else {
        XDefineCursor(display, x_->window, x_->blankCursor.get());
    }
    XFlush(display);
}

// OpenGL where the window's visual takes a context and the options and its renderer call for
// it, else the software device.
DeviceChoice X11SaverWindow::MakeRenderDevice() {
    Display* display = x_->display.get();
    WindowOpenGl openGl(display, x_->window, x_->width, x_->height, x_->glx);
    const auto software = [this, display] { return MakeSoftwareDeviceFor(display, x_->window); };
    return ChooseRenderDevice(openGl, software, options_.device);
}

int X11SaverWindow::RefreshHertz() {
    Display* display = x_->display.get();
    return DisplayRefreshHertz(display, DefaultRootWindow(display));
}

void X11SaverWindow::ShowMessage(std::wstring_view text) {
    std::fprintf(stderr, "vexaframe: %s\n", EncodeUtf8(text).c_str());
}

// At once, as the Windows saver ends: the server takes the window and the grabs with the
// connection.
void X11SaverWindow::EndProcess(int exitCode) {
    std::fflush(stdout);
    std::_Exit(exitCode);
}

}  // namespace vexaframe
