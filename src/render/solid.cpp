#include "render/solid.h"

#include <cmath>

namespace vexaframe {

namespace {

struct VertexRow {
    float x, y, z;
    float nx, ny, nz;
    int red, green, blue, alpha;
    float tu, tv;
};

// Faces z = -1, z = +1, x = -1, x = +1, y = +1, y = -1, four vertices each. The face z = +1
// takes the picture's corners in a different order from the others (top-left, bottom-left,
// top-right, bottom-right), which shapes the triangles that cross the cube's inside.
constexpr std::array<VertexRow, 24> kSolidTable{{
    {-1, 1, -1, 0, 0, -1, 255, 255, 255, 0, 0, 0},
    {1, 1, -1, 0, 0, -1, 255, 255, 255, 0, 1, 0},
    {-1, -1, -1, 0, 0, -1, 255, 255, 255, 0, 0, 1},
    {1, -1, -1, 0, 0, -1, 255, 255, 0, 0, 1, 1},
    {-1, 1, 1, 0, 0, 1, 255, 255, 0, 0, 0, 0},
    {-1, -1, 1, 0, 0, 1, 255, 255, 0, 0, 0, 1},
    {1, 1, 1, 0, 0, 1, 255, 0, 255, 0, 1, 0},
    {1, -1, 1, 0, 0, 1, 255, 0, 255, 0, 1, 1},
    {-1, 1, 1, -1, 0, 0, 255, 0, 255, 0, 0, 0},
    {-1, 1, -1, -1, 0, 0, 255, 0, 255, 0, 1, 0},
    {-1, -1, 1, -1, 0, 0, 255, 0, 255, 0, 0, 1},
    {-1, -1, -1, -1, 0, 0, 255, 0, 255, 0, 1, 1},
    {1, 1, -1, 1, 0, 0, 255, 0, 255, 0, 0, 0},
    {1, 1, 1, 1, 0, 0, 255, 0, 255, 0, 1, 0},
    {1, -1, -1, 1, 0, 0, 255, 0, 255, 0, 0, 1},
    {1, -1, 1, 1, 0, 0, 255, 0, 255, 0, 1, 1},
    {-1, 1, -1, 0, 1, 0, 255, 0, 255, 0, 0, 0},
    {1, 1, -1, 0, 1, 0, 255, 0, 255, 0, 1, 0},
    {-1, 1, 1, 0, 1, 0, 255, 0, 255, 0, 0, 1},
    {1, 1, 1, 0, 1, 0, 255, 0, 255, 0, 1, 1},
    {-1, -1, -1, 0, -1, 0, 255, 255, 0, 0, 0, 0},
    {1, -1, -1, 0, -1, 0, 255, 255, 0, 0, 1, 0},
    {-1, -1, 1, 0, -1, 0, 255, 255, 0, 0, 0, 1},
    {1, -1, 1, 0, -1, 0, 255, 255, 0, 0, 1, 1},
}};

}  // namespace

std::uint32_t PackColour(int red, int green, int blue, int alpha) {
    const auto channel = [](int value) { return static_cast<std::uint32_t>(value) & 0xFFu; };
    return channel(alpha) << 24 | channel(red) << 16 | channel(green) << 8 | channel(blue);
}

SolidVertex MakeVertex(float x, float y, float z, float colour, float nx, float ny, float nz,
                       float tu, float tv) {
    return {x, y, z, nx, ny, nz, static_cast<std::uint32_t>(std::lround(colour)), tu, tv};
}

SolidVertexList BuildSolid() {
    SolidVertexList vertices{};
    for (std::size_t index = 0; index < kSolidTable.size(); ++index) {
        const VertexRow& row = kSolidTable[index];
        const auto colour = static_cast<float>(PackColour(row.red, row.green, row.blue, row.alpha));
        vertices[index] =
            MakeVertex(row.x, row.y, row.z, colour, row.nx, row.ny, row.nz, row.tu, row.tv);
    }
    return vertices;
}

}  // namespace vexaframe
