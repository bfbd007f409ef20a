#include "render/scene_resources.h"

#include <cmath>
#include <span>

#include "pictures/texture_picture.h"
#include "render/solid.h"

namespace vexaframe {

namespace {

constexpr std::size_t kSolidBytes = sizeof(SolidVertexList);

std::unique_ptr<DeviceTexture> TextureFromFile(RenderDevice& device, std::string_view bitmapFile) {
    const std::optional<Image> picture = TextureFromBitmapFile(bitmapFile, device.Limits());
    return picture ? device.CreateTexture(*picture) : nullptr;
}

// The resource replaced, if any.
template <typename Resource>
std::unique_ptr<Resource> ReplaceOrReport(std::unique_ptr<Resource> made,
                                          std::unique_ptr<Resource>& kept, ResourceProblem problem,
                                          const std::function<void(ResourceProblem)>& report) {
    if (!made) {
        report(problem);
        return nullptr;
    }
    std::swap(made, kept);
    return made;
}

void ReplaceVertices(RenderDevice& device, SceneResources& resources,
                     const std::function<void(ResourceProblem)>& report) {
    ReplaceOrReport(device.CreateVertexBuffer(kSolidBytes, kSolidVertexFormat), resources.Vertices,
                    ResourceProblem::VertexBuffer, report);
}

// The cube's vertices into the buffer, bound as the stream. False without a buffer.
bool BindStream(RenderDevice& device, SceneResources& resources) {
    const SolidVertexList SolidVertices = BuildSolid();
    if (!resources.Vertices) return false;
    return device.SetVertexShader(kSolidVertexFormat) &&
           device.SetStreamSource(0, resources.Vertices.get(),
                                  static_cast<int>(std::lround(VertexStride))) &&
           resources.Vertices->SetData(0, std::as_bytes(std::span(SolidVertices)));
}

}  // namespace

bool CreateResources(RenderDevice& device, std::string_view bitmapFile, SceneResources& resources,
                     const std::function<void(ResourceProblem)>& report) {
    return CreateResources(device, TextureFromFile(device, bitmapFile), resources, report);
}

bool CreateResources(RenderDevice& device, std::unique_ptr<DeviceTexture> texture,
                     SceneResources& resources,
                     const std::function<void(ResourceProblem)>& report) {
    ReplaceVertices(device, resources, report);
    if (std::unique_ptr<DeviceTexture> replaced = ReplaceOrReport(
            std::move(texture), resources.Texture, ResourceProblem::Texture, report))
        resources.Retired = std::move(replaced);
    return BindStream(device, resources);
}

bool BindVertices(RenderDevice& device, SceneResources& resources,
                  const std::function<void(ResourceProblem)>& report) {
    ReplaceVertices(device, resources, report);
    return BindStream(device, resources);
}

}  // namespace vexaframe
