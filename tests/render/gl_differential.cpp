// The OpenGL device through GLX on a virtual X display, through the suite every device passes
// and in what only OpenGL shows. Needs a display: run it through run_on_virtual_display.sh
// --native.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "render/gl_device.h"
#include "render/solid.h"
#include "support/device_suite.h"

// After every header that names something None, which Xlib defines as a macro.
#include "platform/x11_handles.h"
#include "render/x11_glx_context.h"

namespace vexaframe {
namespace {

// The back buffer as the software device hands a frame on: rows top to bottom, 0xAARRGGBB.
Image ReadBackBuffer(int width, int height) {
    std::vector<std::uint32_t> bottomUp(static_cast<std::size_t>(width) * height);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, bottomUp.data());
    Image frame(width, height);
    for (int y = 0; y < height; ++y)
        std::copy_n(&bottomUp[static_cast<std::size_t>(height - 1 - y) * width], width,
                    &frame.At(0, y));
    return frame;
}

// A mapped window of GLX's visual (or of the one given), with a context current for it, as the
// saver's own window will be; its devices keep each frame they present.
class GlWindow {
public:
    using VisualChoice = XOwned<XVisualInfo> (*)(Display*, int screen);
    GlWindow(int width, int height, VisualChoice chooseVisual = ChooseGlVisual)
        : width_(width), height_(height) {
        display_.reset(XOpenDisplay(nullptr));
        if (!display_) return;
        Display* const display = display_.get();
        const int screen = DefaultScreen(display);
        const XOwned<XVisualInfo> visual = chooseVisual(display, screen);
        if (!visual) return;
        const Window root = RootWindow(display, screen);
        colormap_ =
            OwnedColormap(display, XCreateColormap(display, root, visual->visual, AllocNone));
        XSetWindowAttributes attributes{};
        attributes.colormap = colormap_.get();
        attributes.event_mask = StructureNotifyMask;
        window_ = OwnedXWindow(
            display, XCreateWindow(display, root, 0, 0, static_cast<unsigned>(width),
                                   static_cast<unsigned>(height), 0, visual->depth, InputOutput,
                                   visual->visual, CWColormap | CWEventMask, &attributes));
        XMapWindow(display, window_.get());
        XEvent event;
        do XWindowEvent(display, window_.get(), StructureNotifyMask, &event);
        while (event.type != MapNotify);
        context_ = GlxContext::ForWindow(display, window_.get());
    }
    // Its devices keep its address.
    GlWindow(const GlWindow&) = delete;
    GlWindow& operator=(const GlWindow&) = delete;

    bool Mapped() const { return static_cast<bool>(window_); }
    GlxContext* Context() const { return context_.get(); }

    // A device drawing into the window; nothing without a context.
    std::unique_ptr<GlDevice> MakeDevice() {
        if (!context_) {
            ADD_FAILURE() << "no GLX context";
            return nullptr;
        }
        auto device = GlDevice::Create(width_, height_, [this] {
            presented_ = ReadBackBuffer(width_, height_);
            context_->SwapBuffers();
        });
        if (!device) ADD_FAILURE() << "no OpenGL device";
        return device;
    }

    // As the saver does on ConfigureNotify.
    bool Resize(GlDevice& device, int width, int height) {
        XResizeWindow(display_.get(), window_.get(), static_cast<unsigned>(width),
                      static_cast<unsigned>(height));
        XSync(display_.get(), False);
        width_ = width;
        height_ = height;
        return device.Resize(width, height);
    }

    const Image& Presented() const { return presented_; }

private:
    int width_, height_;
    // Declared in this order so that they go in the reverse one.
    OwnedDisplay display_;
    OwnedColormap colormap_;
    OwnedXWindow window_;
    std::unique_ptr<GlxContext> context_;
    Image presented_;
};

// llvmpipe snaps window coordinates to 1/256 pixel as the software device does, and after the
// device's half-pixel shift samples the same points: pixels differ completely only where a
// triangle or texel edge passes within rounding of a sample point (at most 0.05% of the frame
// seen), and otherwise by the last step of rounding in lighting, modulation and blending. A
// missing half-pixel shift changes 1-2% of the frame, swapped channels or a flipped picture far
// more.
constexpr Tolerance kTolerance{2, 0.002};

class GlDeviceUnderTest final : public DeviceUnderTest {
public:
    GlDeviceUnderTest(int width, int height) : window_(width, height) {}
    bool Made() const { return device_ != nullptr; }
    RenderDevice& Device() override { return *device_; }
    Image Presented() override { return window_.Presented(); }

private:
    GlWindow window_;
    std::unique_ptr<GlDevice> device_ = window_.MakeDevice();
};

INSTANTIATE_TEST_SUITE_P(OpenGl, DeviceSuite,
                         testing::Values(DeviceKind{"opengl", MakeIfMade<GlDeviceUnderTest>,
                                                    kTolerance}),
                         DeviceKindName);

// The half-pixel shift and the viewport follow the window's size.
TEST(GlDeviceResize, FramesAfterAResizeAgreeAtTheNewSize) {
    const Scene& scene = kDifferentialScenes[3];
    GlWindow window(kFrameWidth / 2, kFrameHeight / 3);
    const std::unique_ptr<GlDevice> device = window.MakeDevice();
    ASSERT_TRUE(device);
    SceneResources resources;
    ASSERT_TRUE(DrawTwice(*device, scene, resources));
    ASSERT_TRUE(window.Resize(*device, kFrameWidth, kFrameHeight));
    ASSERT_TRUE(DrawTwice(*device, scene, resources));

    ExpectAgreement("after_resize", window.Presented(), DrawnBySoftware(scene), kTolerance);
    EXPECT_FALSE(device->Resize(0, kFrameHeight));
}

// States the saver's frame leaves as they start, drawn with unlit vertex colours in window
// coordinates (identity transforms): two overlapping triangles of either winding, and two the
// near and far planes cut away.
struct StateCase {
    const char* name;
    std::uint32_t cullMode;  // as the device starts when 0
    std::uint32_t depthTest;
    bool textured;
    std::uint32_t sourceBlend = 0;  // blending off when 0
    std::uint32_t destinationBlend = 0;
};

using namespace render_value;

constexpr StateCase kStateCases[] = {
    {"unlit_colours", kCullNone, kZBufferOn, false},
    {"cull_as_started", 0, kZBufferOn, false},
    {"cull_clockwise", 2, kZBufferOn, false},
    {"cull_counter_clockwise", 3, kZBufferOn, false},
    {"no_depth_test", kCullNone, 0, false},
    {"unlit_textured", kCullNone, kZBufferOn, true},
    {"blend_added", kCullNone, kZBufferOn, true, kBlendOne, kBlendOne},
    {"blend_reversed", kCullNone, kZBufferOn, false, kBlendInvSrcColour, kBlendSrcColour},
};

// The picture a little smaller than the frame and off its centre, so that no texel edge falls
// on a sample point either.
SolidVertex Corner(float x, float y, float z, std::uint32_t colour) {
    return {x, y, z, 0, 0, -1, colour, 0.52f + 0.47f * x, 0.49f - 0.46f * y};
}

// Clockwise as seen: left, top, right; the second counter-clockwise, nearer and overlapping.
// No edge runs through a sample point, where the two devices break the tie differently.
std::array<SolidVertex, 12> StateTriangles() {
    return {Corner(-0.87f, -0.83f, 0.6f, 0xFFFFFF00), Corner(-0.13f, 0.91f, 0.6f, 0xFF20A0FF),
            Corner(0.73f, -0.79f, 0.6f, 0xFFFF40C0),  Corner(-0.71f, 0.83f, 0.3f, 0xFF40FF40),
            Corner(0.11f, -0.93f, 0.3f, 0xFFFFFFFF),  Corner(0.89f, 0.77f, 0.3f, 0xFF4040FF),
            Corner(-1, -1, -0.5f, 0xFFFF0000),        Corner(-1, 1, -0.5f, 0xFFFF0000),
            Corner(1, 1, -0.5f, 0xFFFF0000),          Corner(-1, -1, 1.5f, 0xFF00FF00),
            Corner(1, -1, 1.5f, 0xFF00FF00),          Corner(1, 1, 1.5f, 0xFF00FF00)};
}

bool DrawStates(RenderDevice& device, const StateCase& states) {
    const std::unique_ptr<DeviceTexture> texture =
        states.textured ? device.CreateTexture(TestPicture()) : nullptr;
    const bool blend = states.sourceBlend != 0;
    return device.SetTransform(TransformKind::View, Matrix4::Identity()) &&
           device.SetTransform(TransformKind::Projection, Matrix4::Identity()) &&
           device.Clear(0, 1.0f) && device.SetTexture(0, texture.get()) &&
           device.SetRenderState(RenderState::Lighting, 0) &&
           (states.cullMode == 0 ||
            device.SetRenderState(RenderState::CullMode, states.cullMode)) &&
           device.SetRenderState(RenderState::ZEnable, states.depthTest) &&
           device.SetRenderState(RenderState::AlphaBlendEnable, blend) &&
           (!blend || (device.SetRenderState(RenderState::SrcBlend, states.sourceBlend) &&
                       device.SetRenderState(RenderState::DestBlend, states.destinationBlend))) &&
           DrawTriangles(device, StateTriangles());
}

class StateTest : public testing::TestWithParam<StateCase> {};

TEST_P(StateTest, FramesAgreeWithTheSoftwareDevice) {
    const StateCase& states = GetParam();
    GlWindow window(kFrameWidth, kFrameHeight);
    const std::unique_ptr<GlDevice> device = window.MakeDevice();
    ASSERT_TRUE(device);
    ASSERT_TRUE(DrawStates(*device, states));
    Image drawnBySoftware;
    SoftwareDevice software(kFrameWidth, kFrameHeight, [&](const Image& frame, const PixelRegion&) {
        drawnBySoftware = frame;
    });
    ASSERT_TRUE(DrawStates(software, states));

    ExpectAgreement(states.name, window.Presented(), drawnBySoftware, kTolerance);
}

INSTANTIATE_TEST_SUITE_P(States, StateTest, testing::ValuesIn(kStateCases),
                         [](const testing::TestParamInfo<StateCase>& states) {
                             return std::string(states.param.name);
                         });

class GlResourceTest : public testing::Test {
protected:
    GlWindow window_{64, 64};
    std::unique_ptr<GlDevice> device_ = window_.MakeDevice();
};

// Another device in the same context would draw with the texture, but the saver never hands a
// texture from one device to the next.
TEST_F(GlResourceTest, RefusesTheTexturesOfAnotherDeviceInItsContext) {
    ASSERT_TRUE(device_);
    const std::unique_ptr<GlDevice> other = window_.MakeDevice();
    ASSERT_TRUE(other);
    const auto othersTexture = other->CreateTexture(Image(8, 8));
    ASSERT_TRUE(othersTexture);
    EXPECT_FALSE(device_->SetTexture(0, othersTexture.get()));
}

// The context, not the device, is what an upload needs to finish.
TEST_F(GlResourceTest, AnUploadFinishesAfterItsDevice) {
    ASSERT_TRUE(device_);
    const auto upload = device_->BeginTextureUpload(std::make_shared<const Image>(8, 8), nullptr);
    ASSERT_TRUE(upload);
    device_.reset();
    EXPECT_EQ(upload->Step(), TextureUpload::State::Finished);
    EXPECT_TRUE(upload->TakeTexture());
}

// An error OpenGL reports fails the call it comes up in, and that call alone.
TEST_F(GlResourceTest, ACallFailsWhenOpenGLReportsAnError) {
    ASSERT_TRUE(device_);
    glEnable(GL_TEXTURE_ENV);  // not a capability: an invalid enum
    EXPECT_FALSE(device_->SetRenderState(RenderState::Lighting, 1));
    EXPECT_TRUE(device_->SetRenderState(RenderState::Lighting, 1));
    glEnable(GL_TEXTURE_ENV);
    EXPECT_FALSE(device_->Clear(0, 1.0f));
    EXPECT_TRUE(device_->Clear(0, 1.0f));
}

// Without a double buffer the device would draw where the frame is shown.
TEST(GlxContextTest, NoneForAWindowWhoseVisualIsSingleBuffered) {
    GlWindow window(16, 16, [](Display* display, int screen) {
        int attributes[] = {GLX_RGBA, GLX_DEPTH_SIZE, 16, None};
        XOwned<XVisualInfo> visual(glXChooseVisual(display, screen, attributes));
        int doubleBuffered = 1;
        if (visual && glXGetConfig(display, visual.get(), GLX_DOUBLEBUFFER, &doubleBuffered) == 0 &&
            !doubleBuffered)
            return visual;
        return XOwned<XVisualInfo>();
    });
    if (!window.Mapped()) GTEST_SKIP() << "the display has no single-buffered GLX visual";
    EXPECT_FALSE(window.Context());
}

TEST(GlxContextTest, IsCurrentWhileItLives) {
    {
        GlWindow window(64, 64);
        ASSERT_TRUE(window.Context());
        EXPECT_TRUE(glXGetCurrentContext());
    }
    EXPECT_FALSE(glXGetCurrentContext());
}

}  // namespace
}  // namespace vexaframe
