#pragma once
// What the frame draws through: the few calls of a Direct3D 8 device the program makes,
// with Direct3D's own numbers for states and values, so that the Direct3D device passes
// them straight on and the software device reads them the same way. Every call returns
// false when the device reports a failure.

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
inline constexpr std::uint32_t kZBufferOn = 1;      // ZEnable
inline constexpr std::uint32_t kFillSolid = 3;      // FillMode
inline constexpr std::uint32_t kCullNone = 1;       // CullMode
inline constexpr std::uint32_t kBlendZero = 1;      // SrcBlend, DestBlend
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

class VertexBuffer {
public:
    virtual ~VertexBuffer() = default;
    virtual bool SetData(std::size_t offset, std::span<const std::byte> bytes) = 0;
};

class RenderDevice {
public:
    virtual ~RenderDevice() = default;

    virtual TextureLimits Limits() const = 0;
    // Nothing when the device cannot make it.
    virtual std::unique_ptr<VertexBuffer> CreateVertexBuffer(std::size_t bytes,
                                                             std::uint32_t vertexFormat) = 0;
    // The picture must already fit the device's limits.
    virtual std::unique_ptr<DeviceTexture> CreateTexture(const Image& picture) = 0;

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
    virtual bool Present() = 0;
};

}  // namespace vexaframe
