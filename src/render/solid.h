#pragma once
// The cube the pictures are shown on: 24 vertices, four per face, no vertex shared.

#include <array>
#include <cstdint>

namespace vexaframe {

struct SolidVertex {
    float x, y, z;     // position
    float nx, ny, nz;  // face normal
    std::uint32_t colour;
    float tu, tv;      // (0, 0) is the picture's top-left corner, v grows downward
};
static_assert(sizeof(SolidVertex) == 36, "the device reads 36-byte vertices");

// Position, normal, diffuse colour, one set of texture coordinates: in that order above.
inline constexpr std::uint32_t kSolidVertexFormat = 0x152;
inline constexpr float VertexStride = 36.0f;

using SolidVertexList = std::array<SolidVertex, 24>;

// Packs four 0..255 channels into a 32-bit colour, alpha in the top byte.
std::uint32_t PackColour(int red, int green, int blue, int alpha);

SolidVertex MakeVertex(float x, float y, float z, float colour, float nx, float ny, float nz,
                       float tu, float tv);

SolidVertexList BuildSolid();

}  // namespace vexaframe
