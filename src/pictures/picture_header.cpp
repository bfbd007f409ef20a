#include "pictures/picture_header.h"

#include <cstdint>

#include "pictures/bmp_file.h"
#include "pictures/byte_reader.h"
#include "pictures/isobmff_header.h"

namespace vexaframe {
namespace {

using namespace std::literals;

constexpr std::string_view kJpegStart = "\xFF\xD8"sv;
constexpr std::string_view kGif87Signature = "GIF87a"sv;
constexpr std::string_view kGif89Signature = "GIF89a"sv;
constexpr std::string_view kBmpStart = "BM"sv;
constexpr std::string_view kPlaceableWmfKey = "\xD7\xCD\xC6\x9A"sv;  // 0x9AC6CDD7
constexpr std::string_view kEmfHeaderRecord = "\x01\0\0\0"sv;        // EMR_HEADER

// The loader draws metafiles at their nominal size; at the usual screen resolution it is this.
constexpr std::int64_t kNominalDotsPerInch = 96;
constexpr std::int64_t kHimetricPerInch = 2540;

constexpr std::uint32_t kJpegMarkerStart = 0xFF;
constexpr std::uint32_t kJpegApp1 = 0xE1;
constexpr std::size_t kJpegLengthSize = 2;

constexpr std::uint32_t kGifColourTableFlag = 0x80;
constexpr std::uint32_t kGifColourTableBits = 0x07;
constexpr std::uint32_t kGifExtension = 0x21;
constexpr std::uint32_t kGifImageDescriptor = 0x2C;

constexpr std::uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr std::uint32_t kEmfHeaderSize = 88;         // up to szlMillimeters

std::optional<PictureHeader> Checked(PictureKind kind, std::int64_t width, std::int64_t height,
                                     int orientation = kUpright) {
    if (!bmp::IsWithinLimits(width, height)) return std::nullopt;
    return PictureHeader{kind, {static_cast<int>(width), static_cast<int>(height)}, orientation};
}

std::int64_t NominalPixels(std::int64_t length, std::int64_t unitsPerInch) {
    return (length * kNominalDotsPerInch + unitsPerInch / 2) / unitsPerInch;
}

// SOF0..SOF15; C4, C8 and CC share the range but are tables and a reserved marker.
bool IsStartOfFrame(std::uint32_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// The markers without a length (TEM, RST0..7, SOI, EOI) and the start of scan cannot come
// before the frame in a picture a decoder takes.
bool MayPrecedeFrame(std::uint32_t marker) {
    return marker >= 0xC0 && !(marker >= 0xD0 && marker <= 0xDA);
}

std::optional<PictureHeader> ReadJpegFrame(std::string_view frame, int orientation) {
    ByteReader reader(frame, ByteOrder::BigEndian);
    reader.Skip(1);  // sample precision
    const std::uint32_t height = reader.Unsigned16();
    const std::uint32_t width = reader.Unsigned16();
    if (reader.Failed()) return std::nullopt;
    return Checked(PictureKind::Jpeg, width, height, orientation);
}

std::optional<PictureHeader> ReadJpegHeader(std::string_view bytes) {
    ByteReader reader(bytes, ByteOrder::BigEndian);
    reader.Skip(kJpegStart.size());
    int orientation = kUpright;
    for (;;) {
        if (reader.Byte() != kJpegMarkerStart) return std::nullopt;
        std::uint32_t marker = reader.Byte();
        while (marker == kJpegMarkerStart) marker = reader.Byte();  // fill bytes
        if (!MayPrecedeFrame(marker)) return std::nullopt;
        const std::uint32_t length = reader.Unsigned16();
        if (length < kJpegLengthSize) return std::nullopt;
        const std::string_view payload = reader.Take(length - kJpegLengthSize);
        if (reader.Failed()) return std::nullopt;  // the header ends before the frame
        if (IsStartOfFrame(marker)) return ReadJpegFrame(payload, orientation);
        if (marker == kJpegApp1 && orientation == kUpright) orientation = ExifOrientation(payload);
    }
}

std::optional<PictureHeader> ReadGifHeader(std::string_view bytes) {
    ByteReader reader(bytes, ByteOrder::LittleEndian);
    reader.Skip(kGif89Signature.size());
    const std::uint32_t width = reader.Unsigned16();
    const std::uint32_t height = reader.Unsigned16();
    const std::uint32_t flags = reader.Byte();
    reader.Skip(2);  // background colour, aspect ratio
    if ((flags & kGifColourTableFlag) != 0) reader.Skip(3u << ((flags & kGifColourTableBits) + 1));
    while (!reader.Failed()) {
        const std::uint32_t block = reader.Byte();
        if (block == kGifImageDescriptor) {
            // The first picture must lie within the limits too: decoders size their canvas by it.
            const std::uint32_t left = reader.Unsigned16();
            const std::uint32_t top = reader.Unsigned16();
            const std::uint32_t frameWidth = reader.Unsigned16();
            const std::uint32_t frameHeight = reader.Unsigned16();
            if (reader.Failed() || !bmp::IsWithinLimits(left + frameWidth, top + frameHeight))
                return std::nullopt;
            return Checked(PictureKind::Gif, width, height);
        }
        if (block != kGifExtension) return std::nullopt;  // the trailer, or damage
        reader.Skip(1);                                   // the extension's label
        for (std::uint32_t size = reader.Byte(); size != 0; size = reader.Byte()) reader.Skip(size);
    }
    return std::nullopt;
}

std::optional<PictureHeader> ReadBmpHeader(std::string_view bytes) {
    const std::optional<PixelSize> size = BmpPictureSize(bytes);  // within the limits
    if (!size) return std::nullopt;
    return PictureHeader{PictureKind::Bmp, *size};
}

std::optional<PictureHeader> ReadPlaceableWmfHeader(std::string_view bytes) {
    ByteReader reader(bytes, ByteOrder::LittleEndian);
    reader.Skip(kPlaceableWmfKey.size() + 2);  // and the handle, 0 in a file
    const std::int32_t left = reader.Signed16();
    const std::int32_t top = reader.Signed16();
    const std::int32_t right = reader.Signed16();
    const std::int32_t bottom = reader.Signed16();
    const std::uint32_t unitsPerInch = reader.Unsigned16();
    reader.Skip(6);  // reserved, checksum
    if (reader.Failed() || unitsPerInch == 0) return std::nullopt;
    return Checked(PictureKind::PlaceableWmf, NominalPixels(right - left, unitsPerInch),
                   NominalPixels(bottom - top, unitsPerInch));
}

// The loader takes an enhanced metafile's nominal size from its frame, in 0.01 mm.
std::optional<PictureHeader> ReadEmfHeader(std::string_view bytes) {
    ByteReader reader(bytes, ByteOrder::LittleEndian);
    reader.Skip(kEmfHeaderRecord.size());
    const std::uint32_t recordSize = reader.Unsigned32();
    reader.Skip(16);  // the bounds in device pixels
    const std::int64_t left = reader.Signed32();
    const std::int64_t top = reader.Signed32();
    const std::int64_t right = reader.Signed32();
    const std::int64_t bottom = reader.Signed32();
    const std::uint32_t signature = reader.Unsigned32();
    reader.MoveTo(kEmfHeaderSize);
    if (reader.Failed() || signature != kEmfSignature || recordSize < kEmfHeaderSize)
        return std::nullopt;
    return Checked(PictureKind::Emf, NominalPixels(right - left, kHimetricPerInch),
                   NominalPixels(bottom - top, kHimetricPerInch));
}

}  // namespace

std::optional<PictureHeader> ReadPictureHeader(std::string_view bytes) {
    if (bytes.starts_with(kJpegStart)) return ReadJpegHeader(bytes);
    if (bytes.starts_with(kGif87Signature) || bytes.starts_with(kGif89Signature))
        return ReadGifHeader(bytes);
    if (bytes.starts_with(kBmpStart)) return ReadBmpHeader(bytes);  // it checks the rest
    if (bytes.starts_with(kPlaceableWmfKey)) return ReadPlaceableWmfHeader(bytes);
    if (bytes.starts_with(kEmfHeaderRecord)) return ReadEmfHeader(bytes);
    if (StartsWithFileTypeBox(bytes)) return ReadIsobmffHeader(bytes);
    return std::nullopt;
}

}  // namespace vexaframe
