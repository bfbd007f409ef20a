// The window's chrome: a bar of deep-blue glass, lighter above its middle, that runs into
// the dark top of the dialog's body, and a ruby glass close button on it.

#include <algorithm>
#include <array>

#include "pictures.h"

namespace vexaframe::skin {
namespace {

constexpr int kStripWidth = 500;
constexpr int kStripHeight = 22;
constexpr double kCloseTop = 4;  // where the dialog draws the close button on the strip
constexpr int kCloseSide = 15;

const std::array kStripStops{
    Stop{0.5, Hex(0x8CA6DA)},  Stop{1.5, Hex(0x5474B8)},  Stop{10.5, Hex(0x2E4C92)},
    Stop{11.5, Hex(0x182E6C)}, Stop{18.5, Hex(0x0E1E52)}, Stop{21.5, Hex(0x00001E)},
};

struct CloseLook {
    Colour top;
    Colour bottom;
    double glossStrength;
    double glyphDrop;  // pressed, the cross sinks by a pixel
};

constexpr CloseLook kAtRest{Hex(0xE06A6A), Hex(0x8C1420), 0.55, 0};
constexpr CloseLook kPressed{Hex(0x9A2630), Hex(0x6A0A14), 0.2, 1};

Colour CrossGlyph(Point p, double drop) {
    const Point centre{7.5, 7.5 + drop};
    const Point a{centre.x - 3.2, centre.y - 3.2};
    const Point b{centre.x + 3.2, centre.y + 3.2};
    const Point c{centre.x - 3.2, centre.y + 3.2};
    const Point d{centre.x + 3.2, centre.y - 3.2};
    const double distance = std::min(SegmentDistance(p, a, b), SegmentDistance(p, c, d));
    return distance < 0.95 ? Hex(0xFFFFFF) : kClear;
}

Colour CloseFace(Point p, const CloseLook& look, double left) {
    const Point topLeft{left + 0.5, 0.5};
    const Point bottomRight{left + kCloseSide - 0.5, kCloseSide - 0.5};
    const double edge = BoxDistance(p, topLeft, bottomRight, 3);
    if (edge > 0) return kClear;
    if (OnRim(edge, 1)) return Hex(0x4A0610);
    const Colour body = Mix(look.top, look.bottom, (p.y - 1) / (kCloseSide - 2));
    const double gloss = p.y < 7 ? look.glossStrength * (1 - p.y / 7) : 0;
    const Colour glass = Mix(body, Hex(0xFFFFFF), gloss);
    return Over(CrossGlyph({p.x - left, p.y}, look.glyphDrop), glass);
}

Image Close(const CloseLook& look, int width) {
    const double left = width - kCloseSide;  // pressed, the button moves a pixel right
    return Paint(width, kCloseSide, [&look, left](Point p) {
        return Over(CloseFace(p, look, left), StripColour(kCloseTop + p.y));
    });
}

}  // namespace

Colour StripColour(double y) {
    return Ramp(kStripStops, y);
}

Image TitleStrip() {
    return PaintPixels(kStripWidth, kStripHeight, [](int, int y) { return StripColour(y + 0.5); });
}

Image CloseButton() {
    return Close(kAtRest, kCloseSide);
}

Image CloseButtonPressed() {
    return Close(kPressed, kCloseSide + 1);
}

}  // namespace vexaframe::skin
