#include "saver/caption.h"

#include <algorithm>

#include "pictures/date_taken.h"
#include "platform/local_date.h"
#include "render/caption_band.h"
#include "settings/catalogue.h"

namespace vexaframe {

namespace {

constexpr double kFadeSeconds = 0.6;
// Gone this long before the next change, so that the new picture comes without it.
constexpr double kGoneBeforeChange = 0.4;

}  // namespace

std::vector<std::string> CaptionLines(const std::optional<CalendarTime>& date,
                                      std::string_view file, std::string_view folder) {
    std::vector<std::string> lines;
    if (date) {
        std::string day = FormatLocalDate(*date);
        if (!day.empty()) lines.push_back(std::move(day));
    }
    lines.emplace_back(CataloguedName(file, folder));
    return lines;
}

std::vector<std::string> CaptionLinesOf(FileSystem& files, const std::string& file,
                                        std::string_view folder) {
    return CaptionLines(DateOfPicture(files, file), file, folder);
}

Image PaintCaption(TextRasteriser& text, const std::vector<std::string>& lines, PixelSize screen) {
    const CaptionMetrics metrics = CaptionMetricsFor(screen);
    std::vector<TextMask> masks;
    for (const std::string& line : lines) {
        const int height = masks.empty() ? metrics.firstLineHeight : metrics.lineHeight;
        masks.push_back(text.Rasterise(line, height, metrics.maxTextWidth));
    }
    return PaintCaptionBand(masks, metrics);
}

float CaptionOpacity(double shownSeconds, double seconds) {
    const double fadeIn = shownSeconds / kFadeSeconds;
    const double fadeOut = (seconds - kGoneBeforeChange - shownSeconds) / kFadeSeconds;
    return static_cast<float>(std::clamp(std::min(fadeIn, fadeOut), 0.0, 1.0));
}

}  // namespace vexaframe
