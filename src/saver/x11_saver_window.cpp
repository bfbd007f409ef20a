#include "saver/x11_saver_window.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "render/gl_device.h"
#include "render/x11_software_presenter.h"

// Xlib last: its macros clash with names of ours.
#include "platform/x11_error_trap.h"
#include "platform/x11_handles.h"
#include "platform/x11_refresh_rate.h"
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
    std::unique_ptr<GlxContext> glx;  // outlives the device, which draws through it
    std::function<void(int, int)> resizeDevice;
};

namespace {

constexpr char kWindowTitle[] = "Vexaframe";
constexpr unsigned kOwnWindowWidth = 800;
constexpr unsigned kOwnWindowHeight = 600;
constexpr int kColourDepth = 24;
constexpr long kCoverInput = KeyPressMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
constexpr unsigned kPointerInput = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
constexpr int kEndingSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The pipe's end the signal handler writes to; a handler reaches nothing else.
int signalPipe = -1;

void OnEndingSignal(int) {
    const int saved = errno;
    const char signalled = 1;
    if (write(signalPipe, &signalled, 1) < 0) {
        // Full: the saver is ending already.
    }
    errno = saved;
}

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

// The window drawn into when another program made it. That program may destroy it at any
// moment, and the drawing already sent to it then fails; the saver ends as the owner meant
// rather than as Xlib's own handler would. Every other error still goes to Xlib's handler.
Window borrowedWindow = 0;
bool borrowedWindowFailed = false;
XErrorHandler xlibErrorHandler = nullptr;

bool IsBorrowed(Window window) {
    return borrowedWindow != 0 && borrowedWindow == window;
}

int OnXError(Display* display, XErrorEvent* error) {
    if (IsBorrowed(error->resourceid)) {
        borrowedWindowFailed = true;
        return 0;
    }
    return xlibErrorHandler(display, error);
}

// The saver's messages are ASCII.
std::string NarrowText(std::wstring_view text) {
    std::string narrow;
    for (wchar_t character : text) narrow += static_cast<char>(character);
    return narrow;
}

}  // namespace

X11SaverWindow::X11SaverWindow(RunState& run, std::string pictureFile, X11SaverOptions options)
    : options_(options),
      run_(run),
      stagedPicture_(files_, std::move(pictureFile)),
      x_(std::make_unique<XState>()),
      session_(run, *this),
      clock_(std::make_unique<TimeOfDayClock>()) {}

X11SaverWindow::~X11SaverWindow() {
    if (signalPipe == signalsWritten_.Get()) signalPipe = -1;
    if (IsBorrowed(x_->window)) {
        XSetErrorHandler(xlibErrorHandler);
        borrowedWindow = 0;
    }
}

bool X11SaverWindow::Open() {
    x_->display.reset(XOpenDisplay(nullptr));
    if (!x_->display) {
        std::fprintf(stderr, "vexaframe: cannot open the display %s\n", XDisplayName(nullptr));
        return false;
    }
    Display* display = x_->display.get();
    bool windowReady = false;
    switch (options_.target) {
        case X11Target::CoverScreen:
        case X11Target::OwnWindow:
            windowReady = MakeOwnWindow();
            break;
        case X11Target::Root:
            windowReady = TakeWindow(DefaultRootWindow(display));
            break;
        case X11Target::GivenWindow:
            windowReady = TakeWindow(options_.givenWindow);
            break;
    }
    if (!windowReady || !WatchSignalsAndSeconds()) return false;
    // Run by hand the pointer hides, as the system's saver switch hides it.
    if (options_.target == X11Target::CoverScreen) run_.CursorCount = ShowCursor(false);
    session_.OnLoad();
    if (options_.target == X11Target::CoverScreen) StartMouseRuleAtPointer();
    return true;
}

bool X11SaverWindow::MakeOwnWindow() {
    Display* display = x_->display.get();
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    XVisualInfo visual{};
    const XOwned<XVisualInfo> glVisual =
        options_.softwareDevice ? nullptr : ChooseGlVisual(display, screen);
    if (glVisual) {
        visual = *glVisual;
    } else if (!XMatchVisualInfo(display, screen, kColourDepth, TrueColor, &visual)) {
        std::fprintf(stderr, "vexaframe: the display has no 24-bit TrueColor visual\n");
        return false;
    }
    const bool covers = options_.target == X11Target::CoverScreen;
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
    borrowedWindow = window;
    borrowedWindowFailed = false;
    xlibErrorHandler = XSetErrorHandler(OnXError);
    return true;
}

bool X11SaverWindow::WindowExists() {
    X11ErrorTrap trap(x_->display.get());
    XWindowAttributes attributes{};
    return XGetWindowAttributes(x_->display.get(), x_->window, &attributes) != 0 && !trap.Failed();
}

void X11SaverWindow::EndIfWindowFailed() {
    if (borrowedWindowFailed) EndAfterFailedDrawing();
}

// Drawing into a window its owner has destroyed ends the saver as that owner's end does; the
// device may see the window go before the X error arrives. Any other failure to draw is a
// rendering error.
void X11SaverWindow::EndAfterFailedDrawing() {
    if (IsBorrowed(x_->window) && !WindowExists()) session_.EndSaver();
    EndWithMessage(kRenderingError);
}

bool X11SaverWindow::WatchSignalsAndSeconds() {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    signals_ = Descriptor(ends[0]);
    signalsWritten_ = Descriptor(ends[1]);
    signalPipe = signalsWritten_.Get();
    struct sigaction action {};
    action.sa_handler = OnEndingSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int signal : kEndingSignals) sigaction(signal, &action, nullptr);

    secondTick_ = Descriptor(timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK));
    const itimerspec everySecond{{1, 0}, {1, 0}};
    // Without the timer the picture would never change.
    return secondTick_.Valid() && timerfd_settime(secondTick_.Get(), 0, &everySecond, nullptr) == 0;
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
        EndIfWindowFailed();
        const int wait = DrawDueFrame();
        // Events read while drawing wait in Xlib's queue, where poll does not see them.
        if (XPending(display) > 0) continue;
        if (poll(watched, std::size(watched), wait) < 0) continue;  // a signal: see its pipe
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
            // Only keys that type a character: Shift, Ctrl or an arrow alone type none.
            if (XLookupString(&key, text, sizeof text, nullptr, nullptr) > 0)
                session_.OnCharacterKey();
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
        case ConfigureNotify:
            if (event.xconfigure.window == x_->window)
                Resize(event.xconfigure.width, event.xconfigure.height);
            break;
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

void X11SaverWindow::Resize(int width, int height) {
    if (width == x_->width && height == x_->height) return;
    x_->width = width;
    x_->height = height;
    if (x_->resizeDevice) x_->resizeDevice(width, height);
}

int X11SaverWindow::DrawDueFrame() {
    if (!pacer_) return -1;
    using Clock = FramePacer::Clock;
    if (pacer_->TimeToNextFrame(Clock::now()) == Clock::duration::zero()) {
        const FrameOutcome outcome =
            device_ ? session_.OnFrame(*device_, *clock_, resources_) : FrameOutcome::Failed;
        if (outcome == FrameOutcome::Failed) EndAfterFailedDrawing();
        pacer_->FrameDrawn(Clock::now());
        if (frameRate_ && outcome == FrameOutcome::Drawn) ShowFrameRate();
    }
    const auto wait = pacer_->TimeToNextFrame(Clock::now());
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(wait).count());
}

void X11SaverWindow::ShowFrameRate() {
    if (const std::optional<double> rate = frameRate_->FrameShown(FrameRateMeter::Clock::now())) {
        std::printf("fps: %.1f\n", *rate);
        std::fflush(stdout);
    }
}

// The window is made at the screen's size.
void X11SaverWindow::CoverPrimaryScreen() {}

// One window covers the whole screen, every monitor of it.
std::vector<Monitor> X11SaverWindow::Monitors() {
    return {Monitor{ScreenRect{0, 0, x_->width, x_->height}, true}};
}

void X11SaverWindow::CoverMonitor(const ScreenRect&) {}

bool X11SaverWindow::StagePending(const std::string& path, std::stop_token stop) {
    stagedPicture_.HoldStaged();
    return decoder_.DecodeToBitmapFile(path, stagedPicture_.PendingPath(), std::move(stop)) ==
           DecodeOutcome::Written;
}

std::optional<Image> X11SaverWindow::PendingTexturePicture() {
    return TextureFromBitmapFile(stagedPicture_.ReadPending(), textureLimits_);
}

bool X11SaverWindow::CommitStagedPicture() {
    return stagedPicture_.CommitPending();
}

// OpenGL where the window's visual takes a context, else the software device.
void X11SaverWindow::CreateRenderDevice() {
    Display* display = x_->display.get();
    if (!options_.softwareDevice) {
        x_->glx = GlxContext::ForWindow(display, x_->window);
        GlxContext* glx = x_->glx.get();
        std::unique_ptr<GlDevice> gl =
            glx ? GlDevice::Create(x_->width, x_->height, [glx] { glx->SwapBuffers(); }) : nullptr;
        if (gl) {
            x_->resizeDevice = [device = gl.get()](int width, int height) {
                device->Resize(width, height);
            };
            device_ = std::move(gl);
        } else {
            x_->glx.reset();
        }
    }
    if (!device_) {
        std::unique_ptr<SoftwareDevice> software = MakeSoftwareDeviceFor(display, x_->window);
        if (software) {
            x_->resizeDevice = [device = software.get()](int width, int height) {
                device->Resize(width, height);
            };
            device_ = std::move(software);
        }
    }
    // Without any device the first frame reports the rendering error.
    if (device_) textureLimits_ = device_->Limits();
}

void X11SaverWindow::CreateResources() {
    if (!device_) return;
    vexaframe::CreateResources(*device_, stagedPicture_.Read(), resources_,
                               [this](ResourceProblem problem) { ReportProblem(problem); });
}

// Without a new picture the cube's own texture is passed on as the new one: the staged file
// holds the same picture as before.
std::unique_ptr<DeviceTexture> X11SaverWindow::ChangeResources(
    bool newPicture, std::unique_ptr<DeviceTexture> texture) {
    if (!device_) return nullptr;
    vexaframe::CreateResources(
        *device_, newPicture ? std::move(texture) : std::move(resources_.Texture), resources_,
        [this](ResourceProblem problem) { ReportProblem(problem); });
    return std::move(resources_.Retired);
}

void X11SaverWindow::ReleaseResources() {
    resources_ = SceneResources{};
}

void X11SaverWindow::ReportProblem(ResourceProblem problem) {
    const std::wstring_view text =
        problem == ResourceProblem::VertexBuffer ? kVertexBufferProblem : kTextureProblem;
    std::fprintf(stderr, "vexaframe: %s\n", NarrowText(text).c_str());
}

void X11SaverWindow::StartFrames() {
    const FramePacer::Clock::time_point now = FramePacer::Clock::now();
    const int hertz = DisplayRefreshHertz(x_->display.get(), DefaultRootWindow(x_->display.get()));
    pacer_ = std::make_unique<FramePacer>(hertz, now, options_.pause);
    if (options_.showFrameRate) frameRate_.emplace(now);
}

void X11SaverWindow::ShowTopmost() {
    Display* display = x_->display.get();
    if (options_.target == X11Target::CoverScreen) {
        XMapRaised(display, x_->window);
        HoldInput();
    } else if (options_.target == X11Target::OwnWindow) {
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

bool X11SaverWindow::IsWindowsNT() {
    return true;  // no password of the saver's own to ask for
}

int X11SaverWindow::ShowCursor(bool show) {
    cursorCount_ += show ? 1 : -1;
    if (x_->blankCursor) {
        Display* display = x_->display.get();
        if (cursorCount_ >= 0) {
            XUndefineCursor(display, x_->window);
        } else {
            XDefineCursor(display, x_->window, x_->blankCursor.get());
        }
        XFlush(display);
    }
    return cursorCount_;
}

bool X11SaverWindow::VerifyScreenSavePassword() {
    return true;
}

// The grabs go with the window; no other keys are held back.
void X11SaverWindow::EnableSystemKeys(bool) {}

// The screen saver of the desktop is not ours to switch.
void X11SaverWindow::SetScreenSaveActive() {}

void X11SaverWindow::ReleaseRenderer() {
    pacer_.reset();
    x_->resizeDevice = nullptr;
    device_.reset();
    x_->glx.reset();
}

void X11SaverWindow::EndProgram() {
    EndProcess(0);
}

// At once, as the Windows saver ends: the server takes the window and the grabs with the
// connection. A picture being prepared is not shown any more.
void X11SaverWindow::EndProcess(int exitCode) {
    decoder_.EndAll();
    stagedPicture_.DiscardPending();
    std::fflush(stdout);
    std::_Exit(exitCode);
}

void X11SaverWindow::EndWithMessage(std::wstring_view text) {
    pacer_.reset();
    std::fprintf(stderr, "vexaframe: %s\n", NarrowText(text).c_str());
    EndProcess(1);
}

}  // namespace vexaframe
