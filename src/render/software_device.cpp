#include "render/software_device.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <stdexcept>

#include "render/banded_texture_upload.h"
#include "render/overlay.h"
#include "render/solid.h"

namespace vexaframe {

namespace {

constexpr int kMaxTextureSide = 4096;
constexpr int kVertexStride = sizeof(SolidVertex);

class SoftwareTexture final : public DeviceTexture {
public:
    explicit SoftwareTexture(std::shared_ptr<const TiledTexture> tiled)
        : texels(std::move(tiled)) {}

    const std::shared_ptr<const TiledTexture> texels;
};

// Tiling a 4096 x 4096 picture takes some 70 ms, so it too goes a band at a time.
class SoftwareTextureUpload final : public BandedTextureUpload {
public:
    SoftwareTextureUpload(std::shared_ptr<const Image> picture,
                          std::shared_ptr<TiledTexture> texels)
        : BandedTextureUpload(std::move(picture), std::make_unique<SoftwareTexture>(texels)),
          texels_(std::move(texels)) {}

private:
    bool CopyBand(const Image& picture, int firstRow, int rowCount) override {
        texels_->CopyRows(picture, firstRow, rowCount);
        return true;
    }
    void EndCopying() override { texels_.reset(); }

    std::shared_ptr<TiledTexture> texels_;  // the texture's, written only until it is handed out
};

// Laid over pixel for pixel, an overlay needs no sampling: its picture as it is.
class SoftwareOverlay final : public DeviceTexture {
public:
    explicit SoftwareOverlay(const Image& overlay) : picture(overlay) {}

    const Image picture;
};

class SoftwareVertexBuffer final : public VertexBuffer {
public:
    explicit SoftwareVertexBuffer(std::size_t size)
        : bytes_(std::make_shared<std::vector<std::byte>>(size)) {}

    bool SetData(std::size_t offset, std::span<const std::byte> data) override {
        if (offset > bytes_->size() || data.size() > bytes_->size() - offset) return false;
        std::copy(data.begin(), data.end(), bytes_->begin() + static_cast<std::ptrdiff_t>(offset));
        return true;
    }

    std::shared_ptr<const std::vector<std::byte>> Bytes() const { return bytes_; }

private:
    std::shared_ptr<std::vector<std::byte>> bytes_;
};

std::optional<BlendFactor> BlendFactorFor(std::uint32_t value) {
    using namespace render_value;
    switch (value) {
        case kBlendZero:
            return BlendFactor{0, 0};
        case kBlendOne:
            return BlendFactor{255, 0};
        case kBlendSrcColour:
            return BlendFactor{0, 1};
        case kBlendInvSrcColour:
            return BlendFactor{255, ~0u};
        default:
            return std::nullopt;
    }
}

bool IsCullMode(std::uint32_t value) {
    return value >= static_cast<std::uint32_t>(CullMode::None) &&
           value <= static_cast<std::uint32_t>(CullMode::CounterClockwise);
}

// A lit channel, 0..255: emissive plus material ambient times the ambient light, saturated.
std::uint32_t LitChannel(float emissive, float ambientReflectance, std::uint32_t ambientLight) {
    const float lit = emissive + ambientReflectance * static_cast<float>(ambientLight) / 255;
    return static_cast<std::uint32_t>(std::lround(255 * std::clamp(lit, 0.0f, 1.0f)));
}

SolidVertex VertexAt(const std::vector<std::byte>& bytes, int index) {
    SolidVertex vertex;
    std::memcpy(&vertex, bytes.data() + static_cast<std::size_t>(index) * kVertexStride,
                sizeof vertex);
    return vertex;
}

}  // namespace

SoftwareDevice::SoftwareDevice(int width, int height, FrameSink sink)
    : sink_(std::move(sink)), rasteriser_(width, height) {
    ForgetTarget();
}

bool SoftwareDevice::Resize(int width, int height) {
    try {
        rasteriser_ = Rasteriser(width, height);
    } catch (const std::invalid_argument&) {
        return false;
    }
    ForgetTarget();
    return true;
}

// Black at depth 1 until the first Clear, which fills it whole.
void SoftwareDevice::ForgetTarget() {
    rasteriser_.Clear(0, 1.0f, rasteriser_.Whole());
    cleared_.reset();
    drawn_ = {};
    changed_ = rasteriser_.Whole();
}

// Power-of-two sides keep wrapping a mask; 4096 covers a picture at full screen size.
TextureLimits SoftwareDevice::Limits() const {
    return {kMaxTextureSide, true};
}

std::unique_ptr<VertexBuffer> SoftwareDevice::CreateVertexBuffer(std::size_t bytes,
                                                                 std::uint32_t vertexFormat) {
    if (vertexFormat != kSolidVertexFormat || bytes == 0) return nullptr;
    return std::make_unique<SoftwareVertexBuffer>(bytes);
}

// A retired texture saves nothing here: new texels cost no more than writing over old ones.
std::unique_ptr<TextureUpload> SoftwareDevice::BeginTextureUpload(
    std::shared_ptr<const Image> picture, std::unique_ptr<DeviceTexture> /*retired*/) {
    if (!picture || !FitsTextureLimits(*picture, Limits())) return nullptr;
    auto texels = std::make_shared<TiledTexture>(picture->width, picture->height);
    return std::make_unique<SoftwareTextureUpload>(std::move(picture), std::move(texels));
}

bool SoftwareDevice::SetVertexShader(std::uint32_t vertexFormat) {
    if (vertexFormat != kSolidVertexFormat) return false;
    vertexFormatSet_ = true;
    return true;
}

bool SoftwareDevice::SetStreamSource(int stream, VertexBuffer* buffer, int stride) {
    if (stream != 0 || stride != kVertexStride) return false;
    if (!buffer) {
        stream_.reset();
        return true;
    }
    const auto* ours = dynamic_cast<const SoftwareVertexBuffer*>(buffer);
    if (!ours) return false;
    stream_ = ours->Bytes();
    return true;
}

bool SoftwareDevice::SetTransform(TransformKind kind, const Matrix4& matrix) {
    switch (kind) {
        case TransformKind::View:
            view_ = matrix;
            return true;
        case TransformKind::Projection:
            projection_ = matrix;
            return true;
    }
    return false;
}

// Outside what was drawn since the last Clear, the target still holds what that one left.
bool SoftwareDevice::Clear(std::uint32_t colour, float depth) {
    if (!(depth >= 0 && depth <= 1)) return false;
    const Fill fill{colour | kOpaque, ToDepth(depth)};
    const PixelRegion region = cleared_ == fill ? drawn_ : rasteriser_.Whole();
    rasteriser_.Clear(colour, depth, region);
    cleared_ = fill;
    drawn_ = {};
    changed_ = changed_.United(region);
    return true;
}

bool SoftwareDevice::BeginScene() {
    if (inScene_) return false;
    inScene_ = true;
    return true;
}

bool SoftwareDevice::EndScene() {
    if (!inScene_) return false;
    inScene_ = false;
    return true;
}

bool SoftwareDevice::SetMaterial(const Material& material) {
    material_ = material;
    return true;
}

bool SoftwareDevice::SetTexture(int stage, DeviceTexture* texture) {
    if (stage != 0) return false;
    if (!texture) {
        texture_.reset();
        return true;
    }
    const auto* ours = dynamic_cast<const SoftwareTexture*>(texture);
    if (!ours) return false;
    texture_ = ours->texels;
    return true;
}

bool SoftwareDevice::SetRenderState(RenderState state, std::uint32_t value) {
    switch (state) {
        case RenderState::ZEnable:
            if (value > render_value::kZBufferOn) return false;  // no w-buffer
            states_.depthTest = value == render_value::kZBufferOn;
            return true;
        case RenderState::FillMode:
            return value == render_value::kFillSolid;
        case RenderState::SrcBlend:
        case RenderState::DestBlend:
            if (!BlendFactorFor(value)) return false;
            (state == RenderState::SrcBlend ? states_.sourceBlend : states_.destinationBlend) =
                value;
            return true;
        case RenderState::CullMode:
            if (!IsCullMode(value)) return false;
            states_.cull = static_cast<CullMode>(value);
            return true;
        case RenderState::AlphaBlendEnable:
            states_.blend = value != 0;
            return true;
        case RenderState::Lighting:
            states_.lighting = value != 0;
            return true;
        case RenderState::Ambient:
            states_.ambient = value;
            return true;
    }
    return false;
}

// No light can be set through this interface, so none can be switched on.
bool SoftwareDevice::LightEnable(int index, bool enable) {
    return index >= 0 && !enable;
}

// Any side a texture may have, powers of two or not.
std::unique_ptr<DeviceTexture> SoftwareDevice::CreateOverlayTexture(const Image& overlay) {
    if (!FitsTextureLimits(overlay, {kMaxTextureSide, false})) return nullptr;
    return std::make_unique<SoftwareOverlay>(overlay);
}

// Drawn as the solid is, so that the next Clear clears it and a Present shows its coming and
// its going.
bool SoftwareDevice::DrawOverlay(DeviceTexture* overlay, int x, int y, float opacity) {
    const auto* ours = dynamic_cast<const SoftwareOverlay*>(overlay);
    if (!inScene_ || !ours || !IsOpacity(opacity)) return false;
    const auto level = static_cast<std::uint32_t>(std::lround(opacity * 255));
    const PixelRegion laid = rasteriser_.LayOver(ours->picture, x, y, level);
    drawn_ = drawn_.United(laid);
    changed_ = changed_.United(laid);
    return true;
}

bool SoftwareDevice::Present() {
    if (inScene_) return false;
    if (sink_) sink_(rasteriser_.Target(), changed_);
    changed_ = {};
    return true;
}

RasterState SoftwareDevice::CurrentRasterState() const {
    RasterState state;
    state.cull = states_.cull;
    state.pixels.depthTest = states_.depthTest;
    state.pixels.texture = texture_.get();
    if (states_.blend)
        state.pixels.blend = BlendEquation{*BlendFactorFor(states_.sourceBlend),
                                           *BlendFactorFor(states_.destinationBlend)};
    return state;
}

// With no light on, only the ambient and emissive terms remain, the same for every vertex.
std::uint32_t SoftwareDevice::LitColour() const {
    const ColourValue& emissive = material_.Emissive;
    const ColourValue& ambient = material_.Ambient;
    const std::uint32_t light = states_.ambient;
    return PackRgb(LitChannel(emissive.r, ambient.r, Channel(light, 16)),
                   LitChannel(emissive.g, ambient.g, Channel(light, 8)),
                   LitChannel(emissive.b, ambient.b, Channel(light, 0)));
}

bool SoftwareDevice::DrawPrimitive(PrimitiveType type, int firstVertex, int primitiveCount) {
    if (type != PrimitiveType::TriangleList || !inScene_ || !vertexFormatSet_ || !stream_ ||
        firstVertex < 0 || primitiveCount < 1)
        return false;
    const std::vector<std::byte>& bytes = *stream_;
    const std::int64_t endVertex = firstVertex + 3 * static_cast<std::int64_t>(primitiveCount);
    if (endVertex * kVertexStride > static_cast<std::int64_t>(bytes.size())) return false;

    const RasterState state = CurrentRasterState();
    const ClipVolume volume = rasteriser_.Volume();
    const Matrix4 worldToClip = view_ * projection_;  // the world transform is the identity
    const std::optional<std::uint32_t> lit =
        states_.lighting ? std::optional(LitColour()) : std::nullopt;
    for (int first = firstVertex; first < endVertex; first += 3) {
        std::array<ClipVertex, 3> triangle;
        for (int i = 0; i < 3; ++i) {
            const SolidVertex vertex = VertexAt(bytes, first + i);
            const std::uint32_t colour = lit.value_or(vertex.colour);
            triangle[i] = {Transform({vertex.x, vertex.y, vertex.z}, worldToClip),
                           vertex.tu,
                           vertex.tv,
                           static_cast<float>(Channel(colour, 16)),
                           static_cast<float>(Channel(colour, 8)),
                           static_cast<float>(Channel(colour, 0))};
        }
        const PixelRegion reached = rasteriser_.DrawPolygon(ClipTriangle(triangle, volume), state);
        drawn_ = drawn_.United(reached);
        changed_ = changed_.United(reached);
    }
    return true;
}

}  // namespace vexaframe
