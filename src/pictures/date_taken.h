#pragma once
// When a photograph was taken, for its caption.

#include <optional>
#include <string>

#include "platform/calendar_time.h"
#include "platform/file_system.h"

namespace vexaframe {

// The Exif DateTimeOriginal of a picture file of the kinds we show (see ReadPictureHeader): from
// a JPEG file's APP1 segment, a PNG file's eXIf chunk before its image data, a WebP file's EXIF
// chunk wherever it lies, a HEIF or AVIF file's Exif item. Reads the file's first 256 KiB and
// then a few small pieces, never the whole of a large file. Nothing for a file of another kind,
// one whose header is not whole in those bytes, or one without a valid date.
std::optional<CalendarTime> ReadDateTaken(FileSystem& files, const std::string& path);

// The date a caption shows: the one the photograph was taken, else the one its file was last
// written; nothing when neither is known.
std::optional<CalendarTime> DateOfPicture(FileSystem& files, const std::string& path);

}  // namespace vexaframe
