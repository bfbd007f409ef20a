#include <algorithm>

#include "pictures/bmp_file.h"
#include "pictures/exif_orientation.h"
#include "pictures/picture_header.h"
#include "pictures/picture_loader.h"
#include "pictures/posix_picture_libraries.h"
#include "platform/posix_file_system.h"

namespace vexaframe {
namespace {

std::optional<Image> Decoded(std::string_view bytes, const PictureHeader& header) {
    switch (header.kind) {
        case PictureKind::Bmp:
            return DecodeBmp(bytes);
        case PictureKind::Jpeg:
            return DecodeJpeg(bytes);
        case PictureKind::Gif:
            return DecodeGif(bytes);
        case PictureKind::PlaceableWmf:
            return DecodePlaceableWmf(bytes, header.size);
        case PictureKind::Png:
            return DecodePng(bytes);
        case PictureKind::Webp:
            return DecodeWebp(bytes);
        case PictureKind::Heif:
            return DecodeHeif(bytes, header.size);
        case PictureKind::Avif:
            return DecodeAvif(bytes, header.size);
        case PictureKind::Emf:
            break;  // no library here draws it
    }
    return std::nullopt;
}

}  // namespace

std::optional<Image> LoadPicture(const std::string& utf8Path) {
    PosixFileSystem files;
    const std::optional<std::string> bytes = files.ReadFile(utf8Path);
    if (!bytes) return std::nullopt;
    // Only a file whose header declares a picture within our limits may reach a library.
    const std::optional<PictureHeader> header = ReadPictureHeader(*bytes);
    if (!header) return std::nullopt;
    std::optional<Image> image = Decoded(*bytes, *header);
    if (!image) return std::nullopt;
    // As on Windows, where the picture is drawn on an opaque bitmap: a bitmap's alpha is dropped.
    // The decoders of kinds with translucent pixels have laid them over white already.
    std::ranges::for_each(image->pixels, [](std::uint32_t& pixel) { pixel |= kOpaque; });
    // From Exif data, or a HEIF or AVIF file's irot and imir.
    return TurnUpright(std::move(*image), header->orientation);
}

// The decoders here give whole pictures, and JPEG's rows come top first where a bitmap file
// wants the bottom one: the picture is held whole.
std::unique_ptr<PictureRows> OpenPictureRows(const std::string& utf8Path) {
    std::optional<Image> picture = LoadPicture(utf8Path);
    return picture ? RowsOf(std::move(*picture)) : nullptr;
}

}  // namespace vexaframe
