#include "render/frame.h"

#include <cmath>

namespace vexaframe {

namespace {

constexpr float kEyeRadius = 4.0f;
constexpr float kEyeHeight = 5.0f;
constexpr float kFieldOfViewY = static_cast<float>(3.14159275180032 / 4);
constexpr float kAspect = 1.0f;  // whatever the window's shape
constexpr float kNearPlane = 0.1f;
constexpr float kFarPlane = 100.0f;
constexpr std::uint32_t kWhiteAmbient = 0x00FFFFFF;
constexpr std::uint32_t kBlack = 0;

// Blending: off when opaque, on when semi-transparent, the picture's draw when random.
// Any other mode (a hand-edited file) leaves the device's state, which starts off.
std::optional<std::uint32_t> AlphaBlendFor(const SceneState& scene) {
    switch (scene.TransparencyMode) {
        case 0:
            return 0u;
        case 1:
            return 1u;
        case 2:
            return static_cast<std::uint32_t>(scene.PatternAlpha);
        default:
            return std::nullopt;
    }
}

Material SolidMaterial() {
    Material material;
    material.Ambient = {255, 255, 255, 255};
    material.Diffuse = material.Ambient;
    material.Specular = {255, 255, 255, 255};
    material.Power = 200.0f;
    return material;
}

}  // namespace

std::optional<DrawingPattern> PatternFor(std::int16_t patternIndex) {
    if (patternIndex < 0 || patternIndex > 10) return std::nullopt;
    if (patternIndex == 10) return DrawingPattern{0, 8};
    return DrawingPattern{patternIndex % 2 == 0 ? 1 : 0, 2 + patternIndex / 2};
}

float CubeReach() {
    const double cornerDistance = std::sqrt(3.0);  // the cube spans -1..1 on every axis
    const double eyeDistance = std::hypot(kEyeRadius, kEyeHeight);
    const double sphereAngle = std::asin(cornerDistance / eyeDistance);
    return static_cast<float>(std::tan(sphereAngle) / std::tan(kFieldOfViewY / 2));
}

bool SetupCamera(RenderDevice& device, FrameClock& clock) {
    const double cosine = std::cos(static_cast<double>(clock.SecondsSinceMidnight()));
    const double sine = std::sin(static_cast<double>(clock.SecondsSinceMidnight()));
    const Vector3 eye = MakeVector(static_cast<float>(kEyeRadius * cosine),
                                   static_cast<float>(kEyeRadius * sine), kEyeHeight);
    const Matrix4 view = LookAtLH(eye, MakeVector(0, 0, 0), MakeVector(0, 1, 0));
    const Matrix4 projection = PerspectiveFovLH(kFieldOfViewY, kAspect, kNearPlane, kFarPlane);
    return device.SetTransform(TransformKind::View, view) &&
           device.SetTransform(TransformKind::Projection, projection);
}

bool ApplyMaterial(RenderDevice& device, DeviceTexture* texture) {
    return device.SetMaterial(SolidMaterial()) && device.SetTexture(0, texture);
}

bool DrawSolid(RenderDevice& device, const SceneState& scene) {
    using namespace render_value;
    const std::optional<DrawingPattern> pattern = PatternFor(scene.PatternIndex);
    if (!pattern) return false;
    const std::optional<std::uint32_t> alphaBlend = AlphaBlendFor(scene);
    return device.SetRenderState(RenderState::CullMode, kCullNone) &&
           device.SetRenderState(RenderState::ZEnable, kZBufferOn) &&
           device.SetRenderState(RenderState::FillMode, kFillSolid) &&
           (!alphaBlend || device.SetRenderState(RenderState::AlphaBlendEnable, *alphaBlend)) &&
           device.SetRenderState(RenderState::SrcBlend, kBlendSrcColour) &&
           device.SetRenderState(RenderState::DestBlend, kBlendInvSrcColour) &&
           device.DrawPrimitive(PrimitiveType::TriangleList, pattern->firstVertex,
                                pattern->triangleCount);
}

// Runs after the draw, so it lights the following frames: the first frame stays black.
bool SetupLighting(RenderDevice& device) {
    return device.LightEnable(0, false) &&
           device.SetRenderState(RenderState::Ambient, kWhiteAmbient) &&
           device.SetRenderState(RenderState::Lighting, 1);
}

bool DrawSceneOverlay(RenderDevice& device, const std::optional<SceneOverlay>& overlay) {
    if (!overlay || !overlay->Texture || !(overlay->Opacity > 0)) return true;
    return device.DrawOverlay(overlay->Texture, overlay->X, overlay->Y, overlay->Opacity);
}

bool RenderFrame(RenderDevice& device, FrameClock& clock, const SceneState& scene,
                 const std::optional<SceneOverlay>& overlay) {
    return SetupCamera(device, clock) && device.Clear(kBlack, 1.0f) && device.BeginScene() &&
           ApplyMaterial(device, scene.Texture) && DrawSolid(device, scene) &&
           SetupLighting(device) && DrawSceneOverlay(device, overlay) && device.EndScene() &&
           device.Present();
}

bool RenderEmptyFrame(RenderDevice& device) {
    return device.Clear(kBlack, 1.0f) && device.BeginScene() && device.EndScene() &&
           device.Present();
}

}  // namespace vexaframe
