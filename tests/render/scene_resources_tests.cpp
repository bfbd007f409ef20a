#include <gtest/gtest.h>

#include <vector>

#include "pictures/bmp_file.h"
#include "render/scene_resources.h"
#include "render/software_device.h"

namespace vexaframe {
namespace {

TEST(SceneResources, APictureThatCannotBeUsedKeepsThePreviousOne) {
    SoftwareDevice device(16, 16, [](const Image&, const PixelRegion&) {});
    SceneResources resources;
    std::vector<ResourceProblem> problems;
    const auto report = [&problems](ResourceProblem problem) { problems.push_back(problem); };

    Image picture(4, 4);
    ASSERT_TRUE(CreateResources(device, EncodeBmp24(picture), resources, report));
    const DeviceTexture* first = resources.Texture.get();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(problems.empty());

    for (const std::string& unusable :
         {std::string(), std::string("BM junk"), EncodeBmp24(picture).substr(0, 60)}) {
        EXPECT_TRUE(CreateResources(device, unusable, resources, report));
        EXPECT_EQ(resources.Texture.get(), first);
    }
    EXPECT_EQ(problems, std::vector<ResourceProblem>(3, ResourceProblem::Texture));
}

}  // namespace
}  // namespace vexaframe
