#include "settings_dialog/dialog_layout.h"

#include <cmath>

namespace vexaframe {

PixelPoint DialogPosition(PixelSize screen) {
    return {(screen.width - layout::kWindowSize.width) / 2,
            (screen.height - layout::kWindowSize.height) / 3};
}

std::vector<Rgb> BodyGradient(int height) {
    const double k = height / 3.142;
    std::vector<Rgb> rows;
    for (int i = 0; i <= height; ++i) {
        const auto c = static_cast<std::uint8_t>(std::nearbyint(std::abs(std::sin(i / k) * 220)));
        rows.push_back({c, c, static_cast<std::uint8_t>(c + 30)});
    }
    return rows;
}

// A column ends with the first copy below the panel, the panel with the first column right
// of it.
std::vector<PixelPoint> TileOrigins(PixelSize panel, PixelSize tile) {
    std::vector<PixelPoint> origins;
    if (tile.width <= 0 || tile.height <= 0) return origins;
    PixelPoint at{0, 0};
    for (;;) {
        origins.push_back(at);
        if (at.y <= panel.height) {
            at.y += tile.height;
        } else if (at.x <= panel.width) {
            at = {at.x + tile.width, 0};
        } else {
            return origins;
        }
    }
}

PixelSize FitPreview(PixelSize picture) {
    constexpr double kSide = 100;
    const double w = picture.width, h = picture.height;
    if (w <= 0 || h <= 0) return {};
    const auto whole = [](double value) { return static_cast<int>(std::nearbyint(value)); };
    return w > h ? PixelSize{whole(kSide), whole(h * kSide / w)}
                 : PixelSize{whole(w * kSide / h), whole(kSide)};
}

int ListHorizontalExtent() {
    return static_cast<int>(
        std::nearbyint(static_cast<double>(layout::kFileList.width) / kTwipsPerPixel + 300));
}

}  // namespace vexaframe
