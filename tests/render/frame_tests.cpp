#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "render/frame.h"

namespace vexaframe {
namespace {

// Records the calls, the states with their values; the call numbered `failAt` (from 0)
// reports a failure.
class RecordingDevice : public RenderDevice {
public:
    std::vector<std::string> calls;
    int failAt = -1;
    Matrix4 view;

    TextureLimits Limits() const override { return {1024, true}; }
    TextureSize TargetSize() const override { return {800, 600}; }
    std::unique_ptr<VertexBuffer> CreateVertexBuffer(std::size_t, std::uint32_t) override {
        return nullptr;
    }
    std::unique_ptr<TextureUpload> BeginTextureUpload(std::shared_ptr<const Image>,
                                                      std::unique_ptr<DeviceTexture>) override {
        return nullptr;
    }
    bool SetVertexShader(std::uint32_t) override { return Record("SetVertexShader"); }
    bool SetStreamSource(int, VertexBuffer*, int) override { return Record("SetStreamSource"); }
    bool SetTransform(TransformKind kind, const Matrix4& matrix) override {
        if (kind == TransformKind::View) view = matrix;
        return Record(kind == TransformKind::View ? "View" : "Projection");
    }
    bool Clear(std::uint32_t, float) override { return Record("Clear"); }
    bool BeginScene() override { return Record("BeginScene"); }
    bool EndScene() override { return Record("EndScene"); }
    bool SetMaterial(const Material&) override { return Record("Material"); }
    bool SetTexture(int, DeviceTexture*) override { return Record("Texture"); }
    bool SetRenderState(RenderState state, std::uint32_t value) override {
        return Record("State " + std::to_string(static_cast<std::uint32_t>(state)) + "=" +
                      std::to_string(value));
    }
    bool DrawPrimitive(PrimitiveType, int first, int count) override {
        return Record("Draw " + std::to_string(first) + " " + std::to_string(count));
    }
    bool LightEnable(int, bool) override { return Record("Light"); }
    std::unique_ptr<DeviceTexture> CreateOverlayTexture(const Image&) override { return nullptr; }
    bool DrawOverlay(DeviceTexture*, int x, int y, float opacity) override {
        return Record("Overlay " + std::to_string(x) + " " + std::to_string(y) + " " +
                      std::to_string(opacity));
    }
    bool Present() override { return Record("Present"); }

private:
    bool Record(std::string call) {
        const bool fails = static_cast<int>(calls.size()) == failAt;
        calls.push_back(std::move(call));
        return !fails;
    }
};

class FixedClock : public FrameClock {
public:
    explicit FixedClock(std::vector<float> readings) : readings_(std::move(readings)) {}
    float SecondsSinceMidnight() override { return readings_[next_++ % readings_.size()]; }

private:
    std::vector<float> readings_;
    std::size_t next_ = 0;
};

DeviceTexture* const kSomeOverlay = reinterpret_cast<DeviceTexture*>(16);

// What a frame looks like is checked on the reference pictures; here, that a device's failure
// at any step ends the frame there, an overlay's included.
TEST(Frame, StopsAtTheFirstFailure) {
    const SceneState scene{10, 1, 2, nullptr};
    const SceneOverlay overlay{kSomeOverlay, 3, -4, 0.5f};
    RecordingDevice device;
    FixedClock clock({0});
    ASSERT_TRUE(RenderFrame(device, clock, scene, overlay));
    for (std::size_t failAt = 0; failAt < device.calls.size(); ++failAt) {
        RecordingDevice failing;
        failing.failAt = static_cast<int>(failAt);
        EXPECT_FALSE(RenderFrame(failing, clock, scene, overlay));
        EXPECT_EQ(failing.calls.size(), failAt + 1);
    }
}

// The overlay comes over the lit solid, just before the scene ends; a frame without one, with
// no texture or fully faded, draws the solid alike.
TEST(Frame, DrawsAShownOverlayLastInTheScene) {
    const auto calls = [](std::optional<SceneOverlay> overlay) {
        RecordingDevice device;
        FixedClock clock({0});
        EXPECT_TRUE(RenderFrame(device, clock, {10, 1, 2, nullptr}, overlay));
        return device.calls;
    };
    const std::vector<std::string> without = calls(std::nullopt);
    std::vector<std::string> with = without;
    with.insert(with.end() - 2, "Overlay 3 -4 0.500000");
    EXPECT_EQ(calls(SceneOverlay{kSomeOverlay, 3, -4, 0.5f}), with);
    EXPECT_EQ(calls(SceneOverlay{nullptr, 3, -4, 1}), without);
    EXPECT_EQ(calls(SceneOverlay{kSomeOverlay, 3, -4, 0}), without);
}

// Opaque, blended and a blended draw of mode 2 are on the reference pictures. Here mode 2's
// opaque draw, and a mode outside 0..2 (a hand-edited file), which leaves blending as it starts.
// Each pattern draws whole triangles of the cube's 24 vertices; an index outside 0..10, nothing.
TEST(Frame, BlendingFollowsTheModeAndPatternsStayInsideTheVertexList) {
    const auto blending = [](SceneState scene) {
        RecordingDevice device;
        EXPECT_TRUE(DrawSolid(device, scene));
        const auto set = std::ranges::find_if(
            device.calls, [](const std::string& call) { return call.starts_with("State 27="); });
        return set == device.calls.end() ? "" : set->substr(9);
    };
    EXPECT_EQ(blending({3, 0, 2, nullptr}), "0");
    EXPECT_EQ(blending({3, 1, 7, nullptr}), "");

    for (std::int16_t index = -1; index <= 11; ++index) {
        const std::optional<DrawingPattern> pattern = PatternFor(index);
        RecordingDevice device;
        EXPECT_EQ(DrawSolid(device, {index, 0, 0, nullptr}), pattern.has_value()) << index;
        ASSERT_EQ(pattern.has_value(), index >= 0 && index <= 10) << index;
        if (!pattern) continue;
        EXPECT_GE(pattern->firstVertex, 0) << index;
        EXPECT_GT(pattern->triangleCount, 0) << index;
        EXPECT_LE(pattern->firstVertex + 3 * pattern->triangleCount, 24) << index;
    }
}

// The cosine takes the first reading and the sine the second: a quarter turn apart puts the eye
// at (4 cos 0, 4 sin(pi/2), 5) = (4, 4, 5). What it sees from there is on the reference pictures.
TEST(Frame, TheEyeTakesItsCosineAndSineFromSuccessiveClockReadings) {
    RecordingDevice device;
    FixedClock twoReadings({0, 3.14159265f / 2});
    ASSERT_TRUE(SetupCamera(device, twoReadings));
    const Vector4 eyeSeen = Transform(MakeVector(4, 4, 5), device.view);
    EXPECT_NEAR(std::abs(eyeSeen.x) + std::abs(eyeSeen.y) + std::abs(eyeSeen.z), 0, 1e-5);
}

}  // namespace
}  // namespace vexaframe
