#include "pictures/date_taken.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "pictures/byte_reader.h"
#include "pictures/exif_data.h"
#include "pictures/isobmff_header.h"
#include "pictures/picture_header.h"

namespace vexaframe {
namespace {

constexpr std::size_t kHeaderBytes = std::size_t{256} << 10;
constexpr std::uint64_t kMostExifBytes = std::uint64_t{64} << 10;
constexpr std::uint64_t kRiffHeaderSize = 8;  // the four characters and the size
constexpr std::uint64_t kWebpFirstChunkAt = 12;
constexpr int kMostWebpChunks = 1024;  // an animation's frames come before its Exif data

std::optional<std::string> ReadExifPiece(FileSystem& files, const std::string& path,
                                         std::uint64_t offset, std::uint64_t length) {
    return files.ReadFileRange(path, offset,
                               static_cast<std::size_t>(std::min(length, kMostExifBytes)));
}

// The EXIF chunk of a WebP file, found chunk header by chunk header within the RIFF form: it
// may follow megabytes of image data.
std::optional<CalendarTime> WebpDateTaken(FileSystem& files, const std::string& path,
                                          std::string_view start) {
    ByteReader riff(start, ByteOrder::LittleEndian);
    riff.Skip(4);
    const std::uint64_t end = kRiffHeaderSize + riff.Unsigned32();
    std::uint64_t at = kWebpFirstChunkAt;
    for (int chunks = 0; chunks < kMostWebpChunks && at + kRiffHeaderSize <= end; ++chunks) {
        const std::optional<std::string> header = files.ReadFileRange(path, at, kRiffHeaderSize);
        if (!header) return std::nullopt;
        ByteReader reader(*header, ByteOrder::LittleEndian);
        const std::string_view fourcc = reader.Take(4);
        const std::uint64_t size = reader.Unsigned32();
        if (reader.Failed()) return std::nullopt;
        if (fourcc == "EXIF") {
            const std::optional<std::string> payload =
                ReadExifPiece(files, path, at + kRiffHeaderSize, size);
            if (!payload) return std::nullopt;
            return ReadExifBlock(*payload).taken;
        }
        at += kRiffHeaderSize + size + (size & 1);
    }
    return std::nullopt;
}

std::optional<CalendarTime> IsobmffDateTaken(FileSystem& files, const std::string& path,
                                             std::string_view start) {
    const std::optional<FileExtent> extent = ExifItemExtent(start);
    if (!extent) return std::nullopt;
    const std::optional<std::string> item =
        ReadExifPiece(files, path, extent->offset, extent->length);
    if (!item) return std::nullopt;
    return ReadExifItem(*item).taken;
}

}  // namespace

std::optional<CalendarTime> ReadDateTaken(FileSystem& files, const std::string& path) {
    const std::optional<std::string> start = files.ReadFileRange(path, 0, kHeaderBytes);
    if (!start) return std::nullopt;
    const std::optional<PictureHeader> header = ReadPictureHeader(*start);
    if (!header) return std::nullopt;
    if (header->taken) return header->taken;
    switch (header->kind) {
        case PictureKind::Webp:
            return WebpDateTaken(files, path, *start);
        case PictureKind::Heif:
        case PictureKind::Avif:
            return IsobmffDateTaken(files, path, *start);
        default:
            return std::nullopt;
    }
}

std::optional<CalendarTime> DateOfPicture(FileSystem& files, const std::string& path) {
    const std::optional<CalendarTime> taken = ReadDateTaken(files, path);
    if (taken) return taken;
    return files.LastWritten(path);
}

}  // namespace vexaframe
