#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numbers>
#include <vector>

#include "pictures/bmp_file.h"
#include "render/frame.h"
#include "render/scene_resources.h"
#include "render/software_device.h"
#include "support/device_differential.h"

namespace vexaframe {
namespace {

constexpr std::uint32_t kBlue = 0x00204060;
constexpr std::uint32_t kUnpresented = 0xFF123456;  // what a window shows before any frame

enum class Presented { Whole, Part, Nothing, Any };

// One frame: the camera, the clear colour, the target's size, and what must be presented.
struct Step {
    Vector3 eye, at;
    std::uint32_t clear;
    int width, height;
    Presented presented;
};

// The saver's frame with a camera of the test's own, so that the solid moves, grows and shrinks.
bool DrawFrame(RenderDevice& device, const Step& step, const SceneState& scene) {
    const Matrix4 view = LookAtLH(step.eye, step.at, MakeVector(0, 1, 0));
    const Matrix4 projection = PerspectiveFovLH(std::numbers::pi_v<float> / 4, 1, 0.1f, 100);
    return device.SetTransform(TransformKind::View, view) &&
           device.SetTransform(TransformKind::Projection, projection) &&
           device.Clear(step.clear, 1) && device.BeginScene() &&
           ApplyMaterial(device, scene.Texture) && DrawSolid(device, scene) && device.EndScene() &&
           device.Present();
}

bool PrepareScene(RenderDevice& device, SceneResources& resources) {
    return CreateResources(device, EncodeBmp24(TestPicture()), resources,
                           [](ResourceProblem) { ADD_FAILURE() << "a resource is missing"; }) &&
           SetupLighting(device);
}

// The frame a new device draws: everything cleared and drawn afresh.
Image RedrawnWhole(const Step& step, std::int16_t transparency) {
    Image drawn;
    SoftwareDevice device(step.width, step.height,
                          [&](const Image& frame, const PixelRegion&) { drawn = frame; });
    SceneResources resources;
    EXPECT_TRUE(PrepareScene(device, resources));
    EXPECT_TRUE(DrawFrame(device, step, {10, 0, transparency, resources.Texture.get()}));
    return drawn;
}

int DifferingPixels(const Image& a, const Image& b) {
    if (a.width != b.width || a.height != b.height) return -1;
    int differing = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) differing += a.pixels[i] != b.pixels[i];
    return differing;
}

// One device draws the whole run, opaque and blended in turn; each frame must equal a whole
// redraw, and a window that takes only the presented regions must show it too.
TEST(SoftwareRegion, FramesDrawnOverTheLastOneEqualWholeRedrawsAndPresentWhatChanged) {
    const Vector3 centre = MakeVector(0, 0, 0), away = MakeVector(0, 0, 60);
    const Step steps[] = {
        {MakeVector(9, 6, 14), centre, 0, 160, 120, Presented::Whole},  // small, first frame
        {MakeVector(9, 6, 14), MakeVector(-3, 1, 0), 0, 160, 120, Presented::Part},  // moved
        {MakeVector(3, 2, 4), MakeVector(1, 0, 0), 0, 160, 120, Presented::Any},     // grown
        {MakeVector(0.5f, 0.4f, 1.5f), centre, 0, 160, 120, Presented::Whole},       // eye inside
        {MakeVector(20, 12, 30), MakeVector(2, -2, 0), 0, 160, 120, Presented::Whole},  // shrunk
        {MakeVector(20, 12, 30), MakeVector(4, 1, 0), 0, 160, 120, Presented::Part},
        {MakeVector(0, 0, 5), away, 0, 160, 120, Presented::Part},  // looking away: cleared
        {MakeVector(0, 0, 5), away, 0, 160, 120, Presented::Nothing},
        {MakeVector(9, 6, 14), centre, 0, 160, 120, Presented::Part},
        {MakeVector(9, 6, 14), centre, kBlue, 160, 120, Presented::Whole},  // another colour
        {MakeVector(12, 6, 14), centre, kBlue, 160, 120, Presented::Part},
        {MakeVector(12, 6, 14), centre, kBlue, 200, 90, Presented::Whole},  // resized
        {MakeVector(12, 9, 14), centre, kBlue, 200, 90, Presented::Part},
    };
    Image frame, window;
    PixelRegion presented;
    SoftwareDevice device(
        steps[0].width, steps[0].height, [&](const Image& shown, const PixelRegion& changed) {
            frame = shown;
            presented = changed;
            if (window.width != shown.width || window.height != shown.height) {
                window = Image(shown.width, shown.height);
                std::fill(window.pixels.begin(), window.pixels.end(), kUnpresented);
            }
            for (int y = changed.top; y < changed.bottom; ++y)
                for (int x = changed.left; x < changed.right; ++x) window.At(x, y) = shown.At(x, y);
        });
    SceneResources resources;
    ASSERT_TRUE(PrepareScene(device, resources));
    for (int i = 0; i < static_cast<int>(std::size(steps)); ++i) {
        SCOPED_TRACE(i);
        const Step& step = steps[i];
        const auto transparency = static_cast<std::int16_t>(i % 2);
        if (i > 0 && (step.width != steps[i - 1].width || step.height != steps[i - 1].height)) {
            ASSERT_TRUE(device.Resize(step.width, step.height));
        }
        ASSERT_TRUE(DrawFrame(device, step, {10, 0, transparency, resources.Texture.get()}));

        const Image whole = RedrawnWhole(step, transparency);
        EXPECT_EQ(DifferingPixels(frame, whole), 0);
        EXPECT_EQ(DifferingPixels(window, whole), 0);
        const int area = presented.Width() * presented.Height();
        switch (step.presented) {
            case Presented::Whole:
                EXPECT_EQ(area, step.width * step.height);
                break;
            case Presented::Part:
                EXPECT_GT(area, 0);
                EXPECT_LT(area, step.width * step.height / 2);
                break;
            case Presented::Nothing:
                EXPECT_TRUE(presented.Empty());
                break;
            case Presented::Any:
                break;
        }
    }
}

}  // namespace
}  // namespace vexaframe
