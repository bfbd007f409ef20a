#pragma once
// The Direct3D 8 rendering path: the frame's calls passed straight on to an IDirect3DDevice8
// drawing into a window. d3d8.dll is loaded at run time, so the program still starts where it
// is missing and can say so.

#include <windows.h>

#include <memory>

#include "platform/win32_handles.h"
#include "render/device_choice.h"
#include "render/render_device.h"

struct IDirect3D8;
struct IDirect3DDevice8;

namespace vexaframe {

// Keeps d3d8.dll loaded while anything made from it lives.
class D3D8Runtime;

// The steps of making windowed devices on `window`, each with a 16-bit depth buffer and the
// back buffer the size of the window's client area; what they make are D3D8Devices.
// `runtimeFile` only names another library in tests.
std::unique_ptr<Direct3DDeviceMaker> MakeD3D8DeviceMaker(HWND window,
                                                         const wchar_t* runtimeFile = L"d3d8.dll");

class D3D8Device final : public RenderDevice {
public:
    ~D3D8Device() override;
    D3D8Device(const D3D8Device&) = delete;
    D3D8Device& operator=(const D3D8Device&) = delete;

    Direct3DDeviceType Type() const { return type_; }
    // For reading frames back; the device keeps its reference.
    IDirect3DDevice8* Native() const { return device_.get(); }

    TextureLimits Limits() const override;
    TextureSize TargetSize() const override;
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

    DeviceCondition Condition() override;
    DeviceCondition Reset() override;

private:
    using Direct3DPtr = ComOwned<IDirect3D8>;
    using DevicePtr = ComOwned<IDirect3DDevice8>;

    friend class D3D8DeviceMaker;
    D3D8Device(std::shared_ptr<const D3D8Runtime> runtime, Direct3DPtr direct3d, DevicePtr device,
               Direct3DDeviceType type, HWND window);

    // Declared in this order so that they go in the reverse one: the device, the Direct3D
    // object, then the library.
    std::shared_ptr<const D3D8Runtime> runtime_;
    Direct3DPtr direct3d_;
    DevicePtr device_;
    Direct3DDeviceType type_;
    HWND window_;  // the one it presents into
};

}  // namespace vexaframe
