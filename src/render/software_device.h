#pragma once
// The software rendering path: the frame's Direct3D 8 calls carried out on the processor,
// into a 32-bit picture that each Present hands on. The solid covers a small part of the
// screen, so a Clear fills only what was drawn since the last one, and a Present hands on
// only the region that changed: the frames are the same as when everything is redrawn.

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "render/render_device.h"
#include "render/software_rasteriser.h"

namespace vexaframe {

// Takes each presented frame, with the region outside which it is the frame presented before
// (the whole frame the first time); the picture is only valid during the call.
using FrameSink = std::function<void(const Image& frame, const PixelRegion& changed)>;

class SoftwareDevice final : public RenderDevice {
public:
    // Sides 1..16384, else std::invalid_argument. Everything a frame needs is allocated here
    // or with the resources, never while drawing.
    SoftwareDevice(int width, int height, FrameSink sink);

    // Sides as above.
    bool Resize(int width, int height) override;

    TextureLimits Limits() const override;
    TextureSize TargetSize() const override {
        return {rasteriser_.Target().width, rasteriser_.Target().height};
    }
    std::unique_ptr<VertexBuffer> CreateVertexBuffer(std::size_t bytes,
                                                     std::uint32_t vertexFormat) override;
    std::unique_ptr<TextureUpload> BeginTextureUpload(
        std::shared_ptr<const Image> picture, std::unique_ptr<DeviceTexture> retired) override;

    bool SetVertexShader(std::uint32_t vertexFormat) override;
    bool SetStreamSource(int stream, VertexBuffer* buffer, int stride) override;
    bool SetTransform(TransformKind kind, const Matrix4& matrix) override;
    bool Clear(std::uint32_t colour, float depth) override;
    bool BeginScene() override;
    bool EndScene() override;
    bool SetMaterial(const Material& material) override;
    bool SetTexture(int stage, DeviceTexture* texture) override;
    bool SetRenderState(RenderState state, std::uint32_t value) override;
    bool DrawPrimitive(PrimitiveType type, int firstVertex, int primitiveCount) override;
    bool LightEnable(int index, bool enable) override;
    std::unique_ptr<DeviceTexture> CreateOverlayTexture(const Image& overlay) override;
    bool DrawOverlay(DeviceTexture* overlay, int x, int y, float opacity) override;
    bool Present() override;

private:
    // The states Direct3D 8 starts a device with an automatic depth buffer in.
    struct States {
        bool depthTest = true;
        CullMode cull = CullMode::CounterClockwise;
        bool blend = false;
        std::uint32_t sourceBlend = render_value::kBlendOne;
        std::uint32_t destinationBlend = render_value::kBlendZero;
        bool lighting = true;
        std::uint32_t ambient = 0;  // 0x00RRGGBB
    };

    // What a Clear leaves in both buffers.
    struct Fill {
        std::uint32_t colour;
        DepthValue depth;
        friend bool operator==(const Fill&, const Fill&) = default;
    };

    RasterState CurrentRasterState() const;
    std::uint32_t LitColour() const;
    // For a new target, or one whose pixels are not known: the next Clear and Present take
    // it whole.
    void ForgetTarget();

    FrameSink sink_;
    Rasteriser rasteriser_;
    std::optional<Fill> cleared_;  // what the target holds outside drawn_; none: not known
    PixelRegion drawn_;            // drawn since the last Clear
    PixelRegion changed_;          // cleared or drawn since the last Present
    bool inScene_ = false;
    States states_;
    Matrix4 view_ = Matrix4::Identity();
    Matrix4 projection_ = Matrix4::Identity();
    Material material_;
    bool vertexFormatSet_ = false;
    // Shared with the resources' handles, so that what is bound outlives its handle, as a
    // Direct3D device keeps a reference to what is bound to it.
    std::shared_ptr<const std::vector<std::byte>> stream_;
    std::shared_ptr<const TiledTexture> texture_;
};

}  // namespace vexaframe
