#include "pictures/picture_header.h"

#include <algorithm>
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
constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1A\n"sv;
constexpr std::string_view kRiffStart = "RIFF"sv;

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

constexpr std::uint32_t kPngHeaderLength = 13;
constexpr std::uint32_t kPngLongestChunk = 0x7FFFFFFF;
constexpr std::size_t kPngCrcSize = 4;
constexpr std::uint32_t kPngGrey = 0, kPngRgb = 2, kPngPalette = 3, kPngGreyAlpha = 4, kPngRgba = 6;

constexpr std::string_view kWebpForm = "WEBP"sv;
constexpr std::size_t kRiffHeaderSize = 8;         // the four characters and the size
constexpr std::size_t kWebpFirstChunkAt = 12;      // after the RIFF header and the form
constexpr std::uint32_t kVp8InterFrameBit = 0x01;  // in the frame tag: 0 on a key frame
constexpr std::string_view kVp8StartCode = "\x9D\x01\x2A"sv;
constexpr std::uint32_t kVp8SideBits = 0x3FFF;  // the two above them scale the picture on display
constexpr std::uint32_t kVp8lSignature = 0x2F;
constexpr std::uint32_t kVp8lSideBits = 14;
constexpr std::uint32_t kVp8lVersionShift = 29;
constexpr std::size_t kVp8xFlagsSize = 4;  // the flags and reserved bits

std::optional<PictureHeader> Checked(PictureKind kind, std::int64_t width, std::int64_t height,
                                     const ExifData& exif = {}) {
    if (!bmp::IsWithinLimits(width, height)) return std::nullopt;
    return PictureHeader{
        kind, {static_cast<int>(width), static_cast<int>(height)}, exif.orientation, exif.taken};
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

std::optional<PictureHeader> ReadJpegFrame(std::string_view frame, const ExifData& exif) {
    ByteReader reader(frame, ByteOrder::BigEndian);
    reader.Skip(1);  // sample precision
    const std::uint32_t height = reader.Unsigned16();
    const std::uint32_t width = reader.Unsigned16();
    if (reader.Failed()) return std::nullopt;
    return Checked(PictureKind::Jpeg, width, height, exif);
}

std::optional<PictureHeader> ReadJpegHeader(std::string_view bytes) {
    ByteReader reader(bytes, ByteOrder::BigEndian);
    reader.Skip(kJpegStart.size());
    ExifData exif;
    for (;;) {
        if (reader.Byte() != kJpegMarkerStart) return std::nullopt;
        std::uint32_t marker = reader.Byte();
        while (marker == kJpegMarkerStart) marker = reader.Byte();  // fill bytes
        if (!MayPrecedeFrame(marker)) return std::nullopt;
        const std::uint32_t length = reader.Unsigned16();
        if (length < kJpegLengthSize) return std::nullopt;
        const std::string_view payload = reader.Take(length - kJpegLengthSize);
        if (reader.Failed()) return std::nullopt;  // the header ends before the frame
        if (IsStartOfFrame(marker)) return ReadJpegFrame(payload, exif);
        if (marker == kJpegApp1) exif.FillFrom(ReadExifSegment(payload));
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
    return PictureHeader{PictureKind::Bmp, *size, kUpright, std::nullopt};
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

// The bit depths each colour type allows.
bool IsPngDepth(std::uint32_t colourType, std::uint32_t depth) {
    const bool byteOrWord = depth == 8 || depth == 16;
    const bool packed = depth == 1 || depth == 2 || depth == 4;
    switch (colourType) {
        case kPngGrey:
            return byteOrWord || packed;
        case kPngPalette:
            return depth == 8 || packed;
        case kPngRgb:
        case kPngGreyAlpha:
        case kPngRgba:
            return byteOrWord;
        default:
            return false;
    }
}

// The chunks after IHDR, up to the first IDAT: the Exif data of the eXIf chunks among them (a
// bare TIFF structure). Nothing when they end or are damaged before IDAT.
std::optional<ExifData> ReadPngChunksToImageData(ByteReader& reader) {
    ExifData exif;
    for (;;) {
        const std::uint32_t length = reader.Unsigned32();
        const std::string_view type = reader.Take(4);
        if (reader.Failed() || length > kPngLongestChunk) return std::nullopt;
        if (type == "IDAT") return exif;
        const std::string_view data = reader.Take(length);
        reader.Skip(kPngCrcSize);
        if (type == "eXIf") exif.FillFrom(ReadTiffExif(data));
    }
}

std::optional<PictureHeader> ReadPngHeader(std::string_view bytes) {
    ByteReader reader(bytes, ByteOrder::BigEndian);
    reader.Skip(kPngSignature.size());
    const std::uint32_t length = reader.Unsigned32();
    const std::string_view type = reader.Take(4);
    const std::uint32_t width = reader.Unsigned32();
    const std::uint32_t height = reader.Unsigned32();
    const std::uint32_t depth = reader.Byte();
    const std::uint32_t colourType = reader.Byte();
    const std::uint32_t compression = reader.Byte();
    const std::uint32_t filter = reader.Byte();
    const std::uint32_t interlace = reader.Byte();
    reader.Skip(kPngCrcSize);
    if (reader.Failed() || length != kPngHeaderLength || type != "IHDR" ||
        !IsPngDepth(colourType, depth) || compression != 0 || filter != 0 || interlace > 1) {
        return std::nullopt;
    }
    const std::optional<ExifData> exif = ReadPngChunksToImageData(reader);
    if (!exif) return std::nullopt;
    return Checked(PictureKind::Png, width, height, *exif);
}

// A lossy picture's key frame: its tag, the start code and the sides in 14 bits each.
std::optional<PictureHeader> ReadVp8Frame(ByteReader reader) {
    const std::uint32_t frameTag = reader.Unsigned24();
    const std::string_view startCode = reader.Take(kVp8StartCode.size());
    const std::uint32_t width = reader.Unsigned16() & kVp8SideBits;
    const std::uint32_t height = reader.Unsigned16() & kVp8SideBits;
    if (reader.Failed() || (frameTag & kVp8InterFrameBit) != 0 || startCode != kVp8StartCode)
        return std::nullopt;
    return Checked(PictureKind::Webp, width, height);
}

// A lossless picture's header: the signature, then the sides less one in 14 bits each, the
// alpha flag and a version of three bits, 0.
std::optional<PictureHeader> ReadVp8lHeader(ByteReader reader) {
    constexpr std::uint32_t kSideMask = (1u << kVp8lSideBits) - 1;
    const std::uint32_t signature = reader.Byte();
    const std::uint32_t fields = reader.Unsigned32();
    if (reader.Failed() || signature != kVp8lSignature || fields >> kVp8lVersionShift != 0)
        return std::nullopt;
    return Checked(PictureKind::Webp, (fields & kSideMask) + 1,
                   (fields >> kVp8lSideBits & kSideMask) + 1);
}

// The chunks after the extended header, up to the first of the picture's data (a still
// picture's VP8 or VP8L chunk, or an animation's first frame) and on, as long as they are whole,
// for an EXIF chunk. Nothing when they end before the picture's data.
std::optional<ExifData> ReadWebpChunksAfterVp8x(ByteReader& reader) {
    bool pictureFound = false;
    ExifData exif;
    for (;;) {
        const std::string_view fourcc = reader.Take(4);
        const std::uint32_t size = reader.Unsigned32();
        if (reader.Failed()) break;
        pictureFound = pictureFound || fourcc == "VP8 " || fourcc == "VP8L" || fourcc == "ANMF";
        const std::string_view payload = reader.Take(size);
        if (reader.Failed()) break;
        if (fourcc == "EXIF") exif.FillFrom(ReadExifBlock(payload));
        reader.Skip(size & 1);  // chunks are padded to an even size
    }
    if (!pictureFound) return std::nullopt;
    return exif;
}

// The extended form: flags, the canvas's sides less one in 24 bits each, and the chunks after.
std::optional<PictureHeader> ReadVp8xHeader(ByteReader& reader, std::uint32_t size) {
    ByteReader header(reader.Take(size), ByteOrder::LittleEndian);
    reader.Skip(size & 1);
    header.Skip(kVp8xFlagsSize);
    const std::uint32_t width = header.Unsigned24() + 1;
    const std::uint32_t height = header.Unsigned24() + 1;
    if (header.Failed()) return std::nullopt;
    const std::optional<ExifData> exif = ReadWebpChunksAfterVp8x(reader);
    if (!exif) return std::nullopt;
    return Checked(PictureKind::Webp, width, height, *exif);
}

// The RIFF form WEBP; its chunks are read no further than the size the RIFF header declares.
std::optional<PictureHeader> ReadWebpHeader(std::string_view bytes) {
    ByteReader riff(bytes, ByteOrder::LittleEndian);
    riff.Skip(kRiffStart.size());
    const std::uint32_t riffSize = riff.Unsigned32();
    const std::string_view form = riff.Take(kWebpForm.size());
    const std::string_view fourcc = riff.Take(4);
    const std::uint32_t size = riff.Unsigned32();
    if (riff.Failed() || form != kWebpForm) return std::nullopt;
    const std::string_view file = bytes.substr(0, kRiffHeaderSize + std::size_t{riffSize});
    ByteReader chunk(file.substr(std::min(file.size(), kWebpFirstChunkAt + kRiffHeaderSize)),
                     ByteOrder::LittleEndian);
    if (fourcc == "VP8 ") return ReadVp8Frame(chunk);
    if (fourcc == "VP8L") return ReadVp8lHeader(chunk);
    if (fourcc == "VP8X") return ReadVp8xHeader(chunk, size);
    return std::nullopt;
}

}  // namespace

std::optional<PictureHeader> ReadPictureHeader(std::string_view bytes) {
    if (bytes.starts_with(kJpegStart)) return ReadJpegHeader(bytes);
    if (bytes.starts_with(kGif87Signature) || bytes.starts_with(kGif89Signature))
        return ReadGifHeader(bytes);
    if (bytes.starts_with(kBmpStart)) return ReadBmpHeader(bytes);  // it checks the rest
    if (bytes.starts_with(kPlaceableWmfKey)) return ReadPlaceableWmfHeader(bytes);
    if (bytes.starts_with(kEmfHeaderRecord)) return ReadEmfHeader(bytes);
    if (bytes.starts_with(kPngSignature)) return ReadPngHeader(bytes);
    if (bytes.starts_with(kRiffStart)) return ReadWebpHeader(bytes);
    if (StartsWithFileTypeBox(bytes)) return ReadIsobmffHeader(bytes);
    return std::nullopt;
}

}  // namespace vexaframe
