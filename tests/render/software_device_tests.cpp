#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "render/software_device.h"
#if defined(__SSE2__)
#include "render/software_pixel_sse2.h"
#endif
#include "render/solid.h"
#include "support/device_differential.h"

namespace vexaframe {
namespace {

using namespace render_value;

constexpr std::uint32_t kBlack = 0xFF000000;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;

SolidVertex Vertex(float x, float y, float z = 0.5f, std::uint32_t colour = kWhite, float u = 0,
                   float v = 0) {
    return {x, y, z, 0, 0, -1, colour, u, v};
}

// A device drawing unlit vertex colours with identity transforms, so that x = -1 is the window's
// left edge and y = 1 its top; otherwise in its first state.
class Scene {
public:
    explicit Scene(int width = 64, int height = 64)
        : device(width, height, [this](const Image& shown, const PixelRegion&) { frame = shown; }),
          width_(width),
          height_(height) {
        device.SetVertexShader(kSolidVertexFormat);
        device.SetRenderState(RenderState::Lighting, 0);
    }

    // Window coordinates, in pixels from the top left corner.
    float X(float column) const { return column * 2 / static_cast<float>(width_) - 1; }
    float Y(float row) const { return 1 - row * 2 / static_cast<float>(height_); }

    // Two clockwise triangles between window corners, texture coordinates from (u0, v0) at the
    // first to (u1, v1) at the second.
    std::vector<SolidVertex> Rectangle(float left, float top, float right, float bottom,
                                       std::uint32_t colour = kWhite, float z = 0.5f, float u0 = 0,
                                       float v0 = 0, float u1 = 1, float v1 = 1) const {
        const SolidVertex a = Vertex(X(left), Y(top), z, colour, u0, v0);
        const SolidVertex b = Vertex(X(right), Y(top), z, colour, u1, v0);
        const SolidVertex c = Vertex(X(left), Y(bottom), z, colour, u0, v1);
        const SolidVertex d = Vertex(X(right), Y(bottom), z, colour, u1, v1);
        return {a, b, c, c, b, d};
    }

    // The handle goes at once: a bound texture must outlive it.
    void Texture(const Image& picture) {
        EXPECT_TRUE(device.SetTexture(0, device.CreateTexture(picture).get()));
    }

    // Draws over what is there and presents.
    const Image& Draw(const std::vector<SolidVertex>& vertices) {
        EXPECT_TRUE(DrawTriangles(device, vertices));
        return frame;
    }

    SoftwareDevice device;
    Image frame;

private:
    int width_, height_;
};

// Each pixel adds one to what is below it, so a pixel drawn twice or missed shows. The grid's inner
// points move by whole and half pixels, so that many edges run through sample points. Pixel (i, j)
// is sampled at (i, j) itself: the grid's left and top sides, on sample points, take them; its
// right and bottom sides lie half a pixel past the last ones.
TEST(SoftwareDevice, TrianglesSharingEdgesCoverEachPixelWhoseSamplePointIsInsideOnce) {
    Scene scene;
    scene.device.SetRenderState(RenderState::CullMode, kCullNone);
    scene.device.SetRenderState(RenderState::ZEnable, 0);
    scene.device.SetRenderState(RenderState::AlphaBlendEnable, 1);
    scene.device.SetRenderState(RenderState::SrcBlend, kBlendOne);
    scene.device.SetRenderState(RenderState::DestBlend, kBlendOne);
    constexpr int kCells = 7;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> jitter(-3, 3);  // half pixels: keeps every cell convex
    std::vector<std::vector<SolidVertex>> grid(kCells + 1);
    for (int i = 0; i <= kCells; ++i)
        for (int j = 0; j <= kCells; ++j) {
            const bool inner = i > 0 && i < kCells && j > 0 && j < kCells;
            const auto at = [&](int k) {
                return static_cast<float>(8 + 7 * k) + (k == kCells ? 0.5f
                                                        : inner     ? 0.5f * jitter(random)
                                                                    : 0);
            };
            grid[i].push_back(Vertex(scene.X(at(i)), scene.Y(at(j)), 0.5f, 0xFF010203));
        }
    std::vector<SolidVertex> mesh;
    for (int i = 0; i < kCells; ++i)
        for (int j = 0; j < kCells; ++j)  // alternate diagonals and windings
            if ((i + j) % 2 == 0)
                mesh.insert(mesh.end(), {grid[i][j], grid[i + 1][j], grid[i][j + 1],
                                         grid[i + 1][j + 1], grid[i][j + 1], grid[i + 1][j]});
            else
                mesh.insert(mesh.end(), {grid[i][j], grid[i + 1][j + 1], grid[i + 1][j], grid[i][j],
                                         grid[i][j + 1], grid[i + 1][j + 1]});
    scene.device.Clear(0, 1);
    const Image& frame = scene.Draw(mesh);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool inside = 8 <= x && x <= 57 && 8 <= y && y <= 57;
            ASSERT_EQ(frame.At(x, y), inside ? 0xFF010203 : kBlack) << x << ", " << y;
        }
}

// A depth test that hides nothing shows on the reference pictures, one left on when it is off
// on the device comparisons; here the tie.
TEST(SoftwareDevice, AtTheSameDepthTheLaterTriangleShows) {
    Scene scene;
    scene.Draw(scene.Rectangle(0, 0, 64, 64, 0xFFFF0000));
    EXPECT_EQ(scene.Draw(scene.Rectangle(0, 0, 64, 64, 0xFF00FF00)).At(9, 9), 0xFF00FF00u);
}

// Texel centres on the sample points. Then shifted by half the texture across and a whole one
// down, which only wrapping both ways brings back.
TEST(SoftwareDevice, ATextureShownOneToOneComesOutTexelForTexelAndRepeats) {
    Scene scene(32, 16);
    Image picture(32, 16);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = kBlack | static_cast<std::uint32_t>(i * 2654435761u >> 8);
    scene.Texture(picture);
    EXPECT_EQ(scene.Draw(scene.Rectangle(-0.5f, -0.5f, 31.5f, 15.5f)).pixels, picture.pixels);

    scene.device.Clear(0, 1);
    const Image& frame =
        scene.Draw(scene.Rectangle(-0.5f, -0.5f, 31.5f, 15.5f, kWhite, 0.5f, 0.5f, -1, 1.5f, 0));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) ASSERT_EQ(frame.At(x, y), picture.At((x + 16) % 32, y)) << x;
}

// A picture wider and taller than one band, so that it takes several steps; the caller lets go of
// it at once. What the texture then draws is held to the other devices' on their comparisons.
TEST(SoftwareDevice, AnUploadCopiesABandPerStepAndThenLetsThePictureGo) {
    constexpr int kWidth = 4096, kHeight = 1024;
    auto picture = std::make_shared<Image>(kWidth, kHeight);
    const std::weak_ptr<const Image> watched = picture;
    SoftwareDevice device(1, 1, nullptr);
    const auto upload = device.BeginTextureUpload(std::move(picture), nullptr);
    ASSERT_NE(upload, nullptr);

    const int bandRows = TextureBandRows(kWidth);
    EXPECT_LE(static_cast<std::size_t>(bandRows) * kWidth * sizeof(std::uint32_t),
              kTextureBandBytes);
    const int bands = (kHeight + bandRows - 1) / bandRows;
    ASSERT_GT(bands, 1);
    for (int band = 1; band < bands; ++band) {
        ASSERT_EQ(upload->Step(), TextureUpload::State::Uploading) << band;
        EXPECT_EQ(upload->TakeTexture(), nullptr);
        EXPECT_FALSE(watched.expired());
    }
    EXPECT_EQ(upload->Step(), TextureUpload::State::Finished);
    EXPECT_TRUE(watched.expired());
    EXPECT_EQ(upload->Step(), TextureUpload::State::Finished);
    const std::unique_ptr<DeviceTexture> texture = upload->TakeTexture();
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(upload->TakeTexture(), nullptr);
    EXPECT_TRUE(device.SetTexture(0, texture.get()));
}

TEST(SoftwareDevice, ClipsAtTheEyeAndSurvivesDegenerateAndHugeTriangles) {
    Scene scene;
    scene.device.SetRenderState(RenderState::CullMode, kCullNone);
    scene.device.SetTransform(TransformKind::Projection,
                              PerspectiveFovLH(std::numbers::pi_v<float> / 2, 1, 0.1f, 100));
    const auto all = [](auto first, auto last, std::uint32_t colour) {
        return std::all_of(first, last, [&](std::uint32_t pixel) { return pixel == colour; });
    };
    // A floor reaching from behind the eye far ahead: only the lower half of the window. Above,
    // triangles nearer than the near plane and farther than the far one.
    scene.device.Clear(0, 1);
    const Image& floor = scene.Draw({
        Vertex(-50, -1, -20), Vertex(50, -1, -20), Vertex(0, -1, 90),                      // floor
        Vertex(-0.1f, 0.01f, 0.05f), Vertex(0.1f, 0.01f, 0.05f), Vertex(0, 0.04f, 0.05f),  // near
        Vertex(-200, 10, 150), Vertex(200, 10, 150), Vertex(0, 140, 150),                  // far
    });
    EXPECT_TRUE(all(floor.pixels.begin(), floor.pixels.begin() + 31 * 64, kBlack));
    EXPECT_EQ(floor.At(32, 60), kWhite);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float big = 1e6f, huge = 1e30f;
    scene.device.Clear(0, 1);
    const Image& frame = scene.Draw({
        Vertex(0, 0, 1), Vertex(0, 0, 1), Vertex(0, 0, 1),                    // a point
        Vertex(0, 0, 1), Vertex(1, 1, 2), Vertex(2, 2, 3),                    // a line
        Vertex(nan, 0, 1), Vertex(1, 0, 1), Vertex(0, 1, 1),                  // garbage
        Vertex(-1, -1, -5), Vertex(1, -1, -5), Vertex(0, 1, -5),              // behind the eye
        Vertex(-huge, -huge, 5), Vertex(huge, -huge, 5), Vertex(0, huge, 5),  // beyond floats
        Vertex(-big, -big, 5), Vertex(big, -big, 5), Vertex(0, big, 5),       // covers all
    });
    EXPECT_TRUE(all(frame.pixels.begin(), frame.pixels.end(), kWhite));
}

// Besides the rules every device keeps: what the saver never asks for, and draws outside a scene.
TEST(SoftwareDevice, RefusesWhatItCannotDoAndDrawsOnlyWithinAScene) {
    Scene scene;
    SoftwareDevice& device = scene.device;
    ExpectResourceRules(device);
    EXPECT_EQ(device.CreateVertexBuffer(864, 0x142), nullptr);
    EXPECT_EQ(device.CreateVertexBuffer(0, kSolidVertexFormat), nullptr);
    EXPECT_FALSE(device.SetVertexShader(0x142));
    const auto buffer = device.CreateVertexBuffer(3 * 36, kSolidVertexFormat);
    EXPECT_FALSE(device.SetStreamSource(0, buffer.get(), 32));
    EXPECT_FALSE(device.SetStreamSource(1, buffer.get(), 36));
    Image shortOfPixels(8, 8);
    shortOfPixels.pixels.pop_back();
    EXPECT_EQ(device.BeginTextureUpload(std::make_shared<Image>(shortOfPixels), nullptr), nullptr);
    EXPECT_FALSE(device.SetTexture(1, nullptr));
    // Wireframe, a w-buffer, no such cull mode, SRCALPHA, no such state.
    for (const auto& [state, value] : {std::pair{RenderState::FillMode, 2u},
                                       {RenderState::ZEnable, 2u},
                                       {RenderState::CullMode, 4u},
                                       {RenderState::SrcBlend, 5u},
                                       {static_cast<RenderState>(12345), 0u}})
        EXPECT_FALSE(device.SetRenderState(state, value)) << static_cast<int>(state);
    EXPECT_FALSE(device.LightEnable(0, true));
    EXPECT_TRUE(device.LightEnable(0, false));
    EXPECT_FALSE(device.Clear(0, 1.5f));

    const auto draw = [&] { return device.DrawPrimitive(PrimitiveType::TriangleList, 0, 1); };
    EXPECT_FALSE(device.EndScene());
    ASSERT_TRUE(device.BeginScene());
    EXPECT_FALSE(device.BeginScene());
    EXPECT_FALSE(device.Present());
    EXPECT_FALSE(draw());  // nothing bound
    ASSERT_TRUE(device.SetStreamSource(0, buffer.get(), 36));
    EXPECT_TRUE(draw());
    for (const auto& [first, count] : {std::pair{1, 1}, {0, 2}, {0, 0}, {-3, 1}})
        EXPECT_FALSE(device.DrawPrimitive(PrimitiveType::TriangleList, first, count))
            << first << " " << count;
    EXPECT_FALSE(device.DrawPrimitive(static_cast<PrimitiveType>(5), 0, 1));  // a strip
    EXPECT_TRUE(device.EndScene());
    EXPECT_FALSE(draw());
    EXPECT_TRUE(device.Present());
}

#if defined(__SSE2__)
// Every pair of channel values, in every channel, through each of Direct3D's blend factors as
// source and as destination; the alpha bytes set, which neither may pass on.
TEST(SoftwareDevice, FourPixelArithmeticGivesThePerPixelResults) {
    constexpr BlendFactor kFactors[] = {{0, 0}, {255, 0}, {0, 1}, {255, ~0u}};
    const auto source = [](std::uint32_t s) {
        return 0xAB000000 | PackRgb(s, 255 - s, s * 7 & 255);
    };
    const auto destination = [](std::uint32_t d) {
        return 0xCD000000 | PackRgb(d, d * 13 & 255, 255 - d);
    };
    for (std::uint32_t s = 0; s < 256; ++s)
        for (std::uint32_t d = 0; d < 256; d += 4) {
            std::uint32_t sources[4], destinations[4], results[4];
            for (std::uint32_t i = 0; i < 4; ++i) {
                sources[i] = source(s);
                destinations[i] = destination(d + i);
            }
            const __m128i sourceLanes = sse2::Load(sources);
            const __m128i destinationLanes = sse2::Load(destinations);
            sse2::Store(sse2::Modulate(sourceLanes, destinationLanes), results);
            for (int i = 0; i < 4; ++i)
                ASSERT_EQ(results[i], Modulate(sources[i], destinations[i])) << s << " " << d + i;
            for (const BlendFactor& sourceFactor : kFactors)
                for (const BlendFactor& destinationFactor : kFactors) {
                    const BlendEquation equation{sourceFactor, destinationFactor};
                    sse2::Store(sse2::Blend(sourceLanes, destinationLanes, equation), results);
                    for (int i = 0; i < 4; ++i)
                        ASSERT_EQ(results[i], Blend(sources[i], destinations[i], equation))
                            << s << " " << d + i << " " << sourceFactor.constant << "+"
                            << sourceFactor.sourceScale << "s, " << destinationFactor.constant
                            << "+" << destinationFactor.sourceScale << "s";
                }
        }
}
#endif

}  // namespace
}  // namespace vexaframe
