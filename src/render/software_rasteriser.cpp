#include "render/software_rasteriser.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <stdexcept>

#include "render/overlay.h"

namespace vexaframe {

namespace {

// Window coordinates are snapped to 1/256 pixel; with the guard band, every edge function
// stays well inside 64 bits.
constexpr std::int64_t kSubpixels = 256;
constexpr float kGuardBandPixels = 16384;  // from the centre of the window
constexpr std::int64_t kMaxWindowCoordinate = 4 * kGuardBandPixels * kSubpixels;

std::int64_t FloorDiv(std::int64_t numerator, std::int64_t positiveDenominator) {
    const std::int64_t quotient = numerator / positiveDenominator;
    return quotient - (numerator % positiveDenominator < 0 ? 1 : 0);
}

std::int64_t CeilDiv(std::int64_t numerator, std::int64_t positiveDenominator) {
    return -FloorDiv(-numerator, positiveDenominator);
}

// The edge function of a directed edge at the sample point of pixel (column, row), which
// lies on the pixel grid itself; inside when not negative.
struct Edge {
    std::int64_t perColumn;
    std::int64_t perRow;
    std::int64_t atOrigin;  // less one where pixels on the edge are not drawn

    // Narrows [first, last] to the columns of `row` on the inner side of the edge.
    void Narrow(int row, std::int64_t& first, std::int64_t& last) const {
        const std::int64_t atColumnZero = atOrigin + perRow * row;
        if (perColumn > 0)
            first = std::max(first, CeilDiv(-atColumnZero, perColumn));
        else if (perColumn < 0)
            last = std::min(last, FloorDiv(atColumnZero, -perColumn));
        else if (atColumnZero < 0)
            last = first - 1;
    }
};

// The sides of a clockwise triangle; all three together cover each pixel of a mesh once.
struct TriangleEdges {
    std::array<Edge, 3> edges;

    template <class Vertex>
    TriangleEdges(const Vertex& a, const Vertex& b, const Vertex& c)
        : edges{Side(a, b), Side(b, c), Side(c, a)} {}

    template <class Vertex>
    static Edge Side(const Vertex& from, const Vertex& to) {
        const std::int64_t dx = to.x - from.x;
        const std::int64_t dy = to.y - from.y;
        // Top-left rule: going clockwise with y down, left edges go up and top edges right.
        const bool topOrLeft = dy < 0 || (dy == 0 && dx > 0);
        return {-kSubpixels * dy, kSubpixels * dx, dy * from.x - dx * from.y - (topOrLeft ? 0 : 1)};
    }
};

// Each attribute as a plane over the window: value = atOrigin + perColumn * x + perRow * y.
struct AttributePlanes {
    std::array<double, kSpanAttributeCount> atOrigin, perColumn, perRow;
};

template <class Vertex>
AttributePlanes PlanesThrough(const Vertex& a, const Vertex& b, const Vertex& c) {
    const double pixel = 1.0 / kSubpixels;
    const double ax = a.x * pixel, ay = a.y * pixel;
    const double bx = b.x * pixel - ax, by = b.y * pixel - ay;
    const double cx = c.x * pixel - ax, cy = c.y * pixel - ay;
    const double determinant = bx * cy - cx * by;
    AttributePlanes planes;
    for (int i = 0; i < kSpanAttributeCount; ++i) {
        const double db = b.attributes[i] - a.attributes[i];
        const double dc = c.attributes[i] - a.attributes[i];
        planes.perColumn[i] = (db * cy - dc * by) / determinant;
        planes.perRow[i] = (dc * bx - db * cx) / determinant;
        planes.atOrigin[i] = a.attributes[i] - planes.perColumn[i] * ax - planes.perRow[i] * ay;
    }
    return planes;
}

struct PixelRange {
    std::int64_t first, last;
};

// The pixels of a window side of `size` whose sample points lie between the three
// subpixel coordinates.
PixelRange SamplesWithin(std::int64_t p, std::int64_t q, std::int64_t r, int size) {
    return {std::max<std::int64_t>(0, CeilDiv(std::min({p, q, r}), kSubpixels)),
            std::min<std::int64_t>(size - 1, FloorDiv(std::max({p, q, r}), kSubpixels))};
}

// One row filled, then copied down: the library's copy is far faster than a loop of stores.
template <class T>
void FillRegion(std::vector<T>& buffer, int width, const PixelRegion& region, T value) {
    if (region.Empty()) return;
    const auto rowStart = [&](int row) {
        return buffer.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
               region.left;
    };
    const auto columns = static_cast<std::size_t>(region.Width());
    T* const first = rowStart(region.top);
    std::fill_n(first, columns, value);
    for (int row = region.top + 1; row < region.bottom; ++row)
        std::memcpy(rowStart(row), first, columns * sizeof(T));
}

std::uint32_t ColourOf(const ClipVertex& vertex) {
    return PackRgb(ToChannel(vertex.red), ToChannel(vertex.green), ToChannel(vertex.blue));
}

// The colour of every vertex, when they all have the same: lit triangles always do.
std::optional<std::uint32_t> UniformColour(const ClippedPolygon& polygon) {
    const ClipVertex& first = polygon.vertices[0];
    for (int i = 1; i < polygon.count; ++i) {
        const ClipVertex& other = polygon.vertices[i];
        if (other.red != first.red || other.green != first.green || other.blue != first.blue)
            return std::nullopt;
    }
    return ColourOf(first);
}

}  // namespace

struct Rasteriser::WindowVertex {
    std::int64_t x, y;  // window, in subpixels
    SpanAttributes attributes;
};

Rasteriser::Rasteriser(int width, int height) {
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
        throw std::invalid_argument("render target size out of range");
    colour_ = Image(width, height);
    depth_.resize(colour_.pixels.size());
}

ClipVolume Rasteriser::Volume() const {
    return {kGuardBandPixels * 2 / static_cast<float>(colour_.width),
            kGuardBandPixels * 2 / static_cast<float>(colour_.height)};
}

void Rasteriser::Clear(std::uint32_t colour, float depth, const PixelRegion& region) {
    FillRegion(colour_.pixels, colour_.width, region, colour | kOpaque);
    FillRegion(depth_, colour_.width, region, ToDepth(depth));
}

Rasteriser::WindowVertex Rasteriser::ToWindow(const ClipVertex& vertex,
                                              const TiledTexture* texture) const {
    const Vector4& p = vertex.position;
    const float inverseW = 1.0f / p.w;
    const float x = (p.x * inverseW + 1) * static_cast<float>(colour_.width) / 2;   // window
    const float y = (1 - p.y * inverseW) * static_cast<float>(colour_.height) / 2;  // window
    const float textureWidth = texture ? static_cast<float>(texture->Width()) : 0;
    const float textureHeight = texture ? static_cast<float>(texture->Height()) : 0;
    return {std::llround(x * kSubpixels),
            std::llround(y * kSubpixels),
            {p.z * inverseW, inverseW, vertex.u * textureWidth * inverseW,
             vertex.v * textureHeight * inverseW, vertex.red * inverseW, vertex.green * inverseW,
             vertex.blue * inverseW}};
}

PixelRegion Rasteriser::DrawPolygon(const ClippedPolygon& polygon, const RasterState& state) {
    if (polygon.count < 3) return {};
    std::array<WindowVertex, kMaxClippedVertices> window;
    for (int i = 0; i < polygon.count; ++i) {
        window[i] = ToWindow(polygon.vertices[i], state.pixels.texture);
        // Clipping leaves every vertex near the guard band; anything else is not drawn.
        if (std::abs(window[i].x) > kMaxWindowCoordinate ||
            std::abs(window[i].y) > kMaxWindowCoordinate)
            return {};
    }
    SpanPainter painter(state.pixels, UniformColour(polygon));
    PixelRegion reached;
    for (int i = 2; i < polygon.count; ++i)
        reached =
            reached.United(DrawTriangle(window[0], window[i - 1], window[i], painter, state.cull));
    return reached;
}

PixelRegion Rasteriser::DrawTriangle(const WindowVertex& a, const WindowVertex& b0,
                                     const WindowVertex& c0, SpanPainter& painter, CullMode cull) {
    const std::int64_t area = (b0.x - a.x) * (c0.y - a.y) - (c0.x - a.x) * (b0.y - a.y);
    if (area == 0) return {};
    const bool clockwise = area > 0;  // as seen, with y down
    if ((cull == CullMode::Clockwise && clockwise) ||
        (cull == CullMode::CounterClockwise && !clockwise))
        return {};
    const WindowVertex& b = clockwise ? b0 : c0;
    const WindowVertex& c = clockwise ? c0 : b0;
    const TriangleEdges sides(a, b, c);

    const AttributePlanes planes = PlanesThrough(a, b, c);
    const PixelRange rows = SamplesWithin(a.y, b.y, c.y, colour_.height);
    const PixelRange columns = SamplesWithin(a.x, b.x, c.x, colour_.width);

    Span span{};
    PixelRegion reached;
    for (int row = static_cast<int>(rows.first); row <= rows.last; ++row) {
        std::int64_t first = columns.first, last = columns.last;
        for (const Edge& edge : sides.edges) edge.Narrow(row, first, last);
        if (first > last) continue;
        const std::size_t rowStart = static_cast<std::size_t>(row) * colour_.width;
        span.colour = colour_.pixels.data() + rowStart;
        span.depth = depth_.data() + rowStart;
        span.first = static_cast<int>(first);
        span.last = static_cast<int>(last);
        for (int i = 0; i < kSpanAttributeCount; ++i) {
            span.start[i] = static_cast<float>(planes.atOrigin[i] + planes.perColumn[i] * first +
                                               planes.perRow[i] * row);
            span.step[i] = static_cast<float>(planes.perColumn[i]);
        }
        painter.Paint(span);
        reached = reached.United({span.first, row, span.last + 1, row + 1});
    }
    return reached;
}

PixelRegion Rasteriser::LayOver(const Image& overlay, int x, int y, std::uint32_t opacity) {
    const PixelRegion area =
        OverlayArea({overlay.width, overlay.height}, {colour_.width, colour_.height}, x, y);
    if (area.Empty()) return {};
    for (int row = area.top; row < area.bottom; ++row) {
        const std::uint32_t* from =
            &overlay.pixels[static_cast<std::size_t>(row - y) * overlay.width + (area.left - x)];
        std::uint32_t* to = &colour_.At(area.left, row);
        for (int column = 0; column < area.Width(); ++column)
            to[column] = Over(from[column], to[column], opacity);
    }
    return area;
}

}  // namespace vexaframe
