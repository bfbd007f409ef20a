#pragma once
// What the frame draws through: the few calls of a Direct3D 8 device the program makes,
// with Direct3D's own numbers for states and values, so that the Direct3D device passes
// them straight on and the software device reads them the same way. Every call returns
// false when the device reports a failure.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "pictures/image.h"
#include "pictures/texture_picture.h"
#include "render/vector_math.h"

namespace vexaframe {

enum class TransformKind : std::uint32_t { View = 2, Projection = 3 };

enum class RenderState : std::uint32_t {
    ZEnable = 7,
    FillMode = 8,
    SrcBlend = 19,
    DestBlend = 20,
    CullMode = 22,
    AlphaBlendEnable = 27,
    Lighting = 137,
    Ambient = 139,
};

namespace render_value {
inline constexpr std::uint32_t kZBufferOn = 1;  // ZEnable
inline constexpr std::uint32_t kFillSolid = 3;  // FillMode
inline constexpr std::uint32_t kCullNone = 1;   // CullMode
inline constexpr std::uint32_t kBlendZero = 1;  // SrcBlend, DestBlend
inline constexpr std::uint32_t kBlendOne = 2;
inline constexpr std::uint32_t kBlendSrcColour = 3;
inline constexpr std::uint32_t kBlendInvSrcColour = 4;
}  // namespace render_value

enum class PrimitiveType : std::uint32_t { TriangleList = 4 };

struct ColourValue {
    float r = 0, g = 0, b = 0, a = 0;
};

struct Material {
    ColourValue Diffuse, Ambient, Specular, Emissive;
    float Power = 0;
};

// A texture the device made; only that device can use it.
class DeviceTexture {
public:
    virtual ~DeviceTexture() = default;
};

// The most of a picture one upload step copies. A band this size takes about 1.5 ms to copy and
// upload under Wine's software OpenGL on a busy two-core machine, a tenth of a 60 Hz frame, and
// brings even an 8192 x 8192 picture (256 MiB) in within 64 frames, about a second: far less
// than the shortest picture interval, 10 s.
inline constexpr std::size_t kTextureBandBytes = std::size_t{4} << 20;

// The rows of a picture `width` pixels wide that one step copies: as many as fit
// kTextureBandBytes, and at least one.
inline int TextureBandRows(int width) {
    const std::size_t rowBytes = sizeof(std::uint32_t) * static_cast<std::size_t>(width);
    return static_cast<int>(std::max<std::size_t>(1, kTextureBandBytes / rowBytes));
}

// A texture made a band of rows at a time, so that a large picture reaches the device over
// several frames rather than stalling one. It keeps the picture until every row is in.
class TextureUpload {
public:
    enum class State { Uploading, Finished, Failed };

    virtual ~TextureUpload() = default;
    // Copies the next band of rows (TextureBandRows of them, the last band fewer) and says
    // where the upload stands. Once finished or failed it does nothing more and says so again.
    virtual State Step() = 0;
    // The texture once the upload has finished, handed out once; otherwise nothing.
    virtual std::unique_ptr<DeviceTexture> TakeTexture() = 0;
};

// Whether a device can draw. A Direct3D device is lost while the display is taken from it (the
// machine asleep, the session locked, another display mode): it shows nothing until it can be
// reset, and the reset takes every texture and vertex buffer it made.
enum class DeviceCondition {
    Ready,
    Lost,      // not yet to be reset
    ResetDue,  // to be reset now
    Failed,    // for another reason, which waiting does not mend
};

class VertexBuffer {
public:
    virtual ~VertexBuffer() = default;
    virtual bool SetData(std::size_t offset, std::span<const std::byte> bytes) = 0;
};

class RenderDevice {
public:
    virtual ~RenderDevice() = default;

    virtual TextureLimits Limits() const = 0;
    // The size of what it draws on, in pixels.
    virtual TextureSize TargetSize() const = 0;
    // Within its limits, the largest texture that can show on its target (LimitsForTarget).
    TextureLimits ScreenTextureLimits() const {
        const TextureSize target = TargetSize();
        return LimitsForTarget(Limits(), target.width, target.height);
    }
    // Nothing when the device cannot make it.
    virtual std::unique_ptr<VertexBuffer> CreateVertexBuffer(std::size_t bytes,
                                                             std::uint32_t vertexFormat) = 0;
    // Starts a texture of the picture, which must already fit the device's limits; nothing when
    // the device cannot make it. `retired`, a texture no longer drawn with, may be filled
    // instead of a new one when it has the picture's size: under Wine that spares the driver
    // making and zero-filling new storage all at once. The upload may outlive the device.
    virtual std::unique_ptr<TextureUpload> BeginTextureUpload(
        std::shared_ptr<const Image> picture, std::unique_ptr<DeviceTexture> retired) = 0;
    // The whole upload in one call, for callers that can wait.
    std::unique_ptr<DeviceTexture> CreateTexture(const Image& picture);

    virtual bool SetVertexShader(std::uint32_t vertexFormat) = 0;
    virtual bool SetStreamSource(int stream, VertexBuffer* buffer, int stride) = 0;
    virtual bool SetTransform(TransformKind kind, const Matrix4& matrix) = 0;
    // Clears the whole target to `colour` (0xAARRGGBB) and the depth buffer to `depth`.
    virtual bool Clear(std::uint32_t colour, float depth) = 0;
    virtual bool BeginScene() = 0;
    virtual bool EndScene() = 0;
    virtual bool SetMaterial(const Material& material) = 0;
    virtual bool SetTexture(int stage, DeviceTexture* texture) = 0;
    virtual bool SetRenderState(RenderState state, std::uint32_t value) = 0;
    virtual bool DrawPrimitive(PrimitiveType type, int firstVertex, int primitiveCount) = 0;
    virtual bool LightEnable(int index, bool enable) = 0;

    // A texture of a picture laid over frames pixel for pixel, such as a caption: any size
    // within the device's limits, powers of two or not, its alpha kept; pixels 0xAARRGGBB with
    // the colour premultiplied by the alpha. Like every texture the device makes, a reset takes
    // it: the caller makes it anew. Nothing when the device cannot make it.
    virtual std::unique_ptr<DeviceTexture> CreateOverlayTexture(const Image& overlay) = 0;
    // Within a scene, after the solid: the overlay with its top-left pixel at (x, y) of the
    // target, what falls outside the target cut away. Each pixel becomes
    // overlay * opacity + target * (1 - overlay alpha * opacity), opacity 0..1, with no depth
    // test or write and no lighting. Every state, transform and binding the solid's drawing
    // relies on is as it was before, so that the next frame is the same with or without one.
    // False too for a texture CreateOverlayTexture did not make or an opacity outside 0..1.
    virtual bool DrawOverlay(DeviceTexture* overlay, int x, int y, float opacity) = 0;

    virtual bool Present() = 0;

    // The drawing surface's new size, after its window was resized; resources, bindings and
    // states stay. False, and the size stays, for a size the device cannot draw, or on a device
    // made for one size.
    virtual bool Resize(int /*width*/, int /*height*/) { return false; }

    // A device that cannot be lost, as the software one, is always ready.
    virtual DeviceCondition Condition() { return DeviceCondition::Ready; }
    // Resets a device whose condition is ResetDue, for the presentation it was made for; every
    // texture, vertex buffer and upload it made must be gone. Ready once reset, Lost when the
    // device was lost again meanwhile, else Failed.
    virtual DeviceCondition Reset() { return DeviceCondition::Ready; }
};

inline std::unique_ptr<DeviceTexture> RenderDevice::CreateTexture(const Image& picture) {
    // The upload ends within this call, so it may borrow the picture: a pointer that owns nothing.
    const std::shared_ptr<const Image> borrowed(std::shared_ptr<const Image>(), &picture);
    const std::unique_ptr<TextureUpload> upload = BeginTextureUpload(borrowed, nullptr);
    if (!upload) return nullptr;
    while (upload->Step() == TextureUpload::State::Uploading) continue;
    return upload->TakeTexture();
}

}  // namespace vexaframe
