#include "render/x11_glx_context.h"

#include "render/gl_extensions.h"

namespace vexaframe {

namespace {

// Fewer bits make the depth test miss where the cube's faces meet.
constexpr int kMinDepthBits = 16;

int ConfigOf(Display* display, XVisualInfo& visual, int attribute) {
    int value = 0;
    return glXGetConfig(display, &visual, attribute, &value) == 0 ? value : 0;
}

bool DrawsForTheDevice(Display* display, XVisualInfo& visual) {
    return ConfigOf(display, visual, GLX_USE_GL) && ConfigOf(display, visual, GLX_RGBA) &&
           ConfigOf(display, visual, GLX_DOUBLEBUFFER) &&
           ConfigOf(display, visual, GLX_DEPTH_SIZE) >= kMinDepthBits;
}

XOwned<XVisualInfo> VisualOf(Display* display, const XWindowAttributes& window) {
    XVisualInfo wanted{};
    wanted.visualid = XVisualIDFromVisual(window.visual);
    wanted.screen = XScreenNumberOfScreen(window.screen);
    int count = 0;
    return XOwned<XVisualInfo>(
        XGetVisualInfo(display, VisualIDMask | VisualScreenMask, &wanted, &count));
}

template <typename Function>
Function GlxFunction(const char* name) {
    return reinterpret_cast<Function>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

// Asks for one vertical retrace per swap, through whichever extension the display offers, and
// says what GLX then reports.
int HoldSwapsToRetrace(Display* display, int screen, Window window) {
    const char* const extensions = glXQueryExtensionsString(display, screen);
    if (ListsExtension(extensions, "GLX_EXT_swap_control")) {
        const auto setInterval = GlxFunction<PFNGLXSWAPINTERVALEXTPROC>("glXSwapIntervalEXT");
        if (setInterval) {
            setInterval(display, window, 1);
            unsigned int interval = 0;
            glXQueryDrawable(display, window, GLX_SWAP_INTERVAL_EXT, &interval);
            return static_cast<int>(interval);
        }
    }
    if (ListsExtension(extensions, "GLX_MESA_swap_control")) {
        const auto setInterval = GlxFunction<PFNGLXSWAPINTERVALMESAPROC>("glXSwapIntervalMESA");
        const auto getInterval =
            GlxFunction<PFNGLXGETSWAPINTERVALMESAPROC>("glXGetSwapIntervalMESA");
        if (setInterval && getInterval && setInterval(1) == 0) return getInterval();
    }
    return 0;
}

}  // namespace

XOwned<XVisualInfo> ChooseGlVisual(Display* display, int screen) {
    // Flags, then names each with its least value.
    int attributes[] = {
        GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE,  8,   GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE,
        8,        GLX_DEPTH_SIZE,   kMinDepthBits, None};
    int errorBase = 0, eventBase = 0;
    if (!glXQueryExtension(display, &errorBase, &eventBase)) return nullptr;
    return XOwned<XVisualInfo>(glXChooseVisual(display, screen, attributes));
}

std::unique_ptr<GlxContext> GlxContext::ForWindow(Display* display, Window window) {
    int errorBase = 0, eventBase = 0;
    XWindowAttributes attributes{};
    if (!glXQueryExtension(display, &errorBase, &eventBase) ||
        !XGetWindowAttributes(display, window, &attributes))
        return nullptr;
    const XOwned<XVisualInfo> visual = VisualOf(display, attributes);
    if (!visual || !DrawsForTheDevice(display, *visual)) return nullptr;
    const GLXContext made = glXCreateContext(display, visual.get(), nullptr, True);
    if (!made) return nullptr;
    std::unique_ptr<GlxContext> context(new GlxContext(display, window, made));
    if (!glXMakeCurrent(display, window, made)) return nullptr;
    context->swapInterval_ =
        HoldSwapsToRetrace(display, XScreenNumberOfScreen(attributes.screen), window);
    return context;
}

GlxContext::GlxContext(Display* display, Window window, GLXContext context)
    : display_(display), window_(window), context_(context) {}

GlxContext::~GlxContext() {
    if (glXGetCurrentContext() == context_) glXMakeCurrent(display_, None, nullptr);
    glXDestroyContext(display_, context_);
}

void GlxContext::SwapBuffers() {
    glXSwapBuffers(display_, window_);
}

}  // namespace vexaframe
