#include "render/win32_d3d8_device.h"

#include <d3d8.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include "render/banded_texture_upload.h"
#include "render/overlay.h"

namespace vexaframe {

// A COM object released after its library is gone would call into unloaded code, so whatever
// the runtime made shares this and the library goes with the last of them.
class D3D8Runtime {
public:
    explicit D3D8Runtime(OwnedModule module) : module_(std::move(module)) {}

private:
    OwnedModule module_;
};

namespace {

using Direct3DCreate8Function = IDirect3D8*(WINAPI*)(UINT);

// A COM object of the runtime that keeps the runtime loaded until the object is released.
template <typename Interface>
class RuntimeObject {
public:
    RuntimeObject(std::shared_ptr<const D3D8Runtime> runtime, Interface* object)
        : runtime_(std::move(runtime)), object_(object) {}

    Interface* operator->() const { return object_.get(); }
    Interface* get() const { return object_.get(); }

private:
    std::shared_ptr<const D3D8Runtime> runtime_;
    ComOwned<Interface> object_;
};

class D3D8Texture final : public DeviceTexture {
public:
    D3D8Texture(std::shared_ptr<const D3D8Runtime> runtime, IDirect3DTexture8* texture)
        : texture_(std::move(runtime), texture) {}

    IDirect3DTexture8* Native() const { return texture_.get(); }

private:
    RuntimeObject<IDirect3DTexture8> texture_;
};

class D3D8VertexBuffer final : public VertexBuffer {
public:
    D3D8VertexBuffer(std::shared_ptr<const D3D8Runtime> runtime, IDirect3DVertexBuffer8* buffer,
                     std::size_t size)
        : buffer_(std::move(runtime), buffer), size_(size) {}

    bool SetData(std::size_t offset, std::span<const std::byte> bytes) override {
        if (offset > size_ || bytes.size() > size_ - offset) return false;
        if (bytes.empty()) return true;  // a lock of size 0 would lock the whole buffer
        BYTE* data = nullptr;
        if (FAILED(buffer_->Lock(static_cast<UINT>(offset), static_cast<UINT>(bytes.size()), &data,
                                 0)))
            return false;
        std::memcpy(data, bytes.data(), bytes.size());
        return SUCCEEDED(buffer_->Unlock());
    }

    IDirect3DVertexBuffer8* Native() const { return buffer_.get(); }

private:
    RuntimeObject<IDirect3DVertexBuffer8> buffer_;
    std::size_t size_;
};

std::optional<D3DFORMAT> DisplayFormat(IDirect3D8& direct3d) {
    D3DDISPLAYMODE mode{};
    if (FAILED(direct3d.GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode))) return std::nullopt;
    return mode.Format;
}

// A back buffer of size 0 takes the client area of the window.
D3DPRESENT_PARAMETERS WindowedPresentation(HWND window, D3DFORMAT displayFormat) {
    D3DPRESENT_PARAMETERS parameters{};
    parameters.BackBufferFormat = displayFormat;
    parameters.MultiSampleType = D3DMULTISAMPLE_NONE;
    parameters.SwapEffect = D3DSWAPEFFECT_COPY_VSYNC;
    parameters.hDeviceWindow = window;
    parameters.Windowed = TRUE;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D16;
    return parameters;
}

IDirect3DDevice8* CreateNativeDevice(IDirect3D8& direct3d, HWND window, Direct3DDeviceType type,
                                     D3DFORMAT displayFormat) {
    const bool hardware = type == Direct3DDeviceType::Hardware;
    D3DPRESENT_PARAMETERS parameters = WindowedPresentation(window, displayFormat);
    IDirect3DDevice8* device = nullptr;
    const HRESULT result = direct3d.CreateDevice(
        D3DADAPTER_DEFAULT, hardware ? D3DDEVTYPE_HAL : D3DDEVTYPE_REF, window,
        hardware ? D3DCREATE_HARDWARE_VERTEXPROCESSING : D3DCREATE_SOFTWARE_VERTEXPROCESSING,
        &parameters, &device);
    return SUCCEEDED(result) ? device : nullptr;
}

bool HoldsItsPixels(const Image& picture) {
    return picture.width > 0 && picture.height > 0 &&
           picture.pixels.size() == static_cast<std::size_t>(picture.width) * picture.height;
}

// Both formats lay a texel out as the picture does: 0xAARRGGBB in a 32-bit word. The default
// pool keeps no second copy in system memory, and rows copied into it are uploaded there and
// then, not all at once at the first draw as a managed texture's are. A reset of the device
// loses it, so the texture is made anew after one.
IDirect3DTexture8* NewTexture(IDirect3DDevice8& device, int width, int height) {
    for (const D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}) {
        IDirect3DTexture8* texture = nullptr;
        if (SUCCEEDED(device.CreateTexture(static_cast<UINT>(width), static_cast<UINT>(height), 1,
                                           0, format, D3DPOOL_DEFAULT, &texture)))
            return texture;
    }
    return nullptr;
}

// Copies rows of the picture to the top of a locked surface.
void CopyRows(const Image& picture, int firstRow, int rowCount, const D3DLOCKED_RECT& locked) {
    const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * sizeof(std::uint32_t);
    auto* row = static_cast<std::byte*>(locked.pBits);
    for (int y = firstRow; y < firstRow + rowCount; ++y, row += locked.Pitch)
        std::memcpy(row, picture.pixels.data() + static_cast<std::size_t>(y) * picture.width,
                    rowBytes);
}

using SurfaceObject = RuntimeObject<IDirect3DSurface8>;

// Surfaces in system memory a band high, taken in turn. Locking one waits until the device has
// copied it into the texture; Wine lets the device run up to three frames behind, so with three
// a step need not wait for a copy queued in the last frame or two.
constexpr int kBandSurfaces = 3;

// Each band goes through a band surface into the texture's level, where Wine uploads it at
// once. Holding the device keeps it alive for the upload.
class D3D8TextureUpload final : public BandedTextureUpload {
public:
    D3D8TextureUpload(std::shared_ptr<const Image> picture, std::unique_ptr<D3D8Texture> texture,
                      RuntimeObject<IDirect3DDevice8> device, SurfaceObject level,
                      std::vector<SurfaceObject> bands)
        : BandedTextureUpload(std::move(picture), std::move(texture)),
          copying_(Copying{std::move(device), std::move(level), std::move(bands)}) {}

private:
    struct Copying {
        RuntimeObject<IDirect3DDevice8> device;
        SurfaceObject level;
        std::vector<SurfaceObject> bands;
        std::size_t copied = 0;
    };

    bool CopyBand(const Image& picture, int firstRow, int rowCount) override {
        const SurfaceObject& band = copying_->bands[copying_->copied++ % copying_->bands.size()];
        D3DLOCKED_RECT locked{};
        if (FAILED(band->LockRect(&locked, nullptr, 0))) return false;
        CopyRows(picture, firstRow, rowCount, locked);
        if (FAILED(band->UnlockRect())) return false;
        // Explicit rectangles: Wine copies nothing for a destination point without them.
        const RECT rows{0, 0, picture.width, rowCount};
        const POINT to{0, firstRow};
        return SUCCEEDED(
            copying_->device->CopyRects(band.get(), &rows, 1, copying_->level.get(), &to));
    }
    void EndCopying() override { copying_.reset(); }

    std::optional<Copying> copying_;
};

// The retired texture when it is one of `device`'s and has that size, to be written over.
std::unique_ptr<D3D8Texture> Reusable(std::unique_ptr<DeviceTexture> retired,
                                      IDirect3DDevice8& device, int width, int height) {
    auto* ours = dynamic_cast<D3D8Texture*>(retired.get());
    if (!ours) return nullptr;
    IDirect3DDevice8* owner = nullptr;
    if (FAILED(ours->Native()->GetDevice(&owner))) return nullptr;
    const ComOwned<IDirect3DDevice8> ownerReference(owner);
    D3DSURFACE_DESC level{};
    if (owner != &device || FAILED(ours->Native()->GetLevelDesc(0, &level)) ||
        level.Width != static_cast<UINT>(width) || level.Height != static_cast<UINT>(height))
        return nullptr;
    retired.release();
    return std::unique_ptr<D3D8Texture>(ours);
}

DeviceCondition ConditionOf(HRESULT result) {
    switch (result) {
        case D3D_OK:
            return DeviceCondition::Ready;
        case D3DERR_DEVICELOST:
            return DeviceCondition::Lost;
        case D3DERR_DEVICENOTRESET:
            return DeviceCondition::ResetDue;
        default:
            return DeviceCondition::Failed;
    }
}

D3DMATRIX NativeMatrix(const Matrix4& matrix) {
    D3DMATRIX native;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column) native.m[row][column] = matrix.m[row][column];
    return native;
}

D3DCOLORVALUE NativeColour(const ColourValue& colour) {
    return {colour.r, colour.g, colour.b, colour.a};
}

struct RenderStateValue {
    D3DRENDERSTATETYPE state;
    DWORD value;
};

struct StageStateValue {
    D3DTEXTURESTAGESTATETYPE state;
    DWORD value;
};

using RenderStates = std::array<RenderStateValue, 6>;
using StageStates = std::array<StageStateValue, 11>;

// The overlay's blending, over whatever depth the solid left; the texture factor carries the
// opacity, `level` 0..255.
RenderStates OverlayRenderStates(DWORD level) {
    return {{{D3DRS_ZENABLE, D3DZB_FALSE},
             {D3DRS_CULLMODE, D3DCULL_NONE},
             {D3DRS_ALPHABLENDENABLE, TRUE},
             {D3DRS_SRCBLEND, D3DBLEND_ONE},
             {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
             {D3DRS_TEXTUREFACTOR, D3DCOLOR_ARGB(level, level, level, level)}}};
}

// Stage 0: the texels, colour and alpha, times the factor; one texel per pixel, and clamped
// addressing, which a texture whose sides are not powers of two needs.
constexpr StageStates kOverlayStageStates{{
    {D3DTSS_COLOROP, D3DTOP_MODULATE},
    {D3DTSS_COLORARG1, D3DTA_TEXTURE},
    {D3DTSS_COLORARG2, D3DTA_TFACTOR},
    {D3DTSS_ALPHAOP, D3DTOP_MODULATE},
    {D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
    {D3DTSS_ALPHAARG2, D3DTA_TFACTOR},
    {D3DTSS_MAGFILTER, D3DTEXF_POINT},
    {D3DTSS_MINFILTER, D3DTEXF_POINT},
    {D3DTSS_MIPFILTER, D3DTEXF_NONE},
    {D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP},
    {D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP},
}};

bool SetRenderStates(IDirect3DDevice8& device, std::span<const RenderStateValue> states) {
    return std::ranges::all_of(states, [&](const RenderStateValue& set) {
        return SUCCEEDED(device.SetRenderState(set.state, set.value));
    });
}

bool SetStageStates(IDirect3DDevice8& device, std::span<const StageStateValue> states) {
    return std::ranges::all_of(states, [&](const StageStateValue& set) {
        return SUCCEEDED(device.SetTextureStageState(0, set.state, set.value));
    });
}

// What drawing the overlay changes, as it was before. DrawPrimitiveUP leaves stream 0 unset, so
// the stream is among it.
struct DrawingState {
    RenderStates renderStates = OverlayRenderStates(0);  // the values to be read
    StageStates stageStates = kOverlayStageStates;
    ComOwned<IDirect3DBaseTexture8> texture;
    ComOwned<IDirect3DVertexBuffer8> stream;
    UINT stride = 0;
    DWORD vertexShader = 0;
};

std::optional<DrawingState> ReadDrawingState(IDirect3DDevice8& device) {
    DrawingState saved;
    for (RenderStateValue& state : saved.renderStates)
        if (FAILED(device.GetRenderState(state.state, &state.value))) return std::nullopt;
    for (StageStateValue& state : saved.stageStates)
        if (FAILED(device.GetTextureStageState(0, state.state, &state.value))) return std::nullopt;
    IDirect3DBaseTexture8* texture = nullptr;
    IDirect3DVertexBuffer8* stream = nullptr;
    const bool read = SUCCEEDED(device.GetTexture(0, &texture)) &&
                      SUCCEEDED(device.GetStreamSource(0, &stream, &saved.stride)) &&
                      SUCCEEDED(device.GetVertexShader(&saved.vertexShader));
    saved.texture.reset(texture);  // both referenced by the calls that handed them out
    saved.stream.reset(stream);
    return read ? std::optional(std::move(saved)) : std::nullopt;
}

// Every part set back, even after one fails.
bool RestoreDrawingState(IDirect3DDevice8& device, const DrawingState& saved) {
    const bool states =
        SetRenderStates(device, saved.renderStates) & SetStageStates(device, saved.stageStates);
    const bool bindings = SUCCEEDED(device.SetTexture(0, saved.texture.get())) &
                          SUCCEEDED(device.SetStreamSource(0, saved.stream.get(), saved.stride)) &
                          SUCCEEDED(device.SetVertexShader(saved.vertexShader));
    return states && bindings;
}

struct OverlayVertex {
    float x, y, z, rhw, u, v;
};
constexpr DWORD kOverlayVertexFormat = D3DFVF_XYZRHW | D3DFVF_TEX1;

// A strip of two triangles in window coordinates, moved half a pixel up and left: Direct3D
// samples pixels at whole coordinates, so each pixel then samples one texel's centre.
std::array<OverlayVertex, 4> OverlayQuad(const OverlayTexture& overlay, int x, int y) {
    const PixelSize shown = overlay.Shown(), stored = overlay.Stored();
    const auto at = [](double position) { return static_cast<float>(position - 0.5); };
    const float left = at(x), top = at(y);
    const float right = at(static_cast<double>(x) + shown.width);
    const float bottom = at(static_cast<double>(y) + shown.height);
    const float u = static_cast<float>(shown.width) / static_cast<float>(stored.width);
    const float v = static_cast<float>(shown.height) / static_cast<float>(stored.height);
    return {{{left, top, 0, 1, 0, 0},
             {right, top, 0, 1, u, 0},
             {left, bottom, 0, 1, 0, v},
             {right, bottom, 0, 1, u, v}}};
}

}  // namespace

class D3D8DeviceMaker final : public Direct3DDeviceMaker {
public:
    D3D8DeviceMaker(HWND window, const wchar_t* runtimeFile)
        : window_(window), runtimeFile_(runtimeFile) {}

    bool CreateRootObject() override {
        OwnedModule module(LoadLibraryW(runtimeFile_));
        if (!module) return false;
        const FARPROC entry = GetProcAddress(module.get(), "Direct3DCreate8");
        if (!entry) return false;
        runtime_ = std::make_shared<const D3D8Runtime>(std::move(module));
        // Through the generic function type, which converts to any other function type.
        create_ = reinterpret_cast<Direct3DCreate8Function>(reinterpret_cast<void (*)()>(entry));
        return true;
    }

    bool CreateDirect3DObject() override {
        if (!create_) return false;
        direct3d_.reset(create_(D3D_SDK_VERSION));
        if (!direct3d_) return false;
        displayFormat_ = DisplayFormat(*direct3d_);
        return true;
    }

    bool HardwareDrawsInDisplayFormat() override {
        return direct3d_ && displayFormat_ &&
               direct3d_->CheckDeviceType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, *displayFormat_,
                                          *displayFormat_, TRUE) == D3D_OK;
    }

    std::unique_ptr<RenderDevice> CreateDevice(Direct3DDeviceType type) override {
        if (!direct3d_ || !displayFormat_) return nullptr;
        D3D8Device::DevicePtr device(
            CreateNativeDevice(*direct3d_, window_, type, *displayFormat_));
        if (!device) return nullptr;
        direct3d_->AddRef();  // one reference for the device, which outlives this maker
        return std::unique_ptr<D3D8Device>(new D3D8Device(
            runtime_, D3D8Device::Direct3DPtr(direct3d_.get()), std::move(device), type, window_));
    }

private:
    HWND window_;
    const wchar_t* runtimeFile_;
    // Declared in this order so that the Direct3D object goes before the library.
    std::shared_ptr<const D3D8Runtime> runtime_;
    Direct3DCreate8Function create_ = nullptr;
    ComOwned<IDirect3D8> direct3d_;
    std::optional<D3DFORMAT> displayFormat_;
};

std::unique_ptr<Direct3DDeviceMaker> MakeD3D8DeviceMaker(HWND window, const wchar_t* runtimeFile) {
    return std::make_unique<D3D8DeviceMaker>(window, runtimeFile);
}

D3D8Device::D3D8Device(std::shared_ptr<const D3D8Runtime> runtime, Direct3DPtr direct3d,
                       DevicePtr device, Direct3DDeviceType type, HWND window)
    : runtime_(std::move(runtime)),
      direct3d_(std::move(direct3d)),
      device_(std::move(device)),
      type_(type),
      window_(window) {}

D3D8Device::~D3D8Device() = default;

// Without the device's capabilities no texture size can be trusted, so none is offered.
TextureLimits D3D8Device::Limits() const {
    D3DCAPS8 caps{};
    if (FAILED(device_->GetDeviceCaps(&caps))) return {0, false};
    const DWORD side = std::min({caps.MaxTextureWidth, caps.MaxTextureHeight, DWORD{INT_MAX}});
    return {static_cast<int>(side), (caps.TextureCaps & D3DPTEXTURECAPS_POW2) != 0};
}

// Its back buffer is the size of the window's client area.
TextureSize D3D8Device::TargetSize() const {
    RECT client{};
    if (!GetClientRect(window_, &client)) return {};
    return {client.right - client.left, client.bottom - client.top};
}

std::unique_ptr<VertexBuffer> D3D8Device::CreateVertexBuffer(std::size_t bytes,
                                                             std::uint32_t vertexFormat) {
    if (bytes == 0 || bytes > UINT_MAX) return nullptr;
    IDirect3DVertexBuffer8* buffer = nullptr;
    if (FAILED(device_->CreateVertexBuffer(static_cast<UINT>(bytes), 0, vertexFormat,
                                           D3DPOOL_DEFAULT, &buffer)))
        return nullptr;
    return std::make_unique<D3D8VertexBuffer>(runtime_, buffer, bytes);
}

std::unique_ptr<TextureUpload> D3D8Device::BeginTextureUpload(
    std::shared_ptr<const Image> picture, std::unique_ptr<DeviceTexture> retired) {
    if (!picture || !HoldsItsPixels(*picture)) return nullptr;
    const int width = picture->width, height = picture->height;
    std::unique_ptr<D3D8Texture> texture = Reusable(std::move(retired), *device_, width, height);
    if (!texture) {
        IDirect3DTexture8* made = NewTexture(*device_, width, height);
        if (!made) return nullptr;
        texture = std::make_unique<D3D8Texture>(runtime_, made);
    }
    D3DSURFACE_DESC description{};
    IDirect3DSurface8* level = nullptr;
    if (FAILED(texture->Native()->GetLevelDesc(0, &description)) ||
        FAILED(texture->Native()->GetSurfaceLevel(0, &level)))
        return nullptr;
    SurfaceObject levelOwner(runtime_, level);
    const int bandRows = std::min(TextureBandRows(width), height);
    const int bandCount = std::min(kBandSurfaces, (height + bandRows - 1) / bandRows);  // no spares
    std::vector<SurfaceObject> bands;
    for (int i = 0; i < bandCount; ++i) {
        IDirect3DSurface8* band = nullptr;
        if (FAILED(device_->CreateImageSurface(
                static_cast<UINT>(width), static_cast<UINT>(bandRows), description.Format, &band)))
            return nullptr;
        bands.emplace_back(runtime_, band);
    }
    device_->AddRef();  // for the upload, which may outlive this object
    return std::make_unique<D3D8TextureUpload>(std::move(picture), std::move(texture),
                                               RuntimeObject(runtime_, device_.get()),
                                               std::move(levelOwner), std::move(bands));
}

bool D3D8Device::SetVertexShader(std::uint32_t vertexFormat) {
    return SUCCEEDED(device_->SetVertexShader(vertexFormat));
}

bool D3D8Device::SetStreamSource(int stream, VertexBuffer* buffer, int stride) {
    if (stream < 0 || stride < 0) return false;
    IDirect3DVertexBuffer8* native = nullptr;
    if (buffer) {
        const auto* ours = dynamic_cast<const D3D8VertexBuffer*>(buffer);
        if (!ours) return false;
        native = ours->Native();
    }
    return SUCCEEDED(
        device_->SetStreamSource(static_cast<UINT>(stream), native, static_cast<UINT>(stride)));
}

bool D3D8Device::SetTransform(TransformKind kind, const Matrix4& matrix) {
    const D3DMATRIX native = NativeMatrix(matrix);
    return SUCCEEDED(device_->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(kind), &native));
}

bool D3D8Device::Clear(std::uint32_t colour, float depth) {
    return SUCCEEDED(
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, depth, 0));
}

bool D3D8Device::BeginScene() {
    return SUCCEEDED(device_->BeginScene());
}

bool D3D8Device::EndScene() {
    return SUCCEEDED(device_->EndScene());
}

bool D3D8Device::SetMaterial(const Material& material) {
    const D3DMATERIAL8 native{NativeColour(material.Diffuse), NativeColour(material.Ambient),
                              NativeColour(material.Specular), NativeColour(material.Emissive),
                              material.Power};
    return SUCCEEDED(device_->SetMaterial(&native));
}

bool D3D8Device::SetTexture(int stage, DeviceTexture* texture) {
    if (stage < 0) return false;
    IDirect3DBaseTexture8* native = nullptr;
    if (texture) {
        const auto* ours = dynamic_cast<const D3D8Texture*>(texture);
        if (!ours) return false;
        native = ours->Native();
    }
    return SUCCEEDED(device_->SetTexture(static_cast<DWORD>(stage), native));
}

bool D3D8Device::SetRenderState(RenderState state, std::uint32_t value) {
    return SUCCEEDED(device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(state), value));
}

bool D3D8Device::DrawPrimitive(PrimitiveType type, int firstVertex, int primitiveCount) {
    if (firstVertex < 0 || primitiveCount < 0) return false;
    return SUCCEEDED(device_->DrawPrimitive(static_cast<D3DPRIMITIVETYPE>(type),
                                            static_cast<UINT>(firstVertex),
                                            static_cast<UINT>(primitiveCount)));
}

bool D3D8Device::LightEnable(int index, bool enable) {
    if (index < 0) return false;
    return SUCCEEDED(device_->LightEnable(static_cast<DWORD>(index), enable ? TRUE : FALSE));
}

// Only a texture that keeps the overlay's alpha.
std::unique_ptr<DeviceTexture> D3D8Device::CreateOverlayTexture(const Image& overlay) {
    std::unique_ptr<OverlayTexture> made = UploadOverlay(*this, overlay);
    const auto* texels = made ? dynamic_cast<const D3D8Texture*>(made->Texels()) : nullptr;
    D3DSURFACE_DESC level{};
    if (!texels || FAILED(texels->Native()->GetLevelDesc(0, &level)) ||
        level.Format != D3DFMT_A8R8G8B8)
        return nullptr;
    return made;
}

bool D3D8Device::DrawOverlay(DeviceTexture* overlay, int x, int y, float opacity) {
    const auto* texels = OverlayTexelsOf<D3D8Texture>(overlay);
    if (!texels || !IsOpacity(opacity)) return false;
    const std::optional<DrawingState> saved = ReadDrawingState(*device_);
    if (!saved) return false;
    const auto level = static_cast<DWORD>(std::lround(opacity * 255));
    const std::array<OverlayVertex, 4> quad =
        OverlayQuad(static_cast<const OverlayTexture&>(*overlay), x, y);
    const bool drawn =
        SetRenderStates(*device_, OverlayRenderStates(level)) &&
        SetStageStates(*device_, kOverlayStageStates) &&
        SUCCEEDED(device_->SetTexture(0, texels->Native())) &&
        SUCCEEDED(device_->SetVertexShader(kOverlayVertexFormat)) &&
        SUCCEEDED(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad.data(), sizeof quad[0]));
    const bool restored = RestoreDrawingState(*device_, *saved);
    return drawn && restored;
}

bool D3D8Device::Present() {
    return SUCCEEDED(device_->Present(nullptr, nullptr, nullptr, nullptr));
}

DeviceCondition D3D8Device::Condition() {
    return ConditionOf(device_->TestCooperativeLevel());
}

// The presentation the device was made for, in the display's format of now: a windowed back
// buffer must have it, and the loss may have come from a change of display mode.
DeviceCondition D3D8Device::Reset() {
    // Bound, they would keep the texture and the vertex buffer the reset needs gone.
    device_->SetTexture(0, nullptr);
    device_->SetStreamSource(0, nullptr, 0);
    const std::optional<D3DFORMAT> displayFormat = DisplayFormat(*direct3d_);
    if (!displayFormat) return DeviceCondition::Failed;
    D3DPRESENT_PARAMETERS parameters = WindowedPresentation(window_, *displayFormat);
    const DeviceCondition condition = ConditionOf(device_->Reset(&parameters));
    return condition == DeviceCondition::ResetDue ? DeviceCondition::Failed : condition;
}

}  // namespace vexaframe
