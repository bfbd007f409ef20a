#pragma once
// One frame of the turning cube: the camera from the time of day, the pattern's triangles
// with the current picture, blended or not, then presented.

#include <cstdint>
#include <optional>

#include "platform/time_of_day.h"
#include "render/render_device.h"

namespace vexaframe {

// The time of day in seconds since midnight; read twice per frame, as the camera does.
class FrameClock {
public:
    virtual ~FrameClock() = default;
    virtual float SecondsSinceMidnight() = 0;
};

// The clock on the wall, as the saver's camera follows it.
class TimeOfDayClock final : public FrameClock {
public:
    float SecondsSinceMidnight() override {
        return static_cast<float>(vexaframe::SecondsSinceMidnight());
    }
};

// A clock stopped at one time of day: for stills, and for frames that must come out alike.
class StillClock final : public FrameClock {
public:
    explicit StillClock(float seconds) : seconds_(seconds) {}
    float SecondsSinceMidnight() override { return seconds_; }

private:
    float seconds_;
};

// A picture laid over the frame, such as a caption.
struct SceneOverlay {
    DeviceTexture* Texture = nullptr;  // from CreateOverlayTexture; none: not drawn
    int X = 0, Y = 0;                  // its top-left pixel on the target
    float Opacity = 1;                 // 0..1; 0: not drawn
};

// What the saver draws with until the next picture change, and the picture's texture.
struct SceneState {
    std::int16_t PatternIndex = 0;      // 0..10: which run of triangles is drawn
    std::int16_t PatternAlpha = 0;      // 0 or 1: blending, when TransparencyMode is 2
    std::int16_t TransparencyMode = 0;  // 0 opaque, 1 blended, 2 by PatternAlpha
    DeviceTexture* Texture = nullptr;
};

// A run of consecutive triangles of the cube's vertex list.
struct DrawingPattern {
    int firstVertex;
    int triangleCount;
};

// Nothing for an index outside 0..10.
std::optional<DrawingPattern> PatternFor(std::int16_t patternIndex);

bool SetupCamera(RenderDevice& device, FrameClock& clock);
bool ApplyMaterial(RenderDevice& device, DeviceTexture* texture);
bool DrawSolid(RenderDevice& device, const SceneState& scene);
bool SetupLighting(RenderDevice& device);
// Over the solid, when there is an overlay to show.
bool DrawSceneOverlay(RenderDevice& device, const std::optional<SceneOverlay>& overlay);

// How far from the screen's centre the cube can reach, from any point of the camera's circle,
// as a share of the half-screen along either axis: the camera keeps one distance from the
// cube's centre and looks at it, so the cube stays inside the circle its bounding sphere
// projects to, stretched to the screen's shape.
float CubeReach();

// False as soon as the device reports a failure.
bool RenderFrame(RenderDevice& device, FrameClock& clock, const SceneState& scene,
                 const std::optional<SceneOverlay>& overlay = std::nullopt);
// A black frame without the cube, for the time before it has a picture.
bool RenderEmptyFrame(RenderDevice& device);

}  // namespace vexaframe
