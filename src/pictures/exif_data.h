#pragma once
// What the program takes from a photograph's Exif data, a TIFF structure in either byte order:
// from its main directory the Orientation and where the Exif directory lies, and from that
// directory DateTimeOriginal, the moment the photograph was taken. Nothing past damage is read;
// what came before it counts.

#include <optional>
#include <string_view>

#include "pictures/exif_orientation.h"
#include "platform/calendar_time.h"

namespace vexaframe {

struct ExifData {
    // kUpright where the tag is missing or its value is not one of 1 to 8.
    int orientation = kUpright;
    // Missing where the tag is, or its text is not a valid "YYYY:MM:DD HH:MM:SS"; IsValid when
    // there.
    std::optional<CalendarTime> taken;

    // Takes what this lacks (an upright orientation counts as lacking) from the Exif data of a
    // later segment or chunk of the same file.
    void FillFrom(const ExifData& later) {
        if (orientation == kUpright) orientation = later.orientation;
        if (!taken) taken = later.taken;
    }
};

// From the bare TIFF structure, as a PNG eXIf chunk holds it.
ExifData ReadTiffExif(std::string_view tiff);

// From a JPEG APP1 segment's payload: "Exif\0\0" and the TIFF structure. Nothing known from a
// segment without the signature.
ExifData ReadExifSegment(std::string_view app1Payload);

// From a WebP EXIF chunk's payload: the TIFF structure, which some writers put after
// "Exif\0\0".
ExifData ReadExifBlock(std::string_view payload);

// From a HEIF or AVIF file's Exif item: the offset (32 bits, big-endian) from the item's fifth
// byte to the Exif data, which is then as in ReadExifBlock.
ExifData ReadExifItem(std::string_view item);

}  // namespace vexaframe
