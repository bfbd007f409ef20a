#include "render/gl_device.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "render/banded_texture_upload.h"
#include "render/gl_extensions.h"
#include "render/overlay.h"
#include "render/software_rasteriser.h"
#include "render/solid.h"

namespace vexaframe {

struct GlDeviceIdentity {};

// The vertices as they were written, and beside them each vertex's colour with its bytes in
// OpenGL's order, red first, where a Direct3D colour in memory starts with blue.
class GlVertexData {
public:
    explicit GlVertexData(std::size_t size) : bytes_(size), colours_(size / sizeof(SolidVertex)) {}

    bool Write(std::size_t offset, std::span<const std::byte> data) {
        if (offset > bytes_.size() || data.size() > bytes_.size() - offset) return false;
        std::copy(data.begin(), data.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
        ReorderColours(offset, offset + data.size());
        return true;
    }

    std::size_t Size() const { return bytes_.size(); }
    const std::byte* Field(std::size_t offset) const { return bytes_.data() + offset; }
    const std::uint32_t* Colours() const { return colours_.data(); }

private:
    // The colours of every vertex the bytes from `first` to `end` touch; a vertex the buffer
    // holds only part of is never drawn, and has none.
    void ReorderColours(std::size_t first, std::size_t end) {
        constexpr std::size_t kStride = sizeof(SolidVertex);
        const std::size_t endVertex = std::min(colours_.size(), (end + kStride - 1) / kStride);
        for (std::size_t vertex = first / kStride; vertex < endVertex; ++vertex) {
            std::uint32_t colour;
            std::memcpy(&colour, &bytes_[vertex * kStride + offsetof(SolidVertex, colour)],
                        sizeof colour);
            const std::array<std::uint8_t, 4> rgba{
                static_cast<std::uint8_t>(colour >> 16), static_cast<std::uint8_t>(colour >> 8),
                static_cast<std::uint8_t>(colour), static_cast<std::uint8_t>(colour >> 24)};
            std::memcpy(&colours_[vertex], rgba.data(), rgba.size());
        }
    }

    std::vector<std::byte> bytes_;
    std::vector<std::uint32_t> colours_;
};

// A texture name of the device's context, given back when the last holder lets go.
class GlTextureObject {
public:
    GlTextureObject(std::shared_ptr<const GlDeviceIdentity> device, int width, int height)
        : device_(std::move(device)), width_(width), height_(height) {
        glGenTextures(1, &name_);
    }
    ~GlTextureObject() { glDeleteTextures(1, &name_); }
    GlTextureObject(const GlTextureObject&) = delete;
    GlTextureObject& operator=(const GlTextureObject&) = delete;

    GLuint Name() const { return name_; }
    bool Made(const GlDeviceIdentity* device, int width, int height) const {
        return device_.get() == device && width_ == width && height_ == height;
    }
    bool MadeBy(const GlDeviceIdentity* device) const { return device_.get() == device; }

private:
    std::shared_ptr<const GlDeviceIdentity> device_;
    GLuint name_ = 0;
    int width_, height_;
};

namespace {

// OpenGL takes no greater specular power; with no light on, the power never shows anyway.
constexpr float kMaxShininess = 128;

// Reads every error OpenGL holds, so that none is left to be blamed on a later call.
bool NoGlError() {
    bool clean = true;
    while (glGetError() != GL_NO_ERROR) clean = false;
    return clean;
}

struct GlVersion {
    int major = 0, minor = 0;
    bool AtLeast(int wantedMajor, int wantedMinor) const {
        return major > wantedMajor || (major == wantedMajor && minor >= wantedMinor);
    }
};

// "major.minor" begins the version string, whatever the vendor adds after it; 0.0 where no
// context is current.
GlVersion CurrentVersion() {
    const auto* text = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (text == nullptr) return {};
    const char* const end = text + std::strlen(text);
    GlVersion version;
    const auto [afterMajor, majorError] = std::from_chars(text, end, version.major);
    if (majorError != std::errc() || afterMajor == end || *afterMajor != '.') return {};
    if (std::from_chars(afterMajor + 1, end, version.minor).ec != std::errc()) return {};
    return version;
}

int IntegerState(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

std::optional<GLenum> GlBlendFactor(std::uint32_t value) {
    using namespace render_value;
    switch (value) {
        case kBlendZero:
            return GL_ZERO;
        case kBlendOne:
            return GL_ONE;
        case kBlendSrcColour:
            return GL_SRC_COLOR;
        case kBlendInvSrcColour:
            return GL_ONE_MINUS_SRC_COLOR;
        default:
            return std::nullopt;
    }
}

std::array<GLfloat, 4> GlColour(const ColourValue& colour) {
    return {colour.r, colour.g, colour.b, colour.a};
}

// 0xAARRGGBB as four fractions, red first.
std::array<GLfloat, 4> GlColour(std::uint32_t colour) {
    const auto channel = [&](int shift) {
        return static_cast<GLfloat>(colour >> shift & 0xFF) / 255;
    };
    return {channel(16), channel(8), channel(0), channel(24)};
}

// Direct3D's matrices take row vectors and are stored row by row; OpenGL's take column vectors
// and are stored column by column. The same sixteen numbers in the same order are therefore the
// same transform for both.
const GLfloat* GlMatrix(const Matrix4& matrix) {
    return matrix.m[0].data();
}

// Applied after Direct3D's projection: depth 0..w becomes OpenGL's -w..w, and the picture
// moves half a pixel right and down, as Direct3D samples pixels at whole window coordinates
// and OpenGL at their centres.
Matrix4 DirectToGlClip(int width, int height) {
    Matrix4 fix = Matrix4::Identity();
    fix.m[3][0] = 1.0f / static_cast<float>(width);
    fix.m[3][1] = -1.0f / static_cast<float>(height);
    fix.m[2][2] = 2;
    fix.m[3][2] = -1;
    return fix;
}

// The vertices stay in memory, drawn from there as client arrays.
class GlVertexBuffer final : public VertexBuffer {
public:
    explicit GlVertexBuffer(std::size_t size) : data(std::make_shared<GlVertexData>(size)) {}

    bool SetData(std::size_t offset, std::span<const std::byte> bytes) override {
        return data->Write(offset, bytes);
    }

    const std::shared_ptr<GlVertexData> data;
};

class GlTexture final : public DeviceTexture {
public:
    explicit GlTexture(std::shared_ptr<const GlTextureObject> made) : object(std::move(made)) {}

    const std::shared_ptr<const GlTextureObject> object;
};

// Each band goes straight into the texture's storage, made when the upload began.
class GlTextureUpload final : public BandedTextureUpload {
public:
    // `object` is the texture's.
    GlTextureUpload(std::shared_ptr<const Image> picture,
                    std::shared_ptr<const GlTextureObject> object,
                    std::unique_ptr<GlTexture> texture)
        : BandedTextureUpload(std::move(picture), std::move(texture)), object_(std::move(object)) {}

private:
    bool CopyBand(const Image& picture, int firstRow, int rowCount) override {
        glBindTexture(GL_TEXTURE_2D, object_->Name());
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, firstRow, picture.width, rowCount, GL_BGRA,
                        GL_UNSIGNED_INT_8_8_8_8_REV,
                        &picture.pixels[static_cast<std::size_t>(firstRow) * picture.width]);
        return NoGlError();
    }
    void EndCopying() override { object_.reset(); }

    std::shared_ptr<const GlTextureObject> object_;
};

// The retired texture when it is one of `device`'s and has that size, to be written over.
std::unique_ptr<GlTexture> Reusable(std::unique_ptr<DeviceTexture> retired,
                                    const GlDeviceIdentity* device, int width, int height) {
    auto* ours = dynamic_cast<GlTexture*>(retired.get());
    if (!ours || !ours->object->Made(device, width, height)) return nullptr;
    retired.release();
    return std::unique_ptr<GlTexture>(ours);
}

// A texture object with storage for a picture of that size, sampled as the software device
// samples: the nearest texel, the picture repeating both ways.
std::shared_ptr<const GlTextureObject> NewTexture(std::shared_ptr<const GlDeviceIdentity> device,
                                                  int width, int height) {
    auto object = std::make_shared<const GlTextureObject>(std::move(device), width, height);
    glBindTexture(GL_TEXTURE_2D, object->Name());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                 nullptr);
    return NoGlError() ? object : nullptr;
}

// The states Direct3D 8 starts a device with an automatic depth buffer in, where OpenGL's
// differ: a less-or-equal depth test, no ambient light and a black material (the first frame
// is drawn before the lights are set, and is black), and no dithering. Culling, which starts
// on counter-clockwise triangles, is set as the render state sets it.
void SetDirect3DStates() {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_DITHER);
    glEnable(GL_LIGHTING);
    const std::array<GLfloat, 4> black{0, 0, 0, 0};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black.data());
    for (const GLenum term : {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR, GL_EMISSION})
        glMaterialfv(GL_FRONT_AND_BACK, term, black.data());
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
}

}  // namespace

std::string CurrentGlRenderer() {
    const auto* text = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return text != nullptr ? text : "";
}

std::unique_ptr<GlDevice> GlDevice::Create(int width, int height, SwapBuffers swapBuffers) {
    const GlVersion version = CurrentVersion();
    if (width < 1 || height < 1 || !version.AtLeast(1, 4)) return nullptr;
    NoGlError();  // whatever was left from before is not the device's
    const bool anySide = version.AtLeast(2, 0) ||
                         ListsExtension(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)),
                                        "GL_ARB_texture_non_power_of_two");
    const TextureLimits limits{IntegerState(GL_MAX_TEXTURE_SIZE), !anySide};
    std::unique_ptr<GlDevice> device(
        new GlDevice(width, height, std::move(swapBuffers), limits, IntegerState(GL_MAX_LIGHTS)));
    SetDirect3DStates();
    if (!device->SetCulling(static_cast<std::uint32_t>(CullMode::CounterClockwise)) ||
        !device->Resize(width, height) || !device->Clear(0, 1.0f))
        return nullptr;
    return device;
}

GlDevice::GlDevice(int width, int height, SwapBuffers swapBuffers, TextureLimits limits,
                   int maxLights)
    : swapBuffers_(std::move(swapBuffers)),
      identity_(std::make_shared<const GlDeviceIdentity>()),
      limits_(limits),
      maxLights_(maxLights),
      width_(width),
      height_(height),
      sourceBlend_(render_value::kBlendOne),
      destinationBlend_(render_value::kBlendZero) {}

bool GlDevice::Resize(int width, int height) {
    if (width < 1 || height < 1) return false;
    width_ = width;
    height_ = height;
    glViewport(0, 0, width, height);
    return LoadProjection();
}

bool GlDevice::LoadProjection() {
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(GlMatrix(DirectToGlClip(width_, height_)));
    glMultMatrixf(GlMatrix(projection_));
    glMatrixMode(GL_MODELVIEW);
    return NoGlError();
}

TextureLimits GlDevice::Limits() const {
    return limits_;
}

std::unique_ptr<VertexBuffer> GlDevice::CreateVertexBuffer(std::size_t bytes,
                                                           std::uint32_t vertexFormat) {
    if (vertexFormat != kSolidVertexFormat || bytes == 0) return nullptr;
    return std::make_unique<GlVertexBuffer>(bytes);
}

std::unique_ptr<TextureUpload> GlDevice::BeginTextureUpload(
    std::shared_ptr<const Image> picture, std::unique_ptr<DeviceTexture> retired) {
    if (!picture || !FitsTextureLimits(*picture, limits_)) return nullptr;
    const int width = picture->width, height = picture->height;
    std::unique_ptr<GlTexture> texture =
        Reusable(std::move(retired), identity_.get(), width, height);
    if (!texture) {
        std::shared_ptr<const GlTextureObject> made = NewTexture(identity_, width, height);
        if (!made) return nullptr;
        texture = std::make_unique<GlTexture>(std::move(made));
    }
    std::shared_ptr<const GlTextureObject> object = texture->object;
    return std::make_unique<GlTextureUpload>(std::move(picture), std::move(object),
                                             std::move(texture));
}

bool GlDevice::SetVertexShader(std::uint32_t vertexFormat) {
    if (vertexFormat != kSolidVertexFormat) return false;
    vertexFormatSet_ = true;
    return true;
}

bool GlDevice::SetStreamSource(int stream, VertexBuffer* buffer, int stride) {
    if (stream != 0 || stride != static_cast<int>(sizeof(SolidVertex))) return false;
    if (!buffer) {
        stream_.reset();
        return true;
    }
    const auto* ours = dynamic_cast<const GlVertexBuffer*>(buffer);
    if (!ours) return false;
    stream_ = ours->data;
    return true;
}

bool GlDevice::SetTransform(TransformKind kind, const Matrix4& matrix) {
    switch (kind) {
        case TransformKind::View:
            glMatrixMode(GL_MODELVIEW);
            glLoadMatrixf(GlMatrix(matrix));
            return NoGlError();
        case TransformKind::Projection:
            projection_ = matrix;
            return LoadProjection();
    }
    return false;
}

bool GlDevice::Clear(std::uint32_t colour, float depth) {
    if (!(depth >= 0 && depth <= 1)) return false;
    const std::array<GLfloat, 4> clearColour = GlColour(colour);
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    glClearDepth(depth);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return NoGlError();
}

bool GlDevice::BeginScene() {
    if (inScene_) return false;
    inScene_ = true;
    return true;
}

bool GlDevice::EndScene() {
    if (!inScene_) return false;
    inScene_ = false;
    return true;
}

bool GlDevice::SetMaterial(const Material& material) {
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, GlColour(material.Diffuse).data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, GlColour(material.Ambient).data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, GlColour(material.Specular).data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, GlColour(material.Emissive).data());
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::clamp(material.Power, 0.0f, kMaxShininess));
    return NoGlError();
}

bool GlDevice::SetTexture(int stage, DeviceTexture* texture) {
    if (stage != 0) return false;
    if (!texture) {
        texture_.reset();
        return true;
    }
    const auto* ours = dynamic_cast<const GlTexture*>(texture);
    if (!ours || !ours->object->MadeBy(identity_.get())) return false;
    texture_ = ours->object;
    return true;
}

// The values the software device takes, and no others, so that the saver sees the same
// failures whichever of the two it draws with.
bool GlDevice::SetRenderState(RenderState state, std::uint32_t value) {
    const auto enable = [](GLenum capability, bool on) {
        on ? glEnable(capability) : glDisable(capability);
        return NoGlError();
    };
    switch (state) {
        case RenderState::ZEnable:
            if (value > render_value::kZBufferOn) return false;  // no w-buffer
            return enable(GL_DEPTH_TEST, value == render_value::kZBufferOn);
        case RenderState::FillMode:
            return value == render_value::kFillSolid;
        case RenderState::SrcBlend:
        case RenderState::DestBlend:
            if (!GlBlendFactor(value)) return false;
            (state == RenderState::SrcBlend ? sourceBlend_ : destinationBlend_) = value;
            glBlendFunc(*GlBlendFactor(sourceBlend_), *GlBlendFactor(destinationBlend_));
            return NoGlError();
        case RenderState::CullMode:
            return SetCulling(value);
        case RenderState::AlphaBlendEnable:
            return enable(GL_BLEND, value != 0);
        case RenderState::Lighting:
            return enable(GL_LIGHTING, value != 0);
        case RenderState::Ambient:
            glLightModelfv(GL_LIGHT_MODEL_AMBIENT, GlColour(value).data());
            return NoGlError();
    }
    return false;
}

// Direct3D names the winding culled as seen on the screen, which is how OpenGL's window
// coordinates, y up, see it too; OpenGL's front faces are the counter-clockwise ones.
bool GlDevice::SetCulling(std::uint32_t cullMode) {
    switch (static_cast<CullMode>(cullMode)) {
        case CullMode::None:
            glDisable(GL_CULL_FACE);
            return NoGlError();
        case CullMode::Clockwise:
        case CullMode::CounterClockwise:
            glEnable(GL_CULL_FACE);
            glCullFace(static_cast<CullMode>(cullMode) == CullMode::Clockwise ? GL_BACK : GL_FRONT);
            return NoGlError();
    }
    return false;
}

bool GlDevice::DrawPrimitive(PrimitiveType type, int firstVertex, int primitiveCount) {
    if (type != PrimitiveType::TriangleList || !inScene_ || !vertexFormatSet_ || !stream_ ||
        firstVertex < 0 || primitiveCount < 1)
        return false;
    const std::int64_t endVertex = firstVertex + 3 * static_cast<std::int64_t>(primitiveCount);
    if (endVertex * static_cast<std::int64_t>(sizeof(SolidVertex)) >
        static_cast<std::int64_t>(stream_->Size()))
        return false;
    // Bound here rather than when set, as uploads bind their own textures meanwhile.
    if (texture_) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture_->Name());
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    constexpr GLsizei kStride = sizeof(SolidVertex);
    glVertexPointer(3, GL_FLOAT, kStride, stream_->Field(offsetof(SolidVertex, x)));
    glTexCoordPointer(2, GL_FLOAT, kStride, stream_->Field(offsetof(SolidVertex, tu)));
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, stream_->Colours());
    glDrawArrays(GL_TRIANGLES, firstVertex, 3 * primitiveCount);
    return NoGlError();
}

// No light can be set through this interface, so none can be switched on.
bool GlDevice::LightEnable(int index, bool enable) {
    if (index < 0 || enable) return false;
    if (index < maxLights_) glDisable(GL_LIGHT0 + static_cast<GLenum>(index));
    return NoGlError();
}

std::unique_ptr<DeviceTexture> GlDevice::CreateOverlayTexture(const Image& overlay) {
    return UploadOverlay(*this, overlay);
}

// A textured quad in window coordinates, y down, its corners on pixel corners so that each
// pixel centre samples one texel's centre. The attributes pushed and the matrices hold all the
// solid's drawing relies on; it binds its texture and sets its arrays itself.
bool GlDevice::DrawOverlay(DeviceTexture* overlay, int x, int y, float opacity) {
    const auto* texels = OverlayTexelsOf<GlTexture>(overlay);
    if (!inScene_ || !texels || !texels->object->MadeBy(identity_.get()) || !IsOpacity(opacity))
        return false;
    const auto& placed = static_cast<const OverlayTexture&>(*overlay);
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_TEXTURE_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width_, height_, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texels->object->Name());
    glColor4f(opacity, opacity, opacity, opacity);  // modulating the texels
    const auto [width, height] = placed.Shown();
    const GLfloat right = static_cast<GLfloat>(width) / static_cast<GLfloat>(placed.Stored().width);
    const GLfloat bottom =
        static_cast<GLfloat>(height) / static_cast<GLfloat>(placed.Stored().height);
    // In doubles, where no position of an int overflows.
    const double left = x, top = y;
    const auto corner = [&](GLfloat u, GLfloat v, double cornerX, double cornerY) {
        glTexCoord2f(u, v);
        glVertex2d(cornerX, cornerY);
    };
    glBegin(GL_QUADS);
    corner(0, 0, left, top);
    corner(0, bottom, left, top + height);
    corner(right, bottom, left + width, top + height);
    corner(right, 0, left + width, top);
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
    return NoGlError();
}

bool GlDevice::Present() {
    if (inScene_) return false;
    if (swapBuffers_) swapBuffers_();
    return NoGlError();
}

}  // namespace vexaframe
