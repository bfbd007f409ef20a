#pragma once
// The OpenGL rendering path: the frame's Direct3D 8 calls carried out by OpenGL 1.4's
// fixed-function pipeline, drawing the frames the software device draws. It makes only OpenGL
// calls, into the context current on the calling thread; showing a frame is left to the window
// system, through the function it is given.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "render/render_device.h"

namespace vexaframe {

// Shows the frame drawn into the back buffer, as glXSwapBuffers does.
using SwapBuffers = std::function<void()>;

// What draws in the current context, as GL_RENDERER names it; empty where no context is current.
std::string CurrentGlRenderer();

// Whatever a device made holds its identity, so that it is told apart from another device's.
struct GlDeviceIdentity;
class GlVertexData;
class GlTextureObject;

class GlDevice final : public RenderDevice {
public:
    // Draws into the current context's drawable, `width` x `height` pixels. That context must
    // stay current on this thread while the device or anything it made lives, uploads included:
    // they outlive the device, but not the context. Nothing when no context is current or it is
    // older than OpenGL 1.4, which first takes the picture's colour as a source blend factor.
    static std::unique_ptr<GlDevice> Create(int width, int height, SwapBuffers swapBuffers);

    // The drawable's new size; false for an empty one.
    bool Resize(int width, int height) override;

    TextureLimits Limits() const override;
    TextureSize TargetSize() const override { return {width_, height_}; }
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
    GlDevice(int width, int height, SwapBuffers swapBuffers, TextureLimits limits, int maxLights);
    bool LoadProjection();
    bool SetCulling(std::uint32_t cullMode);

    SwapBuffers swapBuffers_;
    std::shared_ptr<const GlDeviceIdentity> identity_;
    TextureLimits limits_;
    int maxLights_;
    int width_, height_;
    bool inScene_ = false;
    bool vertexFormatSet_ = false;
    std::uint32_t sourceBlend_, destinationBlend_;
    Matrix4 projection_ = Matrix4::Identity();
    // Shared with the resources' handles, so that what is bound outlives its handle, as a
    // Direct3D device keeps a reference to what is bound to it.
    std::shared_ptr<const GlVertexData> stream_;
    std::shared_ptr<const GlTextureObject> texture_;
};

}  // namespace vexaframe
