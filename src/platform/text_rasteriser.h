#pragma once
// One line of text drawn in the platform's user-interface font, as coverage a caption can be
// blended from: characters the font lacks come from another installed font that has them.

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace vexaframe {

// 8-bit coverage of a line of text, 0 nothing to 255 fully covered, rows top to bottom.
struct TextMask {
    int width = 0, height = 0;
    std::vector<std::uint8_t> coverage;  // width * height

    bool operator==(const TextMask&) const = default;
};

// Made and used on one thread at a time, which need not be the one that made any windows.
class TextRasteriser {
public:
    virtual ~TextRasteriser() = default;

    // One line of UTF-8 text (malformed bytes drawn as U+FFFD), `pixelHeight` pixels from the
    // line's top to its bottom (ascent + descent) and as wide as the text, at most `maxWidth`:
    // a longer text is cut and ends in an ellipsis "…". Empty for empty text, or a height or
    // width limit below 1.
    virtual TextMask Rasterise(std::string_view utf8, int pixelHeight, int maxWidth) = 0;
};

// The platform's; never null. Without fonts it gives empty masks.
std::unique_ptr<TextRasteriser> MakeTextRasteriser();

}  // namespace vexaframe
