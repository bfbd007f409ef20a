// Any bytes given to the header check: a kind, a size within the limits and an orientation
// Exif knows (for the kinds that carry Exif data), and a valid date taken or none, or nothing.
// The same bytes as any form of Exif data give an orientation Exif knows and a valid date or
// none; where a HEIF file's Exif item lies is found without faults.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "pictures/bmp_file.h"
#include "pictures/exif_data.h"
#include "pictures/isobmff_header.h"
#include "pictures/picture_header.h"

using namespace vexaframe;

namespace {

bool IsExifOrientation(int value) {
    return value >= 1 && value <= 8;
}

// The kinds whose headers say how the picture turns upright.
bool CarriesOrientation(PictureKind kind) {
    return kind == PictureKind::Jpeg || kind == PictureKind::Png || kind == PictureKind::Webp ||
           kind == PictureKind::Heif || kind == PictureKind::Avif;
}

bool IsSound(const ExifData& exif) {
    return IsExifOrientation(exif.orientation) && (!exif.taken || IsValid(*exif.taken));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const auto read : {ReadExifSegment, ReadTiffExif, ReadExifBlock, ReadExifItem})
        if (!IsSound(read(bytes))) std::abort();
    static_cast<void>(ExifItemExtent(bytes));

    const std::optional<PictureHeader> header = ReadPictureHeader(bytes);
    if (!header) return 0;
    if (!bmp::IsWithinLimits(header->size.width, header->size.height)) std::abort();
    if (!IsExifOrientation(header->orientation)) std::abort();
    if (header->orientation != kUpright && !CarriesOrientation(header->kind)) std::abort();
    if (header->taken && !IsValid(*header->taken)) std::abort();
    return 0;
}
