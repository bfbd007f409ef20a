#pragma once
// A picture's caption as it lies over the frames: lines of white text on a soft dark band, in
// the bottom-left corner of the screen, where the cube never passes. Its pixels are
// premultiplied by their alpha, as the devices lay overlays over a frame.

#include <span>

#include "pictures/image.h"
#include "platform/text_rasteriser.h"

namespace vexaframe {

// The caption's sizes for a screen, in pixels: they grow with its height, so that it reads
// alike at 1280 x 1024 and at 3840 x 2160.
struct CaptionMetrics {
    int firstLineHeight = 0;  // the date
    int lineHeight = 0;       // the lines under it
    int lineGap = 0;
    int padding = 0;  // around the text, inside the band
    int margin = 0;   // between the band and the screen's edges
    int maxTextWidth = 0;
};

CaptionMetrics CaptionMetricsFor(PixelSize screen);

// The band's height for that many lines.
int CaptionBandHeight(const CaptionMetrics& metrics, int lineCount);

// Where a band of that size lies: its top-left pixel.
struct BandPosition {
    int x = 0, y = 0;
};
BandPosition CaptionPosition(PixelSize screen, PixelSize band, const CaptionMetrics& metrics);

// The band of the lines, the first at firstLineHeight; an empty image without lines with ink.
Image PaintCaptionBand(std::span<const TextMask> lines, const CaptionMetrics& metrics);

// The band of a held picture: two upright bars, a pause sign, at the date's height.
Image PaintPauseBand(const CaptionMetrics& metrics);

}  // namespace vexaframe
