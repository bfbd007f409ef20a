#pragma once
// The triangle stage of the software device: window mapping, fixed-point edges with the
// top-left fill rule, and the rows that the pixel stage paints; with the colour and depth
// buffers it draws into.

#include <cstdint>
#include <vector>

#include "pictures/image.h"
#include "render/pixel_region.h"
#include "render/software_clipper.h"
#include "render/software_span.h"

namespace vexaframe {

// Which winding, as seen on the screen, is not drawn; Direct3D's numbers.
enum class CullMode : std::uint32_t { None = 1, Clockwise = 2, CounterClockwise = 3 };

struct RasterState {
    CullMode cull = CullMode::CounterClockwise;
    PixelState pixels;
};

class Rasteriser {
public:
    static constexpr int kMaxSide = 16384;

    // Both sides 1..kMaxSide.
    Rasteriser(int width, int height);

    // Opaque: the alpha byte of every pixel is 0xFF.
    const Image& Target() const { return colour_; }

    // What ClipTriangle must cut polygons to before they are drawn here.
    ClipVolume Volume() const;

    // Every pixel of the target.
    PixelRegion Whole() const { return {0, 0, colour_.width, colour_.height}; }

    // Fills the region, which must lie within the target, of both buffers.
    void Clear(std::uint32_t colour, float depth, const PixelRegion& region);
    // The region holding every pixel the polygon's rows reached, drawn or hidden.
    PixelRegion DrawPolygon(const ClippedPolygon& polygon, const RasterState& state);
    // Blends a premultiplied picture over the colour buffer, its top-left pixel at (x, y), at
    // `opacity` (0..255), as Over does; the region it covered on the target.
    PixelRegion LayOver(const Image& overlay, int x, int y, std::uint32_t opacity);

private:
    struct WindowVertex;
    WindowVertex ToWindow(const ClipVertex& vertex, const TiledTexture* texture) const;
    PixelRegion DrawTriangle(const WindowVertex& a, const WindowVertex& b, const WindowVertex& c,
                             SpanPainter& painter, CullMode cull);

    Image colour_;
    std::vector<DepthValue> depth_;
};

}  // namespace vexaframe
