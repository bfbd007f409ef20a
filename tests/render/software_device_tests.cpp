#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <numbers>
#include <optional>
#include <random>
#include <vector>

#include "render/frame.h"
#include "render/software_device.h"
#include "render/solid.h"

namespace vexaframe {
namespace {

using namespace render_value;

constexpr std::uint32_t kBlack = 0xFF000000;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;

SolidVertex Vertex(float x, float y, float z = 0.5f, std::uint32_t colour = kWhite, float u = 0,
                   float v = 0) {
    return {x, y, z, 0, 0, -1, colour, u, v};
}

// A device drawing unlit vertex colours, with identity transforms, so that positions are
// where they land in the window: x = -1 is its left edge, y = 1 its top. Otherwise in the
// device's first state.
class Scene {
public:
    explicit Scene(int width = 64, int height = 64)
        : device(width, height, [this](const Image& shown) { frame = shown; }),
          width_(width),
          height_(height) {
        device.SetVertexShader(kSolidVertexFormat);
        device.SetRenderState(RenderState::Lighting, 0);
    }

    // Window coordinates, in pixels from the top left corner.
    float X(float column) const { return column * 2 / static_cast<float>(width_) - 1; }
    float Y(float row) const { return 1 - row * 2 / static_cast<float>(height_); }

    // A rectangle between two window corners, as two clockwise triangles; texture
    // coordinates from (u0, v0) at the first corner to (u1, v1) at the second.
    std::vector<SolidVertex> Rectangle(float left, float top, float right, float bottom,
                                       std::uint32_t colour = kWhite, float z = 0.5f, float u0 = 0,
                                       float v0 = 0, float u1 = 1, float v1 = 1) {
        const SolidVertex a = Vertex(X(left), Y(top), z, colour, u0, v0);
        const SolidVertex b = Vertex(X(right), Y(top), z, colour, u1, v0);
        const SolidVertex c = Vertex(X(left), Y(bottom), z, colour, u0, v1);
        const SolidVertex d = Vertex(X(right), Y(bottom), z, colour, u1, v1);
        return {a, b, c, c, b, d};
    }

    // Draws over what is there and presents.
    const Image& Draw(const std::vector<SolidVertex>& vertices) {
        buffers_.push_back(
            device.CreateVertexBuffer(vertices.size() * sizeof(SolidVertex), kSolidVertexFormat));
        EXPECT_TRUE(buffers_.back()->SetData(0, std::as_bytes(std::span(vertices))));
        EXPECT_TRUE(device.SetStreamSource(0, buffers_.back().get(), sizeof(SolidVertex)));
        EXPECT_TRUE(device.BeginScene());
        EXPECT_TRUE(device.DrawPrimitive(PrimitiveType::TriangleList, 0,
                                         static_cast<int>(vertices.size() / 3)));
        EXPECT_TRUE(device.EndScene());
        EXPECT_TRUE(device.Present());
        return frame;
    }

    SoftwareDevice device;
    Image frame;

private:
    int width_, height_;
    std::vector<std::unique_ptr<VertexBuffer>> buffers_;
};

std::vector<std::uint32_t> Row(const Image& image, int row) {
    return {image.pixels.begin() + row * image.width,
            image.pixels.begin() + (row + 1) * image.width};
}

// Each pixel adds one to what is below it, so a pixel drawn twice or missed shows.
TEST(SoftwareDevice, TrianglesSharingEdgesCoverEveryPixelExactlyOnce) {
    Scene scene(61, 47);
    scene.device.SetRenderState(RenderState::CullMode, kCullNone);
    scene.device.SetRenderState(RenderState::ZEnable, 0);
    scene.device.SetRenderState(RenderState::AlphaBlendEnable, 1);
    scene.device.SetRenderState(RenderState::SrcBlend, kBlendOne);
    scene.device.SetRenderState(RenderState::DestBlend, kBlendOne);
    // A grid over more than the window, inner points moved at random by whole and half
    // pixels, so that many edges run exactly through sample points.
    constexpr int kCells = 7;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> jitter(-3, 3);  // half pixels: keeps every cell convex
    std::vector<std::vector<SolidVertex>> grid(kCells + 1);
    for (int i = 0; i <= kCells; ++i)
        for (int j = 0; j <= kCells; ++j) {
            const bool inner = i > 0 && i < kCells && j > 0 && j < kCells;
            const auto at = [&](int k) {
                return static_cast<float>(k * 10 - 5) + (inner ? 0.5f * jitter(random) : 0);
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
    for (const std::uint32_t pixel : scene.Draw(mesh).pixels) ASSERT_EQ(pixel, 0xFF010203u);
}

// The sample point of pixel (i, j) is (i, j) itself: an edge exactly on it takes the pixel
// when it is a left or top edge, and not when it is a right or bottom edge.
TEST(SoftwareDevice, SamplesEachPixelAtItsIntegerCoordinates) {
    struct Case {
        float from, to;
        int first, last;
    };
    for (const Case c :
         {Case{10.0f, 20.0f, 10, 19}, Case{10.5f, 20.5f, 11, 20}, Case{10.25f, 10.75f, 11, 10}}) {
        Scene scene;
        scene.device.Clear(0, 1);
        const Image& frame = scene.Draw(scene.Rectangle(c.from, c.from, c.to, c.to));
        for (int i = 0; i < 64; ++i) {
            const bool inside = i >= c.first && i <= c.last;
            EXPECT_EQ(frame.At(i, 15), inside && c.first <= 15 && 15 <= c.last ? kWhite : kBlack)
                << "column " << i << " of " << c.from;
            EXPECT_EQ(frame.At(15, i), frame.At(i, 15)) << "row " << i << " of " << c.from;
        }
    }
}

TEST(SoftwareDevice, TheNearerTriangleHidesTheFartherInEitherOrderUnlessDepthIsOff) {
    for (const bool depthTest : {true, false})
        for (const bool nearFirst : {true, false}) {
            Scene scene;
            scene.device.SetRenderState(RenderState::ZEnable, depthTest ? kZBufferOn : 0);
            const auto nearer = scene.Rectangle(8, 8, 40, 40, 0xFFFF0000, 0.25f);
            const auto farther = scene.Rectangle(24, 24, 56, 56, 0xFF0000FF, 0.75f);
            scene.device.Clear(0, 1);
            scene.Draw(nearFirst ? nearer : farther);
            const Image& frame = scene.Draw(nearFirst ? farther : nearer);
            const bool nearerShows = depthTest || !nearFirst;
            EXPECT_EQ(frame.At(32, 32), nearerShows ? 0xFFFF0000 : 0xFF0000FF);
            EXPECT_EQ(frame.At(50, 50), 0xFF0000FFu);
        }
    Scene scene;  // less or equal: at the same depth the later one shows
    scene.Draw(scene.Rectangle(0, 0, 64, 64, 0xFFFF0000));
    EXPECT_EQ(scene.Draw(scene.Rectangle(0, 0, 64, 64, 0xFF00FF00)).At(9, 9), 0xFF00FF00u);
}

TEST(SoftwareDevice, BlendsEachChannelWithTheChosenFactors) {
    struct Case {
        std::uint32_t source, destination, expected;
    };
    const std::uint32_t src = 0x33CCFF, dst = 0x80FF00;
    const Case cases[] = {
        // src * src + dst * (1 - src), the frame's blend: 0.2 * 0.2 + 0.5 * 0.8 = 0.44, ...
        {kBlendSrcColour, kBlendInvSrcColour, 0xFF71D6FF},
        {kBlendOne, kBlendOne, 0xFFB3FFFF},         // saturates
        {kBlendZero, kBlendSrcColour, 0xFF1ACC00},  // a product
        {kBlendOne, kBlendZero, 0xFF33CCFF},
    };
    for (const Case& c : cases) {
        Scene scene;
        scene.device.Clear(dst, 1);
        scene.device.SetRenderState(RenderState::AlphaBlendEnable, 1);
        scene.device.SetRenderState(RenderState::SrcBlend, c.source);
        scene.device.SetRenderState(RenderState::DestBlend, c.destination);
        EXPECT_EQ(scene.Draw(scene.Rectangle(0, 0, 64, 64, 0xFF000000 | src)).At(7, 9), c.expected)
            << std::hex << c.source << " " << c.destination;
    }
}

// Lighting with no lights leaves emissive + material ambient * ambient light, which is
// black until the frame has set its white ambient light: the first frame is black.
TEST(SoftwareDevice, LitSolidIsBlackInTheFirstFrameAndShowsTheTextureAfter) {
    std::vector<Image> frames;
    SoftwareDevice device(64, 48, [&](const Image& shown) { frames.push_back(shown); });
    Image picture(4, 4);
    std::fill(picture.pixels.begin(), picture.pixels.end(), 0xFF336699);
    const auto texture = device.CreateTexture(picture);
    const auto buffer = device.CreateVertexBuffer(sizeof(SolidVertexList), kSolidVertexFormat);
    const SolidVertexList solid = BuildSolid();
    ASSERT_TRUE(buffer->SetData(0, std::as_bytes(std::span(solid))));
    ASSERT_TRUE(device.SetVertexShader(kSolidVertexFormat));
    ASSERT_TRUE(device.SetStreamSource(0, buffer.get(), sizeof(SolidVertex)));
    class NoonClock : public FrameClock {
        float SecondsSinceMidnight() override { return 43200; }
    } clock;
    for (int i = 0; i < 2; ++i) ASSERT_TRUE(RenderFrame(device, clock, {10, 0, 0, texture.get()}));

    const auto count = [](const Image& frame, std::uint32_t colour) {
        return std::count(frame.pixels.begin(), frame.pixels.end(), colour);
    };
    EXPECT_EQ(count(frames[0], kBlack), 64 * 48);
    EXPECT_GT(count(frames[1], 0xFF336699), 64 * 48 / 10);
    EXPECT_EQ(count(frames[1], 0xFF336699) + count(frames[1], kBlack), 64 * 48);
}

TEST(SoftwareDevice, ModulatesTheTextureWithTheLitOrVertexColour) {
    Scene scene;
    Image picture(1, 1);
    picture.pixels = {0xFF80FF40};
    const auto texture = scene.device.CreateTexture(picture);
    scene.device.SetTexture(0, texture.get());
    const auto quad = scene.Rectangle(0, 0, 64, 64, 0xFF00FF80);
    EXPECT_EQ(scene.Draw(quad).At(5, 5), 0xFF00FF20);

    Material grey;
    grey.Ambient = {0.5f, 1, 0.5f, 1};
    grey.Emissive = {0, 0, 0.25f, 0};
    scene.device.SetMaterial(grey);
    scene.device.SetRenderState(RenderState::Lighting, 1);
    scene.device.SetRenderState(RenderState::Ambient, 0x00FFFFFF);
    EXPECT_EQ(scene.Draw(quad).At(5, 5), 0xFF40FF30);  // lit (0.5, 1, 0.75)
}

TEST(SoftwareDevice, ATextureShownOneToOneComesOutTexelForTexel) {
    Scene scene(32, 16);
    Image picture(32, 16);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = 0xFF000000 | static_cast<std::uint32_t>(i * 2654435761u >> 8);
    const auto texture = scene.device.CreateTexture(picture);
    scene.device.SetTexture(0, texture.get());
    // Texel centres on the sample points.
    const Image& frame = scene.Draw(scene.Rectangle(-0.5f, -0.5f, 31.5f, 15.5f));
    EXPECT_EQ(frame.pixels, picture.pixels);
}

TEST(SoftwareDevice, TextureCoordinatesWrapAround) {
    Scene scene;
    Image picture(2, 2);
    picture.pixels = {0xFF0000AA, 0xFF0000BB, 0xFF0000CC, 0xFF0000DD};
    const auto texture = scene.device.CreateTexture(picture);
    scene.device.SetTexture(0, texture.get());
    const Image& frame = scene.Draw(scene.Rectangle(0, 0, 64, 64, kWhite, 0.5f, -1, -1, 1, 1));
    const std::uint32_t a = 0xFF0000AA, b = 0xFF0000BB, c = 0xFF0000CC, d = 0xFF0000DD;
    EXPECT_EQ((std::vector{frame.At(8, 8), frame.At(24, 8), frame.At(40, 8), frame.At(56, 8)}),
              (std::vector{a, b, a, b}));
    EXPECT_EQ((std::vector{frame.At(8, 24), frame.At(24, 56)}), (std::vector{c, d}));
}

// A square receding to the right: on screen it is a square, but the middle of the texture
// lies where the middle of the square in space projects, not halfway across the screen.
TEST(SoftwareDevice, TextureCoordinatesArePerspectiveCorrect) {
    Scene scene;
    Image picture(2, 1);
    picture.pixels = {0xFF0000AA, 0xFF0000BB};
    const auto texture = scene.device.CreateTexture(picture);
    scene.device.SetTexture(0, texture.get());
    // x / z and y / z from -0.5 to 0.5; the middle of the square (0.5, 0, 2) lands at 0.25.
    scene.device.SetTransform(TransformKind::Projection,
                              PerspectiveFovLH(std::numbers::pi_v<float> / 2, 1, 0.1f, 100));
    const SolidVertex a = Vertex(-0.5f, 0.5f, 1, kWhite, 0, 0);
    const SolidVertex b = Vertex(1.5f, 1.5f, 3, kWhite, 1, 0);
    const SolidVertex c = Vertex(-0.5f, -0.5f, 1, kWhite, 0, 1);
    const SolidVertex d = Vertex(1.5f, -1.5f, 3, kWhite, 1, 1);
    const std::vector<std::uint32_t> row = Row(scene.Draw({a, b, c, c, b, d}), 32);
    const auto firstRight = std::find(row.begin(), row.end(), 0xFF0000BB) - row.begin();
    EXPECT_NEAR(firstRight, 40, 1);  // halfway across the screen would be 32
    EXPECT_EQ(row[16], 0xFF0000AAu);
    EXPECT_EQ(row[47], 0xFF0000BBu);
}

TEST(SoftwareDevice, CullsTheChosenWinding) {
    const auto drawn = [](std::optional<std::uint32_t> cullMode) {
        Scene scene;
        if (cullMode) scene.device.SetRenderState(RenderState::CullMode, *cullMode);
        scene.device.Clear(0, 1);
        const float l = -0.5f, r = 0.5f;
        // Clockwise on screen, on the left half; counter-clockwise on the right half.
        const Image& frame = scene.Draw({Vertex(-1, l), Vertex(-1, r), Vertex(0, l),  //
                                         Vertex(0, l), Vertex(1, l), Vertex(0, r)});
        return std::pair{frame.At(20, 40) != kBlack, frame.At(40, 40) != kBlack};
    };
    EXPECT_EQ(drawn(kCullNone), std::pair(true, true));
    EXPECT_EQ(drawn(2), std::pair(false, true));
    EXPECT_EQ(drawn(3), std::pair(true, false));
    EXPECT_EQ(drawn(std::nullopt), std::pair(true, false));
}

TEST(SoftwareDevice, ClipsAtTheEyeAndSurvivesDegenerateAndHugeTriangles) {
    Scene scene;
    scene.device.SetRenderState(RenderState::CullMode, kCullNone);
    scene.device.SetTransform(TransformKind::Projection,
                              PerspectiveFovLH(std::numbers::pi_v<float> / 2, 1, 0.1f, 100));
    scene.device.Clear(0, 1);
    // A floor reaching from behind the eye far ahead: only the lower half of the window.
    // Above, triangles nearer than the near plane and farther than the far one.
    const Image& floor = scene.Draw({
        Vertex(-50, -1, -20), Vertex(50, -1, -20), Vertex(0, -1, 90),                      // floor
        Vertex(-0.1f, 0.01f, 0.05f), Vertex(0.1f, 0.01f, 0.05f), Vertex(0, 0.04f, 0.05f),  // near
        Vertex(-200, 10, 150), Vertex(200, 10, 150), Vertex(0, 140, 150),                  // far
    });
    EXPECT_TRUE(std::all_of(floor.pixels.begin(), floor.pixels.begin() + 31 * 64,
                            [](std::uint32_t pixel) { return pixel == kBlack; }));
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
    EXPECT_TRUE(std::all_of(frame.pixels.begin(), frame.pixels.end(),
                            [](std::uint32_t pixel) { return pixel == kWhite; }));
}

TEST(SoftwareDevice, BoundResourcesOutliveTheirHandles) {
    Scene scene;
    Image picture(1, 1);
    picture.pixels = {0xFF123456};
    auto texture = scene.device.CreateTexture(picture);
    scene.device.SetTexture(0, texture.get());
    texture.reset();
    EXPECT_EQ(scene.Draw(scene.Rectangle(0, 0, 64, 64)).At(1, 1), 0xFF123456u);
}

TEST(SoftwareDevice, RejectsWhatItCannotDo) {
    Scene scene;
    SoftwareDevice& device = scene.device;
    EXPECT_EQ(device.CreateVertexBuffer(864, 0x142), nullptr);
    EXPECT_EQ(device.CreateVertexBuffer(0, kSolidVertexFormat), nullptr);
    EXPECT_FALSE(device.SetVertexShader(0x142));
    const auto buffer = device.CreateVertexBuffer(72, kSolidVertexFormat);
    EXPECT_FALSE(device.SetStreamSource(0, buffer.get(), 32));
    EXPECT_FALSE(device.SetStreamSource(1, buffer.get(), 36));
    const std::vector<std::byte> bytes(40);
    EXPECT_FALSE(buffer->SetData(40, bytes));
    EXPECT_TRUE(buffer->SetData(32, bytes));

    for (const auto& [width, height] : {std::pair{3, 4}, {8192, 1}, {0, 0}})
        EXPECT_EQ(device.CreateTexture(Image(width, height)), nullptr) << width << "x" << height;
    EXPECT_NE(device.CreateTexture(Image(4096, 1)), nullptr);
    EXPECT_FALSE(device.SetTexture(1, nullptr));

    EXPECT_FALSE(device.SetRenderState(RenderState::FillMode, 2));  // wireframe
    EXPECT_FALSE(device.SetRenderState(RenderState::ZEnable, 2));   // w-buffer
    EXPECT_FALSE(device.SetRenderState(RenderState::CullMode, 4));
    EXPECT_FALSE(device.SetRenderState(RenderState::SrcBlend, 5));  // SRCALPHA
    EXPECT_FALSE(device.SetRenderState(static_cast<RenderState>(12345), 0));
    EXPECT_FALSE(device.LightEnable(0, true));
    EXPECT_TRUE(device.LightEnable(0, false));
    EXPECT_FALSE(device.Clear(0, 1.5f));
}

TEST(SoftwareDevice, DrawsOnlyWithinAScene) {
    Scene scene;
    SoftwareDevice& device = scene.device;
    const auto buffer = device.CreateVertexBuffer(3 * 36, kSolidVertexFormat);
    EXPECT_FALSE(device.EndScene());
    ASSERT_TRUE(device.BeginScene());
    EXPECT_FALSE(device.BeginScene());
    EXPECT_FALSE(device.Present());
    EXPECT_FALSE(device.DrawPrimitive(PrimitiveType::TriangleList, 0, 1));  // nothing bound
    ASSERT_TRUE(device.SetStreamSource(0, buffer.get(), 36));
    EXPECT_TRUE(device.DrawPrimitive(PrimitiveType::TriangleList, 0, 1));
    for (const auto& [first, count] : {std::pair{1, 1}, {0, 2}, {0, 0}, {-3, 1}})
        EXPECT_FALSE(device.DrawPrimitive(PrimitiveType::TriangleList, first, count))
            << first << " " << count;
    EXPECT_FALSE(device.DrawPrimitive(static_cast<PrimitiveType>(5), 0, 1));  // a strip
    EXPECT_TRUE(device.EndScene());
    EXPECT_FALSE(device.DrawPrimitive(PrimitiveType::TriangleList, 0, 1));
    EXPECT_TRUE(device.Present());
}

}  // namespace
}  // namespace vexaframe
