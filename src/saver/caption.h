#pragma once
// What a picture's caption says and when it shows: the date it was taken (else the day its
// file was last written) in the user's own format, and under it the file's path from the
// chosen folder; faded in after each change and out before the next.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pictures/image.h"
#include "platform/calendar_time.h"
#include "platform/text_rasteriser.h"

namespace vexaframe {

class FileSystem;

// The lines, top to bottom; no date line when neither date is known.
std::vector<std::string> CaptionLines(const std::optional<CalendarTime>& date,
                                      std::string_view file, std::string_view folder);
std::vector<std::string> CaptionLinesOf(FileSystem& files, const std::string& file,
                                        std::string_view folder);

// The band of those lines, for a screen of that size.
Image PaintCaption(TextRasteriser& text, const std::vector<std::string>& lines, PixelSize screen);

// How opaque a caption is `shownSeconds` after it came, of the `seconds` it shows for: it
// fades in over its first moments and out over its last, and is gone once they are over.
float CaptionOpacity(double shownSeconds, double seconds);

}  // namespace vexaframe
