// Any bytes given to the header check: a kind, a size within the limits and an orientation
// Exif knows (for the kinds that carry Exif data), or nothing. The same bytes as an Exif segment
// or a bare TIFF structure give an orientation Exif knows.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "pictures/bmp_file.h"
#include "pictures/exif_orientation.h"
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (!IsExifOrientation(ExifOrientation(bytes))) std::abort();
    if (!IsExifOrientation(TiffOrientation(bytes))) std::abort();

    const std::optional<PictureHeader> header = ReadPictureHeader(bytes);
    if (!header) return 0;
    if (!bmp::IsWithinLimits(header->size.width, header->size.height)) std::abort();
    if (!IsExifOrientation(header->orientation)) std::abort();
    if (header->orientation != kUpright && !CarriesOrientation(header->kind)) std::abort();
    return 0;
}
