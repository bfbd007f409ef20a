#include "render/caption_band.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "render/frame.h"

namespace vexaframe {

namespace {

constexpr int kBandAlpha = 150;  // of 255: dark enough for white text over a bright face

// The widest band, as a share of the screen: wider names are cut.
constexpr double kMaxBandShare = 0.45;

// The largest width a band of `height` can have in the bottom-left corner and stay clear of
// the ellipse the cube keeps inside: outside it vertically, a share of the screen; else as far
// as the ellipse's left edge at the band's top.
int ClearBandWidth(PixelSize screen, int height, int margin) {
    const double halfWidth = screen.width / 2.0, halfHeight = screen.height / 2.0;
    const double reach = CubeReach();
    const double top = (screen.height - margin - height - halfHeight) / halfHeight;
    const double widest = kMaxBandShare * screen.width;
    if (top >= reach) return static_cast<int>(widest);
    const double inner = halfWidth * (1 - std::sqrt(reach * reach - top * top)) - margin;
    return static_cast<int>(std::clamp(std::floor(inner), 0.0, widest));
}

std::uint32_t Premultiplied(int alpha, int white) {
    const auto channel = static_cast<std::uint32_t>(white);
    return static_cast<std::uint32_t>(alpha) << 24 | channel << 16 | channel << 8 | channel;
}

// The band's own alpha at (x, y): full inside, falling off over the corners' rounding.
int BandAlpha(const Image& band, int x, int y, int radius) {
    const double cx = std::clamp(x + 0.5, 1.0 * radius, 1.0 * (band.width - radius));
    const double cy = std::clamp(y + 0.5, 1.0 * radius, 1.0 * (band.height - radius));
    const double outside = std::hypot(x + 0.5 - cx, y + 0.5 - cy) - (radius - 0.5);
    const double cover = std::clamp(0.5 - outside, 0.0, 1.0);
    return static_cast<int>(std::lround(kBandAlpha * cover));
}

Image DarkBand(int width, int height, int radius) {
    Image band(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            band.At(x, y) = Premultiplied(BandAlpha(band, x, y, radius), 0);
    return band;
}

// White ink over the band: coverage c of 255 lays c over what the band has.
void LayInk(Image& band, int left, int top, int width, int height, const std::uint8_t* coverage,
            int stride) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int ink = coverage[static_cast<std::size_t>(y) * stride + x];
            if (ink == 0) continue;
            std::uint32_t& pixel = band.At(left + x, top + y);
            const int below = static_cast<int>(pixel >> 24);
            pixel = Premultiplied(ink + below * (255 - ink) / 255, ink);
        }
    }
}

}  // namespace

CaptionMetrics CaptionMetricsFor(PixelSize screen) {
    CaptionMetrics metrics;
    metrics.firstLineHeight = std::max(12, screen.height / 34);
    metrics.lineHeight = std::max(10, metrics.firstLineHeight * 3 / 4);
    metrics.lineGap = metrics.firstLineHeight / 6;
    metrics.padding = metrics.firstLineHeight / 2;
    metrics.margin = std::max(4, screen.height / 40);
    const int twoLines = CaptionBandHeight(metrics, 2);
    metrics.maxTextWidth =
        std::max(0, ClearBandWidth(screen, twoLines, metrics.margin) - 2 * metrics.padding);
    return metrics;
}

int CaptionBandHeight(const CaptionMetrics& metrics, int lineCount) {
    if (lineCount <= 0) return 0;
    return 2 * metrics.padding + metrics.firstLineHeight +
           (lineCount - 1) * (metrics.lineGap + metrics.lineHeight);
}

BandPosition CaptionPosition(PixelSize screen, PixelSize band, const CaptionMetrics& metrics) {
    return {metrics.margin, screen.height - metrics.margin - band.height};
}

Image PaintCaptionBand(std::span<const TextMask> lines, const CaptionMetrics& metrics) {
    int width = 0, height = 0, inked = 0;
    for (const TextMask& line : lines) {
        if (line.width == 0 || line.height == 0) continue;
        width = std::max(width, std::min(line.width, metrics.maxTextWidth));
        height += (inked++ == 0 ? 0 : metrics.lineGap) + line.height;
    }
    if (inked == 0 || width == 0) return {};
    Image band =
        DarkBand(width + 2 * metrics.padding, height + 2 * metrics.padding, metrics.padding);
    int top = metrics.padding;
    for (const TextMask& line : lines) {
        if (line.width == 0 || line.height == 0) continue;
        LayInk(band, metrics.padding, top, std::min(line.width, width), line.height,
               line.coverage.data(), line.width);
        top += line.height + metrics.lineGap;
    }
    return band;
}

Image PaintPauseBand(const CaptionMetrics& metrics) {
    const int sign = metrics.firstLineHeight;
    const int side = sign + 2 * metrics.padding;
    Image band = DarkBand(side, side, metrics.padding);
    const int barWidth = std::max(1, sign / 3);
    const std::vector<std::uint8_t> bar(static_cast<std::size_t>(barWidth) * sign, 255);
    LayInk(band, metrics.padding, metrics.padding, barWidth, sign, bar.data(), barWidth);
    LayInk(band, metrics.padding + sign - barWidth, metrics.padding, barWidth, sign, bar.data(),
           barWidth);
    return band;
}

}  // namespace vexaframe
