// Any bytes given to the header check: a kind, a size within the limits and an orientation
// Exif knows, or nothing. The same bytes as an Exif segment give an orientation Exif knows.
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (!IsExifOrientation(ExifOrientation(bytes))) std::abort();

    const std::optional<PictureHeader> header = ReadPictureHeader(bytes);
    if (!header) return 0;
    if (!bmp::IsWithinLimits(header->size.width, header->size.height)) std::abort();
    if (!IsExifOrientation(header->orientation)) std::abort();
    const bool turnable = header->kind == PictureKind::Jpeg || header->kind == PictureKind::Heif ||
                          header->kind == PictureKind::Avif;
    if (header->orientation != kUpright && !turnable) std::abort();
    return 0;
}
