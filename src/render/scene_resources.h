#pragma once
// The resources a frame draws from: the cube's vertices in a vertex buffer bound as the
// stream, and the current picture's texture made from the staged bitmap file.

#include <functional>
#include <memory>
#include <string_view>

#include "render/render_device.h"

namespace vexaframe {

struct SceneResources {
    std::unique_ptr<VertexBuffer> Vertices;
    std::unique_ptr<DeviceTexture> Texture;
    // The texture the last replacement took off the cube: no longer drawn, so a later upload
    // of the same size may write over it.
    std::unique_ptr<DeviceTexture> Retired;
};

enum class ResourceProblem { VertexBuffer, Texture };

// Makes a new vertex buffer and a texture from the bitmap file, and binds the cube's
// vertices as stream 0. What cannot be made is reported and the previous one kept, so
// the cube goes on showing the previous picture. False when the device fails a call.
bool CreateResources(RenderDevice& device, std::string_view bitmapFile, SceneResources& resources,
                     const std::function<void(ResourceProblem)>& report);

// A new vertex buffer bound as stream 0, and no texture yet: reported as CreateResources does.
bool BindVertices(RenderDevice& device, SceneResources& resources,
                  const std::function<void(ResourceProblem)>& report);

// The same with a texture made beforehand, which replaces the previous one; when none could be
// made, that is reported and the previous texture stays.
bool CreateResources(RenderDevice& device, std::unique_ptr<DeviceTexture> texture,
                     SceneResources& resources, const std::function<void(ResourceProblem)>& report);

}  // namespace vexaframe
