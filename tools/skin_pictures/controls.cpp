// The controls on the panels: silver glass with a blue-grey rim, marks in deep blue.

#include <algorithm>
#include <array>

#include "pictures.h"

namespace vexaframe::skin {
namespace {

constexpr Colour kRim = Hex(0x3C5A9A);
constexpr Colour kMark = Hex(0x163C9C);
constexpr Colour kMarkLight = Hex(0x5C8EE8);

// Sunk wells for check boxes and radio buttons: shaded at the top, white at the bottom.
const std::array kWell{Stop{1.5, Hex(0xC4CFE6)}, Stop{2.5, Hex(0xEEF2FA)}, Stop{10, Hex(0xFFFFFF)}};

// Raised glass, lighter above its middle: a button at rest.
const std::array kRaisedGlass{
    Stop{1.5, Hex(0xFFFFFF)},  Stop{2.5, Hex(0xF6F8FD)},  Stop{9.5, Hex(0xE2E9F6)},
    Stop{10.5, Hex(0xCDD8EE)}, Stop{17.5, Hex(0xE0E8F7)}, Stop{18.5, Hex(0xB2C0DE)},
};
// A pressed button: shaded from the top, as if sunk into the panel.
const std::array kSunkGlass{Stop{1.5, Hex(0x8A9AC2)}, Stop{3.5, Hex(0xB8C5E2)},
                            Stop{18.5, Hex(0xDCE4F4)}};
// Headings are no buttons: an even wash in a faint rim, the section's blue line beneath it.
constexpr Colour kTabRim = Hex(0x9AACD2);
const std::array kTabWash{Stop{1.5, Hex(0xF6F8FD)}, Stop{19.5, Hex(0xCDD9F0)}};
const std::array kTabAccent{Stop{20.5, Hex(0x2C4FA0)}, Stop{21.5, Hex(0x1A3278)}};

constexpr int kCheckSide = 12;
constexpr int kRadioSide = 13;
constexpr int kTabWidth = 95;
constexpr int kTabHeight = 22;
constexpr int kButtonWidth = 21;
constexpr int kButtonHeight = 20;

Colour Tick(Point p) {
    const Point start{3.0, 6.0};
    const Point bend{5.2, 8.4};
    const Point end{9.2, 3.4};
    const double distance =
        std::min(SegmentDistance(p, start, bend), SegmentDistance(p, bend, end));
    return distance < 0.85 ? Mix(kMarkLight, kMark, p.y / kCheckSide) : kClear;
}

Colour Dot(Point p, Point centre) {
    if (CircleDistance(p, centre, 3.1) > 0) return kClear;
    const Colour glass = Mix(kMarkLight, kMark, (p.y - centre.y + 3) / 6);
    const bool glint = CircleDistance(p, {centre.x - 1, centre.y - 1.2}, 1) <= 0;
    return glint ? Mix(glass, Hex(0xFFFFFF), 0.6) : glass;
}

// A rimmed well on the tile, from the rim's distance and the mark inside.
Colour Well(double edge, Point p, Colour mark) {
    if (edge > 0) return TileColour();
    if (OnRim(edge, 1)) return kRim;
    return Over(mark, Ramp(kWell, p.y));
}

// Rimmed all round. Stretched four to five times, the end columns widen into the sides'
// rim, so they are a softer rim colour.
Image Button(std::span<const Stop> glass) {
    return PaintPixels(kButtonWidth, kButtonHeight, [glass](int x, int y) {
        const bool end = x == 0 || x == kButtonWidth - 1;
        const bool edge = y == 0 || y == kButtonHeight - 1;
        const Colour face = Ramp(glass, y + 0.5);
        if (end && edge) return Mix(kRim, face, 0.5);
        if (edge) return kRim;
        return end ? Mix(kRim, face, 0.75) : face;
    });
}

}  // namespace

Image CheckBox(bool ticked) {
    return Paint(kCheckSide, kCheckSide, [ticked](Point p) {
        const double edge = BoxDistance(p, {0.5, 0.5}, {kCheckSide - 0.5, kCheckSide - 0.5}, 2);
        return Well(edge, p, ticked ? Tick(p) : kClear);
    });
}

Image RadioButton(bool selected) {
    return Paint(kRadioSide, kRadioSide, [selected](Point p) {
        const Point centre{kRadioSide / 2.0, kRadioSide / 2.0};
        const double edge = CircleDistance(p, centre, kRadioSide / 2.0 - 0.5);
        return Well(edge, p, selected ? Dot(p, centre) : kClear);
    });
}

// Rounded above, square below where the section's line runs.
Image HeadingTab() {
    return Paint(kTabWidth, kTabHeight, [](Point p) {
        const double edge = BoxDistance(p, {0.5, 0.5}, {kTabWidth - 0.5, kTabHeight + 8}, 4);
        if (edge > 0) return TileColour();
        if (OnRim(edge, 1)) return kTabRim;
        return p.y >= kTabHeight - 2 ? Ramp(kTabAccent, p.y) : Ramp(kTabWash, p.y);
    });
}

Image ButtonFace() {
    return Button(kRaisedGlass);
}

Image ButtonFacePressed() {
    return Button(kSunkGlass);
}

}  // namespace vexaframe::skin
