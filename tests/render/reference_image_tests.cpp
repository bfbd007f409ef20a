// Small scenes drawn by the software device, compared with checked-in pictures. After a
// deliberate change to the drawing, regenerate them with VEXAFRAME_UPDATE_REFERENCES=1,
// look at them, and check them in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "pictures/bmp_file.h"
#include "render/frame.h"
#include "render/scene_resources.h"
#include "render/software_device.h"
#include "support/device_differential.h"

namespace vexaframe {
namespace {

constexpr int kWidth = 128, kHeight = 96;

std::string ReferencePath(const std::string& name) {
    return std::string(VEXAFRAME_REFERENCE_DIR) + "/" + name + ".bmp";
}

Image Draw(SceneState scene, float time, int frames = 2) {
    Image drawn;
    SoftwareDevice device(kWidth, kHeight,
                          [&drawn](const Image& frame, const PixelRegion&) { drawn = frame; });
    SceneResources resources;
    const bool made = CreateResources(device, EncodeBmp24(TestPicture()), resources,
                                      [](ResourceProblem) { ADD_FAILURE(); });
    EXPECT_TRUE(made);
    scene.Texture = resources.Texture.get();
    StillClock clock(time);
    for (int frame = 0; frame < frames; ++frame) EXPECT_TRUE(RenderFrame(device, clock, scene));
    return drawn;
}

// Edges may fall a pixel either way between compilers; the picture as a whole may not.
void ExpectLike(const std::string& name, const Image& drawn) {
    std::ifstream in(ReferencePath(name), std::ios::binary);
    const std::optional<Image> reference =
        DecodeBmp(std::string(std::istreambuf_iterator<char>(in), {}));
    ASSERT_TRUE(reference) << "missing " << ReferencePath(name);
    ASSERT_EQ(std::pair(reference->width, reference->height), std::pair(drawn.width, drawn.height));
    const int differing = Compare(drawn, *reference, 16).differing;
    EXPECT_LE(differing, kWidth * kHeight / 200) << name << ": " << differing << " pixels differ";
}

TEST(ReferenceImages, ScenesLookAsTheyDid) {
    const struct {
        const char* name;
        SceneState scene;
        float time;
    } cases[] = {
        {"whole_solid_opaque", {10, 0, 0, nullptr}, 0.6f},
        {"whole_solid_blended", {10, 0, 1, nullptr}, 2.0f},
        {"three_triangles_random_blend", {2, 1, 2, nullptr}, 4.0f},
    };
    const bool updating = std::getenv("VEXAFRAME_UPDATE_REFERENCES") != nullptr;
    for (const auto& c : cases) {
        const Image drawn = Draw(c.scene, c.time);
        if (updating)
            std::ofstream(ReferencePath(c.name), std::ios::binary) << EncodeBmp24(drawn);
        else
            ExpectLike(c.name, drawn);
    }
    if (updating) GTEST_SKIP() << "wrote the references; compared nothing";
}

TEST(ReferenceImages, TheFirstFrameIsBlack) {
    for (std::uint32_t pixel : Draw({10, 0, 0, nullptr}, 0.6f, 1).pixels)
        ASSERT_EQ(pixel & 0xFFFFFF, 0u);
}

}  // namespace
}  // namespace vexaframe
