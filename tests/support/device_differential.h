#pragma once
// What the device tests share: the test picture, the saver's scenes and uploads, the software
// device's frames to hold the others to, and the rules every device keeps for its resources.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "pictures/bmp_file.h"
#include "render/frame.h"
#include "render/scene_resources.h"
#include "render/software_device.h"
#include "render/solid.h"

namespace vexaframe {

// Coloured quarters with a light border and a diagonal, so that a swapped channel, a flipped
// or turned picture shows; in blocks of 4 texels so that the devices' sampling may differ
// only along block edges.
inline Image TestPicture() {
    constexpr int kSide = 64;
    const std::uint32_t quarters[2][2] = {{0xFFE03030, 0xFF30C040}, {0xFF3050E0, 0xFFE0C020}};
    Image picture(kSide, kSide);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const bool marked = x < 4 || y < 4 || x >= kSide - 4 || y >= kSide - 4 ||
                                (x / 4 == y / 4 && x < kSide / 2);
            picture.At(x, y) = marked ? 0xFFF0F0F0 : quarters[y / 32][x / 32];
        }
    }
    return picture;
}

// The test picture stretched to several bands' height and to the software device's widest
// texture, upside down when asked, so that a band left over from another picture shows.
inline Image LargeTestPicture(bool upsideDown) {
    constexpr int kWidth = 4096, kHeight = 1024;
    const Image small = TestPicture();
    Image picture(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        const int row = y * small.height / kHeight;
        for (int x = 0; x < kWidth; ++x)
            picture.At(x, y) =
                small.At(x * small.width / kWidth, upsideDown ? small.height - 1 - row : row);
    }
    return picture;
}

// A caption as the saver lays it over frames: a dark band fading in from the top, transparent
// corners, and white glyphs in blocks of 4 pixels; premultiplied, and of sides no power of two.
inline Image TestOverlay() {
    constexpr int kWidth = 150, kHeight = 44;
    Image overlay(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const auto alpha = static_cast<std::uint32_t>(40 + y * 215 / (kHeight - 1));
            const bool corner = (x < 8 || x >= kWidth - 8) && y < 8;
            const bool glyph = x >= 12 && y >= 12 && y < 32 && (x / 4 + y / 4) % 3 == 0;
            const std::uint32_t band =
                alpha << 24 | (alpha / 8) << 16 | (alpha / 6) << 8 | alpha / 4;
            overlay.At(x, y) = corner ? 0 : glyph ? 0xFFFFFFFF : band;
        }
    }
    return overlay;
}

// Where a frame shows the test overlay, on the kFrameWidth x kFrameHeight target.
struct OverlayCase {
    const char* name;
    int x, y;
    float opacity;
};

inline constexpr OverlayCase kOverlayCases[] = {
    {"overlay_over_solid", 85, 100, 1},
    {"overlay_half_faded", 85, 100, 0.5f},
    {"overlay_faded_out", 85, 100, 0},
    {"overlay_cut_top_left", -40, -20, 1},
    {"overlay_cut_bottom_right", 250, 220, 0.5f},
    {"overlay_off_right", 320, 10, 1},
    {"overlay_off_top", 10, -44, 1},
};

struct Scene {
    const char* name;
    float seconds;
    std::int16_t pattern;
    std::int16_t transparency;
    std::int16_t patternAlpha;
};

inline constexpr Scene kDifferentialScenes[] = {
    {"whole_solid_opaque", 0.5f, 10, 0, 0}, {"whole_solid_blended", 0.5f, 10, 1, 0},
    {"turned_opaque", 2.2f, 10, 0, 0},      {"turned_blended", 2.2f, 10, 1, 0},
    {"few_faces_blended", 4.0f, 5, 2, 1},   {"few_faces_opaque", 5.5f, 4, 2, 0},
};

// The vertices drawn as a triangle list in one scene, and presented.
inline bool DrawTriangles(RenderDevice& device, std::span<const SolidVertex> vertices) {
    const std::unique_ptr<VertexBuffer> buffer =
        device.CreateVertexBuffer(vertices.size_bytes(), kSolidVertexFormat);
    return buffer && buffer->SetData(0, std::as_bytes(vertices)) &&
           device.SetVertexShader(kSolidVertexFormat) &&
           device.SetStreamSource(0, buffer.get(), sizeof(SolidVertex)) && device.BeginScene() &&
           device.DrawPrimitive(PrimitiveType::TriangleList, 0,
                                static_cast<int>(vertices.size() / 3)) &&
           device.EndScene() && device.Present();
}

// Two frames, as the first one after the device is made is drawn before the lights are set; with
// the test overlay over both when one is given.
inline bool DrawTwice(RenderDevice& device, const Scene& scene, SceneResources& resources,
                      const OverlayCase* overlay = nullptr) {
    if (!CreateResources(device, EncodeBmp24(TestPicture()), resources,
                         [](ResourceProblem) { ADD_FAILURE() << "a resource is missing"; }))
        return false;
    const SceneState state{scene.pattern, scene.patternAlpha, scene.transparency,
                           resources.Texture.get()};
    const std::unique_ptr<DeviceTexture> overlayTexture =
        overlay ? device.CreateOverlayTexture(TestOverlay()) : nullptr;
    if (overlay && !overlayTexture) return false;
    const std::optional<SceneOverlay> laid =
        overlay ? std::optional(
                      SceneOverlay{overlayTexture.get(), overlay->x, overlay->y, overlay->opacity})
                : std::nullopt;
    StillClock clock(scene.seconds);
    return RenderFrame(device, clock, state, laid) && RenderFrame(device, clock, state, laid);
}

inline int LargestChannelDifference(std::uint32_t a, std::uint32_t b) {
    int largest = 0;
    for (int shift : {0, 8, 16}) {
        const int channelA = static_cast<int>((a >> shift) & 0xFF);
        const int channelB = static_cast<int>((b >> shift) & 0xFF);
        largest = std::max(largest, std::abs(channelA - channelB));
    }
    return largest;
}

// How far a device's frame may stray from the software device's: by how much a channel may
// differ before the pixel counts as differing, and what share of the frame may differ so.
struct Tolerance {
    int channel;
    double differingShare;
};

// A scene must fill enough of the frame for the comparison to mean something.
inline constexpr double kDrawnShare = 0.10;

struct Agreement {
    int differing = 0;  // pixels with a channel off by more than the tolerance
    int drawn = 0;      // pixels the software device did not leave black
};

inline Agreement Compare(const Image& device, const Image& software, int channelTolerance) {
    Agreement agreement;
    for (std::size_t i = 0; i < software.pixels.size(); ++i) {
        if (LargestChannelDifference(device.pixels[i], software.pixels[i]) > channelTolerance)
            ++agreement.differing;
        if ((software.pixels[i] & 0xFFFFFF) != 0) ++agreement.drawn;
    }
    return agreement;
}

inline constexpr int kFrameWidth = 320, kFrameHeight = 240;

inline void ExpectAgreement(const char* name, const Image& device, const Image& software,
                            Tolerance tolerance) {
    ASSERT_EQ(device.width, software.width);
    ASSERT_EQ(device.height, software.height);
    const Agreement agreement = Compare(device, software, tolerance.channel);
    const double total = static_cast<double>(kFrameWidth) * kFrameHeight;
    std::printf("%-22s %5d pixels differ, %.1f%% of the frame drawn\n", name, agreement.differing,
                100 * agreement.drawn / total);
    EXPECT_GE(agreement.drawn, kDrawnShare * total);
    EXPECT_LE(agreement.differing, tolerance.differingShare * total);
}

// What the saver hands back as the retired texture when it starts an upload.
enum class Retired { None, SameSize, OtherSize, OtherDevice };

struct UploadCase {
    const char* name;
    Retired retired;
};

inline constexpr UploadCase kUploadCases[] = {
    {"upload_new", Retired::None},
    {"upload_over_retired", Retired::SameSize},
    {"upload_other_size", Retired::OtherSize},
    {"upload_other_device", Retired::OtherDevice},
};

inline std::unique_ptr<DeviceTexture> RetiredTexture(RenderDevice& device, Retired retired) {
    switch (retired) {
        case Retired::None:
            return nullptr;
        case Retired::SameSize:
            return device.CreateTexture(LargeTestPicture(true));
        case Retired::OtherSize:
            return device.CreateTexture(TestPicture());
        case Retired::OtherDevice:
            return SoftwareDevice(1, 1, nullptr).CreateTexture(LargeTestPicture(true));
    }
    return nullptr;
}

// As the saver does it: one step per frame while the previous picture is drawn, then a frame
// with the new texture, which is handed back; nothing when a step fails.
inline std::unique_ptr<DeviceTexture> UploadBetweenFrames(RenderDevice& device, const Scene& scene,
                                                          std::unique_ptr<DeviceTexture> retired) {
    SceneResources resources;
    if (!DrawTwice(device, scene, resources)) return nullptr;
    const auto uploading = device.BeginTextureUpload(
        std::make_shared<const Image>(LargeTestPicture(false)), std::move(retired));
    if (!uploading) return nullptr;
    StillClock clock(scene.seconds);
    SceneState state{scene.pattern, scene.patternAlpha, scene.transparency,
                     resources.Texture.get()};
    TextureUpload::State progress;
    while ((progress = uploading->Step()) == TextureUpload::State::Uploading)
        if (!RenderFrame(device, clock, state)) return nullptr;
    std::unique_ptr<DeviceTexture> texture = uploading->TakeTexture();
    EXPECT_EQ(progress, TextureUpload::State::Finished);
    state.Texture = texture.get();
    return texture && RenderFrame(device, clock, state) ? std::move(texture) : nullptr;
}

// The frame to hold a device to: the scene drawn by the software device, after an upload
// between frames or with an overlay when asked.
inline Image DrawnBySoftware(const Scene& scene, bool afterUpload = false,
                             const OverlayCase* overlay = nullptr) {
    Image drawn;
    SoftwareDevice software(kFrameWidth, kFrameHeight,
                            [&](const Image& frame, const PixelRegion&) { drawn = frame; });
    SceneResources resources;
    EXPECT_TRUE(afterUpload ? UploadBetweenFrames(software, scene, nullptr) != nullptr
                            : DrawTwice(software, scene, resources, overlay));
    return drawn;
}

inline constexpr std::size_t kSolidBytes = sizeof(SolidVertexList);

// The rules every device keeps for its resources, the software one included: vertex data must
// fit its buffer, and textures come only from whole pictures within the device's limits.
inline void ExpectResourceRules(RenderDevice& device) {
    const std::unique_ptr<VertexBuffer> buffer =
        device.CreateVertexBuffer(kSolidBytes, kSolidVertexFormat);
    ASSERT_TRUE(buffer);
    const std::vector<std::byte> data(kSolidBytes + 1);
    const struct {
        std::size_t offset, size;
        bool fits;
    } cases[] = {
        {0, kSolidBytes, true},      {kSolidBytes - 36, 36, true},  {kSolidBytes, 0, true},
        {0, kSolidBytes + 1, false}, {kSolidBytes - 35, 36, false}, {kSolidBytes + 1, 0, false},
        {SIZE_MAX, 1, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(buffer->SetData(c.offset, std::span(data).first(c.size)), c.fits)
            << c.offset << "+" << c.size;

    Image shortOfPixels(8, 8);
    shortOfPixels.pixels.pop_back();
    EXPECT_FALSE(device.CreateTexture(shortOfPixels));
    EXPECT_FALSE(device.CreateTexture(Image()));
    EXPECT_FALSE(device.BeginTextureUpload(nullptr, nullptr));
    EXPECT_TRUE(device.CreateTexture(Image(8, 8)));
    const TextureLimits limits = device.Limits();
    ASSERT_GE(limits.maxTextureSize, 256);
    EXPECT_TRUE(device.CreateTexture(Image(limits.maxTextureSize, 1)));
    EXPECT_FALSE(device.CreateTexture(Image(limits.maxTextureSize + 1, 1)));
    EXPECT_EQ(static_cast<bool>(device.CreateTexture(Image(3, 5))), !limits.powerOfTwoOnly);

    // An overlay takes any side within the limits, and is drawn only as one, within a scene.
    EXPECT_FALSE(device.CreateOverlayTexture(shortOfPixels));
    EXPECT_FALSE(device.CreateOverlayTexture(Image()));
    EXPECT_FALSE(device.CreateOverlayTexture(Image(limits.maxTextureSize + 1, 1)));
    const std::unique_ptr<DeviceTexture> overlay = device.CreateOverlayTexture(Image(3, 5));
    ASSERT_TRUE(overlay);
    const std::unique_ptr<DeviceTexture> picture = device.CreateTexture(Image(8, 8));
    ASSERT_TRUE(device.BeginScene());
    EXPECT_TRUE(device.DrawOverlay(overlay.get(), 1, 1, 1));
    EXPECT_FALSE(device.DrawOverlay(picture.get(), 1, 1, 1));
    EXPECT_FALSE(device.DrawOverlay(nullptr, 1, 1, 1));
    for (const float opacity : {-0.1f, 1.1f, std::numeric_limits<float>::quiet_NaN()})
        EXPECT_FALSE(device.DrawOverlay(overlay.get(), 1, 1, opacity)) << opacity;
    EXPECT_TRUE(device.EndScene());
    EXPECT_FALSE(device.SetTexture(0, overlay.get()));
}

}  // namespace vexaframe
